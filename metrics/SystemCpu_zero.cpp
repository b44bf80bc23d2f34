// The system-CPU natives of the Solaris builds, which carry no sampler: both answer 0,
// whatever the arguments.
#include "bridge/Corvane.h"
#include "metrics/CpuUsage.h"

extern "C" {

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(JNIEnv* /*pEnv*/,
                                                                                             jclass /*cls*/) {
    return 0;
}

JNIEXPORT jshort JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
    JNIEnv* /*pEnv*/, jclass /*cls*/, jlong /*jlTimeDelta*/, jlong /*jlCapureDelta*/) {
    return 0;
}

}  // extern "C"

namespace corvane {
// No sampler, nothing to take at load.
void PrimeSamplerAtLoad() {}
}  // namespace corvane
