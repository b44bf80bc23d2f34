// Finding the JVM's own print of all stacks, and writing to descriptor 1, on POSIX systems.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include "bridge/JvmHost.h"

namespace corvane::jvm {

namespace {

#if defined(CORVANE_MACOS)
constexpr const char* kJvmLibrary = "libhotspot.dylib";
#else
constexpr const char* kJvmLibrary = "libjvm.so";
#endif

DumpAllStacksFn Resolve() {
    // Only a JVM already in the process is asked: never load one, never import the symbol
    // at link time (JVMs that dropped the export would end the process at the first call).
    void* pJvm = dlopen(kJvmLibrary, RTLD_NOLOAD | RTLD_LAZY);
    if (pJvm == nullptr) return nullptr;
    auto pDump = reinterpret_cast<DumpAllStacksFn>(dlsym(pJvm, "JVM_DumpAllStacks"));
    dlclose(pJvm);
    return pDump;
}

}  // namespace

DumpAllStacksFn FindDumpAllStacks() {
    static const DumpAllStacksFn s_pDump = Resolve();
    return s_pDump;
}

bool WriteToConsole(int iConsoleFd, const char* pText, std::size_t uLength) {
    while (uLength > 0) {
        const ssize_t iWritten = ::write(iConsoleFd, pText, uLength);
        if (iWritten < 0 && errno == EINTR) continue;
        if (iWritten <= 0) return false;
        pText += iWritten;
        uLength -= static_cast<std::size_t>(iWritten);
    }
    return true;
}

}  // namespace corvane::jvm
