// Pointing the console descriptor at the capture file and back.
#pragma once

#if defined(_WIN32)
#include "bridge/JvmRuntime_windows.h"
#endif

namespace corvane::capture {

class ConsoleSwitch {
public:
    ConsoleSwitch() = default;
    ~ConsoleSwitch() { Close(); }
    ConsoleSwitch(const ConsoleSwitch&) = delete;
    ConsoleSwitch& operator=(const ConsoleSwitch&) = delete;

    // The descriptor the JVM's console output goes to when nothing is switched: where the
    // stacks are printed when a capture fails.
    static int ConsoleDescriptor();
    // The descriptor now pointed at the capture file (after a successful Switch).
    int SwitchedDescriptor() const;

    // Keeps a copy of the console descriptor; false when it cannot be copied.
    bool Save();
    // Points the console descriptor at iFileFd; false when it cannot be switched.
    bool Switch(int iFileFd);
    // Points the console descriptor back at its copy (up to three attempts).
    void Restore();
    // Closes the copies.
    void Close();

private:
    int m_iSavedStdOut = -1;  // the copy of descriptor 1
    // The macOS build switches descriptor 2, and descriptor 1 only when that fails: the copy
    // of descriptor 2, and which of the two was switched.
    [[maybe_unused]] int m_iSavedStdErr = -1;
    [[maybe_unused]] int m_iSwitchedFd = -1;
#if defined(_WIN32)
    // Lifts the close protection of the console's handle and gives the process its
    // standard output handle back.
    void GiveBackConsole();
    // The JVM's runtime (whose descriptor 1 is switched), the handle descriptor 1 had
    // before the switch with its original flags, and the process's standard output then.
    jvm::CrtDescriptors m_sCrt{};
    void* m_hConsole = nullptr;
    unsigned long m_ulConsoleFlags = 0;
    bool m_bProtected = false;
    void* m_hStdOutBefore = nullptr;
#endif
};

}  // namespace corvane::capture
