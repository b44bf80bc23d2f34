// The machine-wide CPU sampler: busy ticks of all processors since a reference sample.
// One instance, g_cpuLoad (metrics/Globals.h), serves the system-CPU natives.
#pragma once

#include <atomic>
#include <cstdint>

#include "bridge/Platform.h"

#if defined(CORVANE_MACOS)
#include "jni/macos/MachHost.h"
#endif

#if defined(CORVANE_MACOS)
// The host samples the macOS sampler keeps.
struct libtop_tsamp_t {
    std::uint32_t seq;
    std::uint32_t nprocs;
    host_cpu_load_info_data_t cpu;    // the latest sample
    host_cpu_load_info_data_t b_cpu;  // the sample taken at construction
    host_cpu_load_info_data_t p_cpu;  // the reference every reading subtracts
};
#endif

class CORVANE_VISIBLE cCpuUsage {
public:
    cCpuUsage();
    ~cCpuUsage();

    int GetCpuUsage();
    // Ratio of the two deltas in thousandths, narrowed to 16 bits; 0 when either is 0.
    short GetTimeAsPercent(long lTimeDelta, long lCapureDelta);
    // Busy ticks (user + nice + system) since the reference sample, modulo 2^32.
    unsigned int GetCpuTime();

private:
    bool TakeReference();

    // Members the constructor does not set start at 0, in any storage.
    std::atomic<bool> m_bFirstTime{false};  // set until the reference sample is taken
    std::uint32_t m_iOldUser;
    std::uint32_t m_iOldNice;
    std::uint32_t m_iOldSystem;
    std::uint32_t m_iOldIdle;
    std::uint32_t m_iOldUserT = 0;
    std::uint32_t m_iOldNiceT = 0;
    std::uint32_t m_iOldSystemT = 0;
    std::uint32_t m_iOldIdleT = 0;
#if defined(CORVANE_MACOS)
    boolean_t libtop_p_load_get(host_cpu_load_info_t r_load);

    mach_port_t m_libtop_port;
    float m_fCpuUser;
    float m_fCpuSys;
    float m_fCpuIdle;
    long m_liUserTicks;
    long m_liSysTicks;
    long m_liIdleTicks;
    long m_liTotalTicks;
    libtop_tsamp_t m_samp_tsamp;
#endif
};

namespace corvane {
// Takes the sampler's first sample at load, on the builds that prime it there.
void PrimeSamplerAtLoad();
}  // namespace corvane
