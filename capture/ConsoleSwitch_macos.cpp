// macOS: the console descriptor switched is 2, and only when that fails, 1. Each switched
// descriptor is restored from its own copy, and both copies are closed.
#include "bridge/OsSeam.h"
#include "capture/ConsoleSwitch.h"

namespace corvane::capture {

// The JVM this build serves prints its thread dumps to descriptor 2; so do the stacks of a
// failed capture.
int ConsoleSwitch::ConsoleDescriptor() { return 2; }

int ConsoleSwitch::SwitchedDescriptor() const { return m_iSwitchedFd; }

bool ConsoleSwitch::Save() {
    // A missing copy of descriptor 2 only rules out switching it; descriptor 1's copy is
    // the one the capture cannot do without.
    m_iSavedStdErr = g_os.dup(2);
    m_iSavedStdOut = g_os.dup(1);
    return m_iSavedStdOut >= 0;
}

bool ConsoleSwitch::Switch(int iFileFd) {
    if (m_iSavedStdErr >= 0 && g_os.dup2(iFileFd, 2) >= 0) {
        m_iSwitchedFd = 2;
        return true;
    }
    if (g_os.dup2(iFileFd, 1) >= 0) {
        m_iSwitchedFd = 1;
        return true;
    }
    return false;
}

void ConsoleSwitch::Restore() {
    if (m_iSwitchedFd < 0) return;
    const int iCopy = m_iSwitchedFd == 2 ? m_iSavedStdErr : m_iSavedStdOut;
    // dup2 can fail transiently (EINTR, EBUSY while another thread opens a file).
    for (int iAttempt = 0; iAttempt < 3; ++iAttempt) {
        if (g_os.dup2(iCopy, m_iSwitchedFd) != -1) break;
    }
    m_iSwitchedFd = -1;
}

void ConsoleSwitch::Close() {
    if (m_iSavedStdOut >= 0) g_os.close(m_iSavedStdOut);
    if (m_iSavedStdErr >= 0) g_os.close(m_iSavedStdErr);
    m_iSavedStdOut = -1;
    m_iSavedStdErr = -1;
}

}  // namespace corvane::capture
