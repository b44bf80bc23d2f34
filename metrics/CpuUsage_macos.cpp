// The macOS sampler: Mach host CPU-load statistics, measured from the sample the
// constructor takes (that is, from library load).
//
// The counters are 32-bit and every difference wraps modulo 2^32; the tick members are the
// build's 32-bit long, the percentages single precision. Concurrent GetCpuTime calls are
// serialised: each writes the latest sample and the tick members and reads them back, so
// two calls at once would mix their figures.
#include <cstdint>
#include <mutex>

#include "metrics/CpuUsage.h"

namespace {

// One lock for the sampler: the process has one instance, g_cpuLoad. A mutex is constant-
// initialised, so it is ready before the static constructor of g_cpuLoad runs.
std::mutex s_sampleLock;

// A 32-bit tick figure as the build's long (wraps as the 32-bit counters do).
long AsLong(std::uint32_t uTicks) { return static_cast<long>(static_cast<std::int32_t>(uTicks)); }

// 100 x ticks in 32-bit integer arithmetic, then ratio of the two in single precision.
float Percent(long liTicks, long liTotalTicks) {
    const auto iProduct = static_cast<std::int32_t>(100u * static_cast<std::uint32_t>(liTicks));
    return static_cast<float>(iProduct) / static_cast<float>(liTotalTicks);
}

}  // namespace

cCpuUsage::cCpuUsage()
    : m_bFirstTime(true),
      m_iOldUser(0),
      m_iOldNice(0),
      m_iOldSystem(0),
      m_iOldIdle(0),
      m_iOldUserT(0),
      m_iOldNiceT(0),
      m_iOldSystemT(0),
      m_iOldIdleT(0),
      m_libtop_port(mach_host_self()),
      m_fCpuUser(0.0f),
      m_fCpuSys(0.0f),
      m_fCpuIdle(0.0f),
      m_liUserTicks(0),
      m_liSysTicks(0),
      m_liIdleTicks(0),
      m_liTotalTicks(0),
      m_samp_tsamp() {
    // The reference sample. A failure is not detected: the zeroed record then serves, and
    // later readings count from the host's start instead of from load.
    libtop_p_load_get(&m_samp_tsamp.b_cpu);
    m_samp_tsamp.p_cpu = m_samp_tsamp.b_cpu;
    m_samp_tsamp.cpu = m_samp_tsamp.b_cpu;
}

cCpuUsage::~cCpuUsage() {}

boolean_t cCpuUsage::libtop_p_load_get(host_cpu_load_info_t r_load) {
    mach_msg_type_number_t count = HOST_CPU_LOAD_INFO_COUNT;
    const kern_return_t error =
        host_statistics(m_libtop_port, HOST_CPU_LOAD_INFO, reinterpret_cast<host_info_t>(r_load), &count);
    return error != KERN_SUCCESS;
}

unsigned int cCpuUsage::GetCpuTime() {
    std::lock_guard<std::mutex> guard(s_sampleLock);
    // A failed sample answers 0 and leaves the tick and percentage members as they were.
    if (libtop_p_load_get(&m_samp_tsamp.cpu)) return 0;

    const natural_t* pNow = m_samp_tsamp.cpu.cpu_ticks;
    const natural_t* pRef = m_samp_tsamp.p_cpu.cpu_ticks;
    const std::uint32_t uUser =
        (pNow[CPU_STATE_USER] + pNow[CPU_STATE_NICE]) - pRef[CPU_STATE_NICE] - pRef[CPU_STATE_USER];
    const std::uint32_t uSys = pNow[CPU_STATE_SYSTEM] - pRef[CPU_STATE_SYSTEM];
    const std::uint32_t uIdle = pNow[CPU_STATE_IDLE] - pRef[CPU_STATE_IDLE];
    m_liUserTicks = AsLong(uUser);
    m_liSysTicks = AsLong(uSys);
    m_liIdleTicks = AsLong(uIdle);
    m_liTotalTicks = AsLong(uUser + uSys + uIdle);

    if (m_liTotalTicks != 0) {
        m_fCpuUser = Percent(m_liUserTicks, m_liTotalTicks);
        m_fCpuSys = Percent(m_liSysTicks, m_liTotalTicks);
        m_fCpuIdle = Percent(m_liIdleTicks, m_liTotalTicks);
    } else {
        m_fCpuUser = 0.0f;
        m_fCpuSys = 0.0f;
        m_fCpuIdle = 0.0f;
    }
    return static_cast<std::uint32_t>(m_liUserTicks) + static_cast<std::uint32_t>(m_liSysTicks);
}

int cCpuUsage::GetCpuUsage() { return 0; }

namespace corvane {
// The macOS reference sample is the constructor's: nothing to take at load.
void PrimeSamplerAtLoad() {}
}  // namespace corvane
