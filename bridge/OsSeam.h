// The operating-system calls that tests must be able to fail, gathered in one table.
// Production code calls through g_os; a test swaps single entries and puts them back
// (tests/fakes/OsSeamScope.h). The table is constant-initialised, so it is usable from
// static initialisation on.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

#include "bridge/Platform.h"

namespace corvane {

struct OsSeam {
    // Process figures.
    int (*readTimes)(TmsRecord* pTms);  // times(), narrowed to the build's clock width
    long (*sysconf)(int iName);
    int (*getpid)();

    // The machine-wide tick counters (/proc/stat on Linux).
    const char* procStatPath;

    // Capture-file handling.
    char* (*tmpnam)(char* pBuf);
    int (*open)(const char* pPath, int iFlags, unsigned int uMode);
    int (*dup)(int iFd);
    int (*dup2)(int iFrom, int iTo);
    int (*close)(int iFd);
    int (*unlink)(const char* pPath);
    int (*fstat)(int iFd, struct stat* pStat);
    long (*read)(int iFd, void* pBuf, std::size_t uCount);
    void* (*malloc)(std::size_t uSize);
};

extern OsSeam g_os;

}  // namespace corvane
