// Process CPU time through the real natives over scripted times() readings: the library is
// "loaded" at one reading and asked at another.
#pragma once

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "tests/fakes/OsSeamScope.h"

namespace corvane::test {

// nativeGetProcessCPUTime after JNI_OnLoad read sStart and the native reads sEnd, at
// lTicksPerSecond clock ticks per second.
inline jlong ProcessCpuTimeBetween(const TmsRecord& sStart, const TmsRecord& sEnd, long lTicksPerSecond = 100) {
    static TmsRecord s_now;
    static long s_lTicks;
    OsSeamScope seam;
    g_os.readTimes = [](TmsRecord* pTms) {
        *pTms = s_now;
        return 0;
    };
    g_os.sysconf = [](int) { return s_lTicks; };
    s_lTicks = lTicksPerSecond;
    s_now = sStart;
    JNI_OnLoad(nullptr, nullptr);
    s_now = sEnd;
    return Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr);
}

}  // namespace corvane::test
