// A stand-in for the JVM's library (jvm.dll) as the Windows capture uses it: it exports
// JVM_DumpAllStacks, which prints a known dump through descriptor 1 of the Universal CRT,
// the runtime current JVMs print through. Tests change the text with StandInSetDump.
// Built without any startup code or other runtime (see tests/unit/windows/CMakeLists.txt).
#include <windows.h>

#include <jni.h>

extern "C" {

// From ucrtbase.dll.
__declspec(dllimport) int __cdecl _write(int iFd, const void* pBuf, unsigned int uCount);

namespace {
const char* const kKnownDump = "\"main\" #1 prio=5 runnable\r\n\tat Known.dump(Known.java:1)\r\n\r\nend of dump\r\n";
const char* g_pDump = kKnownDump;
int g_iCalls = 0;
void (*g_pDuringDump)() = nullptr;

unsigned int Length(const char* p) {
    unsigned int u = 0;
    while (p[u] != '\0') ++u;
    return u;
}
}  // namespace

BOOL WINAPI StandInDllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

__declspec(dllexport) void JNICALL JVM_DumpAllStacks(JNIEnv*, jclass) {
    ++g_iCalls;
    const unsigned int uLength = Length(g_pDump);
    if (uLength > 0) _write(1, g_pDump, uLength);
    if (g_pDuringDump != nullptr) g_pDuringDump();
}

// A function the next dumps call after printing: what the rest of the process sees while
// the JVM's descriptor 1 points at a capture file.
__declspec(dllexport) void StandInSetDuringDump(void (*pFn)()) { g_pDuringDump = pFn; }

// The text the next dumps print (kept by pointer: the caller keeps it alive); null for the
// known dump.
__declspec(dllexport) void StandInSetDump(const char* pDump) { g_pDump = pDump != nullptr ? pDump : kKnownDump; }

// How many dumps were asked for.
__declspec(dllexport) int StandInDumpCalls() { return g_iCalls; }

}  // extern "C"
