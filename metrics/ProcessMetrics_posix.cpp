// Process id, process CPU time and usage, and current-thread CPU time on POSIX builds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "metrics/ProcessMetrics.h"

namespace corvane {
namespace {

// A difference of two clock readings, formed in the build's clock type (modulo its width).
double TickDelta(ClockT now, ClockT start) {
    using Unsigned = std::make_unsigned_t<ClockT>;
    return static_cast<double>(
        static_cast<ClockT>(static_cast<Unsigned>(now) - static_cast<Unsigned>(start)));
}

double Millis(ClockT now, ClockT start, double dTicks) { return TickDelta(now, start) / dTicks * 1000.0; }

// Conversion to a 64-bit integer, truncating toward zero; values beyond its range saturate.
jlong TruncateToJlong(double d) {
    if (!(d == d)) return 0;
    if (d >= 9223372036854775807.0) return INT64_MAX;
    if (d <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<jlong>(d);
}

}  // namespace

jlong ProcessCpuMillis(const TmsRecord& sStart, const TmsRecord& sEnd, double dTicks) {
    const double dUser = static_cast<double>(TruncateToJlong(Millis(sEnd.tms_utime, sStart.tms_utime, dTicks)));
    const double dSystem = Millis(sEnd.tms_stime, sStart.tms_stime, dTicks);
    const double dChildUser = Millis(sEnd.tms_cutime, sStart.tms_cutime, dTicks);
    const double dChildSystem = Millis(sEnd.tms_cstime, sStart.tms_cstime, dTicks);
    return TruncateToJlong(dUser + dSystem + dChildUser + dChildSystem);
}

}  // namespace corvane

extern "C" {

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(JNIEnv* /*pEnv*/,
                                                                                              jclass /*cls*/) {
    corvane::TmsRecord sTmsEnd{};
    corvane::g_os.readTimes(&sTmsEnd);
    const double dTicks = static_cast<double>(corvane::g_os.sysconf(_SC_CLK_TCK));
    if (dTicks < 0) std::printf("sysconf() failure");
    return corvane::ProcessCpuMillis(gs_sTmsStart, sTmsEnd, dTicks);
}

JNIEXPORT jdouble JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(JNIEnv* /*pEnv*/,
                                                                                                 jclass /*cls*/) {
    return 0.0;
}

JNIEXPORT jlong JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(
    JNIEnv* /*pEnv*/, jclass /*cls*/) {
    if (jvmpi_interface == nullptr) return 0;
    const jlong jlTime = jvmpi_interface->GetCurrentThreadCpuTime();
    // Signed 64-bit product, wrapping as the machine does rather than overflowing.
    return static_cast<jlong>(static_cast<std::uint64_t>(jlTime) *
                              static_cast<std::uint64_t>(corvane::kThreadCpuTimeScale));
}

}  // extern "C"
