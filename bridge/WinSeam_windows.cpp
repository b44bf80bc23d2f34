#include <cstdlib>

#include "bridge/WinSeam.h"

namespace corvane {
namespace {

LONG QueryPerformanceData(const char* pValueName, BYTE* pData, DWORD* pdwSize) {
    return RegQueryValueExA(HKEY_PERFORMANCE_DATA, pValueName, nullptr, nullptr, pData, pdwSize);
}

// GetVersionExA is marked deprecated in the SDK headers; the sampler needs exactly its
// answer (the platform id and major version the process is told).
BOOL WINAPI GetVersionA(LPOSVERSIONINFOA pInfo) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExA(pInfo);
#pragma GCC diagnostic pop
}

}  // namespace

WinSeam g_win = {
    &::GetCurrentProcessId, &::GetCurrentProcess, &::GetSystemInfo, &::GetProcessTimes,
    &::GetSystemTimeAsFileTime, &GetVersionA, &QueryPerformanceData, &std::malloc,
    &std::realloc, &std::free,
};

}  // namespace corvane
