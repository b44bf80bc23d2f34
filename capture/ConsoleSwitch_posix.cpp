// Descriptor 1 alone is switched and restored.
#include "bridge/OsSeam.h"
#include "capture/ConsoleSwitch.h"

namespace corvane::capture {

int ConsoleSwitch::ConsoleDescriptor() { return 1; }

int ConsoleSwitch::SwitchedDescriptor() const { return 1; }

bool ConsoleSwitch::Save() {
    m_iSavedStdOut = g_os.dup(1);
    return m_iSavedStdOut >= 0;
}

bool ConsoleSwitch::Switch(int iFileFd) { return g_os.dup2(iFileFd, 1) >= 0; }

void ConsoleSwitch::Restore() {
    // dup2 can fail transiently (EINTR, EBUSY while another thread opens a file).
    for (int iAttempt = 0; iAttempt < 3; ++iAttempt) {
        if (g_os.dup2(m_iSavedStdOut, 1) != -1) return;
    }
}

void ConsoleSwitch::Close() {
    if (m_iSavedStdOut >= 0) g_os.close(m_iSavedStdOut);
    m_iSavedStdOut = -1;
}

}  // namespace corvane::capture
