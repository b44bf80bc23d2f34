// Process id, process CPU time and usage, and current-thread CPU time on Windows: the
// process's kernel and user time since its creation, from GetProcessTimes.
#include <windows.h>

#include <cstdint>

#include "bridge/Corvane.h"
#include "bridge/WinSeam.h"

namespace {

std::int64_t Units(const FILETIME& sTime) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(sTime.dwHighDateTime) << 32) |
                                     sTime.dwLowDateTime);
}

struct ProcessTimes {
    std::int64_t llCreation;
    std::int64_t llUsed;  // kernel + user, in 100-nanosecond units
};

ProcessTimes ReadProcessTimes() {
    FILETIME sCreation{}, sExit{}, sKernel{}, sUser{};
    corvane::g_win.getProcessTimes(static_cast<HANDLE>(gs_hProcess), &sCreation, &sExit, &sKernel, &sUser);
    return ProcessTimes{Units(sCreation), Units(sKernel) + Units(sUser)};
}

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(JNIEnv* /*pEnv*/,
                                                                                              jclass /*cls*/) {
    const ProcessTimes sTimes = ReadProcessTimes();
    // processors x 10000 in 32-bit arithmetic (wrapping), then widened.
    const auto iDivisor =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(gs_iNumberOfProcessors) * 10000u);
    // No processor count (the load hook has not run): no figure rather than a division by 0.
    if (iDivisor == 0) return 0;
    return sTimes.llUsed / static_cast<std::int64_t>(iDivisor);
}

JNIEXPORT jdouble JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(JNIEnv* /*pEnv*/,
                                                                                                 jclass /*cls*/) {
    const ProcessTimes sTimes = ReadProcessTimes();
    FILETIME sNow{};
    corvane::g_win.getSystemTimeAsFileTime(&sNow);
    const std::int64_t llElapsed = Units(sNow) - sTimes.llCreation;
    if (llElapsed < 10000) return 0.0;
    const auto llProduct = static_cast<std::int64_t>(static_cast<std::uint64_t>(gs_iNumberOfProcessors) *
                                                     static_cast<std::uint64_t>(llElapsed));
    if (llProduct == 0) return 0.0;  // no processor count: no figure rather than infinity
    return static_cast<double>(sTimes.llUsed) / static_cast<double>(llProduct);
}

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(
    JNIEnv* /*pEnv*/, jclass /*cls*/) {
    if (jvmpi_interface == nullptr) return 0;
    return jvmpi_interface->GetCurrentThreadCpuTime();  // the JVM's figure, unchanged
}

}  // extern "C"
