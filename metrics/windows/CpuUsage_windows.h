// The Windows system CPU sampler: the processors' inactive time from the performance data
// (object Processor, counter % Processor Time, instance _Total; on NT 4 the System
// object's % Total Processor Time). One instance, g_cpuLoad (metrics/Globals.h).
#pragma once

#include <cstdint>

#include "bridge/Platform.h"
#include "metrics/windows/PerfDataReader.h"

// The Windows platform classes the sampler tells apart.
enum ePlatformClass : int {
    OS_NT4 = 0,       // NT family, major version 4
    OS_NT5_PLUS = 1,  // NT family, any other major version
    OS_WIN9X = 2,     // Windows 95/98/Me
    OS_OTHER = 3,     // any other platform id, or the version could not be read
};

// Classifies the running Windows from GetVersionExA.
ePlatformClass ClassifyPlatform();

class cCpuUsage {
public:
    cCpuUsage();
    ~cCpuUsage();
    cCpuUsage(const cCpuUsage&) = delete;
    cCpuUsage& operator=(const cCpuUsage&) = delete;

    // Busy percentage since the previous reading: 0 on the first reading and without a
    // block, never below 0; -1 on a Windows that is not measured.
    int GetCpuUsage();
    // The busy percentage of an interval: lTimeDelta inactive milliseconds of
    // lCapureDelta elapsed ones, narrowed to 16 bits.
    short GetTimeAsPercent(long lTimeDelta, long lCapureDelta);
    // The inactive time of all processors in milliseconds; -1 on a Windows that is not
    // measured. A reading that finds nothing comes out as 0.
    std::int64_t GetCpuTime();

    // Writes "Disable Performance Counters" (0 to switch on) under the PerfOS and PerfProc
    // performance keys on NT5+ only. False when a key could not be opened.
    bool SwitchPerfCounters(bool bOn);

private:
    ePlatformClass Platform();

    corvane::perf::cPerfDataReader* m_pPerfReader;
    std::int64_t m_llBaseline;
    bool m_bFirstTime;
    std::int64_t m_llLastCounter;
    std::int64_t m_llLastPerfTime;
    int m_iPlatform;  // the cached class; -1 until the first reading classifies
};

namespace corvane {
// Takes the sampler's first sample at load.
void PrimeSamplerAtLoad();
}  // namespace corvane
