// The capture's file calls on Windows: the library's own C runtime (msvcrt). Descriptor 1
// of the JVM's runtime is switched elsewhere (capture/ConsoleSwitch_windows.cpp).
#include <io.h>
#include <process.h>

#include <cstdio>
#include <cstdlib>

#include "bridge/OsSeam.h"

namespace corvane {
namespace {

// Windows keeps no times() record and no sysconf: the process figures come from
// GetProcessTimes (metrics/ProcessMetrics_windows.cpp).
int NoTimes(TmsRecord*) { return -1; }
long NoSysconf(int) { return -1; }
int GetPid() { return ::_getpid(); }

int Open(const char* pPath, int iFlags, unsigned int uMode) { return ::_open(pPath, iFlags, static_cast<int>(uMode)); }
int Dup(int iFd) { return ::_dup(iFd); }
int Dup2(int iFrom, int iTo) { return ::_dup2(iFrom, iTo); }
int Close(int iFd) { return ::_close(iFd); }
int Unlink(const char* pPath) { return ::_unlink(pPath); }
int Fstat(int iFd, struct stat* pStat) { return ::fstat(iFd, pStat); }
long Read(int iFd, void* pBuf, std::size_t uCount) {
    const unsigned int uChunk = uCount > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<unsigned int>(uCount);
    return ::_read(iFd, pBuf, uChunk);
}
char* TmpName(char* pBuf) { return std::tmpnam(pBuf); }

}  // namespace

OsSeam g_os = {
    &NoTimes, &NoSysconf, &GetPid, nullptr, &TmpName, &Open, &Dup, &Dup2, &Close, &Unlink, &Fstat, &Read, &std::malloc,
};

}  // namespace corvane
