// Windows: descriptor 1 of the C runtime the JVM prints through is switched and restored,
// with that runtime's own functions (our own runtime has a descriptor table of its own,
// and switching it would capture nothing).
//
// A runtime that rebinds descriptor 1 closes the handle the descriptor held. That handle
// is the process's standard output: other runtimes' descriptor 1 and Java's
// FileDescriptor.out write through the very same handle value, and closing it would lose
// their output for good (and let a later file reuse the value). So the handle is protected
// from closing while the runtime rebinds the descriptor, and the switch is refused when it
// cannot be protected.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdint>

#include "capture/ConsoleSwitch.h"

namespace corvane::capture {

namespace {

bool IsHandle(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

}  // namespace

int ConsoleSwitch::ConsoleDescriptor() { return 1; }

int ConsoleSwitch::SwitchedDescriptor() const { return 1; }

bool ConsoleSwitch::Save() {
    m_sCrt = jvm::JvmRuntime();
    m_sCrt.flushAll();  // what the JVM's runtime holds buffered goes to the console
    m_iSavedStdOut = m_sCrt.dup(1);
    return m_iSavedStdOut >= 0;
}

bool ConsoleSwitch::Switch(int iFileFd) {
    // The capture file was opened by this library's runtime: hand the JVM's runtime a
    // descriptor of its own on a copy of the file's handle, binary, so the JVM's bytes
    // land in the file as written.
    const auto hFile = reinterpret_cast<HANDLE>(::_get_osfhandle(iFileFd));
    HANDLE hCopy = nullptr;
    if (!IsHandle(hFile) ||
        !DuplicateHandle(GetCurrentProcess(), hFile, GetCurrentProcess(), &hCopy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    const int iJvmFd = m_sCrt.openOsHandle(reinterpret_cast<std::intptr_t>(hCopy), _O_BINARY);
    if (iJvmFd < 0) {
        CloseHandle(hCopy);
        return false;
    }

    m_hStdOutBefore = GetStdHandle(STD_OUTPUT_HANDLE);
    m_hConsole = reinterpret_cast<HANDLE>(m_sCrt.getOsHandle(1));
    m_bProtected = false;
    if (IsHandle(static_cast<HANDLE>(m_hConsole))) {
        DWORD dwFlags = 0;
        if (!GetHandleInformation(static_cast<HANDLE>(m_hConsole), &dwFlags) ||
            !SetHandleInformation(static_cast<HANDLE>(m_hConsole), HANDLE_FLAG_PROTECT_FROM_CLOSE,
                                  HANDLE_FLAG_PROTECT_FROM_CLOSE)) {
            m_sCrt.close(iJvmFd);
            return false;
        }
        m_ulConsoleFlags = dwFlags;
        m_bProtected = true;
    }
    const int iResult = m_sCrt.dup2(iJvmFd, 1);
    m_sCrt.close(iJvmFd);
    if (iResult < 0) {
        GiveBackConsole();
        return false;
    }
    return true;
}

void ConsoleSwitch::Restore() {
    if (m_iSavedStdOut >= 0) {
        m_sCrt.flushAll();
        for (int iAttempt = 0; iAttempt < 3; ++iAttempt) {
            if (m_sCrt.dup2(m_iSavedStdOut, 1) != -1) break;
        }
    }
    GiveBackConsole();
}

void ConsoleSwitch::GiveBackConsole() {
    if (m_bProtected) {
        SetHandleInformation(static_cast<HANDLE>(m_hConsole), HANDLE_FLAG_PROTECT_FROM_CLOSE,
                             m_ulConsoleFlags & HANDLE_FLAG_PROTECT_FROM_CLOSE);
        m_bProtected = false;
    }
    // The runtime pointed the process's standard output at each handle it bound to
    // descriptor 1; give the process back the handle it had.
    if (m_hStdOutBefore != nullptr) SetStdHandle(STD_OUTPUT_HANDLE, static_cast<HANDLE>(m_hStdOutBefore));
}

void ConsoleSwitch::Close() {
    if (m_iSavedStdOut >= 0) m_sCrt.close(m_iSavedStdOut);
    m_iSavedStdOut = -1;
}

}  // namespace corvane::capture
