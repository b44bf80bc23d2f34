// The C runtime the JVM prints through, on Windows.
//
// Each C runtime in a Windows process keeps its own descriptor table: the JVM (jvm.dll)
// writes its console output to descriptor 1 of its own runtime (the Universal CRT on
// current JDKs, msvcr100 on JDK 8), not of the runtime this library is linked with
// (msvcrt). Capturing the JVM's print therefore switches that runtime's descriptor 1,
// through that runtime's own functions.
#pragma once

#include <cstdint>

namespace corvane::jvm {

struct CrtDescriptors {
    const char* pModule;  // the runtime's module name
    int(__cdecl* dup)(int iFd);
    int(__cdecl* dup2)(int iFrom, int iTo);
    int(__cdecl* close)(int iFd);
    int(__cdecl* write)(int iFd, const void* pBuf, unsigned int uCount);
    std::intptr_t(__cdecl* getOsHandle)(int iFd);
    int(__cdecl* openOsHandle)(std::intptr_t hHandle, int iFlags);
    int(__cdecl* flushAll)();
};

// The descriptor functions of the runtime the loaded jvm.dll imports: the Universal CRT
// (ucrtbase.dll, or its api-ms-win-crt-* forwarders) before a numbered msvcr*.dll before
// msvcrt.dll. Without a loaded jvm.dll, or when its runtime lacks one of the functions,
// this library's own runtime.
CrtDescriptors JvmRuntime();

// The C runtime a module imports, by the preference above; null when it imports none.
// pModuleBase is a module loaded in this process.
const char* ImportedCrt(const void* pModuleBase);

}  // namespace corvane::jvm
