// The system-CPU natives of the builds that carry the tick sampler (Linux, macOS).
#include "bridge/Corvane.h"
#include "metrics/Globals.h"

extern "C" {

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(JNIEnv* /*pEnv*/,
                                                                                             jclass /*cls*/) {
    return static_cast<jlong>(g_cpuLoad.GetCpuTime());
}

JNIEXPORT jshort JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
    JNIEnv* /*pEnv*/, jclass /*cls*/, jlong jlTimeDelta, jlong jlCapureDelta) {
    // The platform's long: whole on 64-bit builds, the low 32 bits on 32-bit ones.
    return g_cpuLoad.GetTimeAsPercent(static_cast<long>(jlTimeDelta), static_cast<long>(jlCapureDelta));
}

}  // extern "C"
