#include "bridge/OsSeam.h"

#include <fcntl.h>
#include <sys/times.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace corvane {
namespace {

int ReadTimes(TmsRecord* pTms) {
    struct tms sNow {};
    const clock_t result = ::times(&sNow);
    pTms->tms_utime = static_cast<ClockT>(sNow.tms_utime);
    pTms->tms_stime = static_cast<ClockT>(sNow.tms_stime);
    pTms->tms_cutime = static_cast<ClockT>(sNow.tms_cutime);
    pTms->tms_cstime = static_cast<ClockT>(sNow.tms_cstime);
    return result == static_cast<clock_t>(-1) ? -1 : 0;
}

int GetPid() { return static_cast<int>(::getpid()); }

int Open(const char* pPath, int iFlags, unsigned int uMode) {
    return ::open(pPath, iFlags, static_cast<mode_t>(uMode));
}

// Copies of descriptors never leak into programs the application starts.
int DupCloexec(int iFd) { return ::fcntl(iFd, F_DUPFD_CLOEXEC, 0); }

long Read(int iFd, void* pBuf, std::size_t uCount) {
    return static_cast<long>(::read(iFd, pBuf, uCount));
}

char* TmpName(char* pBuf) {
    // glibc warns about tmpnam at link time; the generated name is only a proposal here,
    // the capture file is always created exclusively and never through a link.
    return std::tmpnam(pBuf);
}

}  // namespace

OsSeam g_os = {
    &ReadTimes, &::sysconf, &GetPid, "/proc/stat", &TmpName,  &Open,
    &DupCloexec, &::dup2,   &::close, &::unlink,   &::fstat, &Read, &std::malloc,
};

}  // namespace corvane
