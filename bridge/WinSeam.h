// The Windows calls that tests must be able to answer or fail, gathered in one table.
// Production code calls through g_win; a test swaps single entries and puts them back
// (tests/fakes/WinSeamScope.h). Constant-initialised, so usable from static
// initialisation on.
#pragma once

#include <windows.h>

#include <cstddef>

namespace corvane {

struct WinSeam {
    // Load-time values and process figures.
    DWORD(WINAPI* getCurrentProcessId)();
    HANDLE(WINAPI* getCurrentProcess)();
    void(WINAPI* getSystemInfo)(LPSYSTEM_INFO pInfo);
    BOOL(WINAPI* getProcessTimes)(HANDLE hProcess, LPFILETIME pCreation, LPFILETIME pExit, LPFILETIME pKernel,
                                  LPFILETIME pUser);
    void(WINAPI* getSystemTimeAsFileTime)(LPFILETIME pNow);

    // The sampler: platform classification and the performance-data query, that is
    // RegQueryValueExA on HKEY_PERFORMANCE_DATA for one value name.
    BOOL(WINAPI* getVersionExA)(LPOSVERSIONINFOA pInfo);
    LONG (*queryPerformanceData)(const char* pValueName, BYTE* pData, DWORD* pdwSize);

    // The performance-data buffer and the reader objects.
    void* (*malloc)(std::size_t uSize);
    void* (*realloc)(void* p, std::size_t uSize);
    void (*free)(void* p);
};

extern WinSeam g_win;

}  // namespace corvane
