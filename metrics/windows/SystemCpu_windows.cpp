// The system-CPU natives of the Windows build.
#include <cstdint>

#include "bridge/Corvane.h"
#include "metrics/Globals.h"

namespace {
// The low 32 bits of a jlong, as the signed 32-bit long of Windows.
long Low32(jlong jl) { return static_cast<long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(jl))); }
}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(JNIEnv* /*pEnv*/,
                                                                                             jclass /*cls*/) {
    return g_cpuLoad.GetCpuTime();
}

JNIEXPORT jshort JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
    JNIEnv* /*pEnv*/, jclass /*cls*/, jlong jlTimeDelta, jlong jlCapureDelta) {
    return g_cpuLoad.GetTimeAsPercent(Low32(jlTimeDelta), Low32(jlCapureDelta));
}

}  // extern "C"
