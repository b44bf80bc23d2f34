// Finding the JVM's own print of all stacks, and writing to the JVM's descriptor 1, on
// Windows.
#include <windows.h>

#include <cstddef>

#include "bridge/JvmHost.h"
#include "bridge/JvmRuntime_windows.h"

namespace corvane::jvm {

DumpAllStacksFn FindDumpAllStacks() {
    // Only a JVM already in the process is asked, and never through an import: a JVM that
    // dropped the export must still load the library. Looked up on each use (a handful of
    // instructions next to a thread dump), so a JVM loaded after this library is found.
    const HMODULE hJvm = GetModuleHandleA("jvm.dll");
    if (hJvm == nullptr) return nullptr;
    return reinterpret_cast<DumpAllStacksFn>(reinterpret_cast<void*>(GetProcAddress(hJvm, "JVM_DumpAllStacks")));
}

bool WriteToConsole(int iConsoleFd, const char* pText, std::size_t uLength) {
    // Through the JVM's runtime, so the text goes where the JVM's own print would go (the
    // capture file while a capture has switched that descriptor).
    const CrtDescriptors sCrt = JvmRuntime();
    while (uLength > 0) {
        const unsigned int uChunk = uLength > 0x10000000u ? 0x10000000u : static_cast<unsigned int>(uLength);
        const int iWritten = sCrt.write(iConsoleFd, pText, uChunk);
        if (iWritten <= 0) return false;
        pText += iWritten;
        uLength -= static_cast<std::size_t>(iWritten);
    }
    return true;
}

}  // namespace corvane::jvm
