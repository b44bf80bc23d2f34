// The Linux sampler: the aggregate "cpu" line of /proc/stat, opened afresh for every sample.
#include <cstdint>
#include <mutex>

#include "bridge/OsSeam.h"
#include "metrics/CpuUsage.h"
#include "metrics/Globals.h"
#include "metrics/ProcStat.h"

namespace {
enum { kUser, kNice, kSystem, kIdle };

// Guards the reference sample: taken once, by whichever caller comes first. Later samples
// only read the reference and take no lock.
std::mutex g_referenceLock;
}  // namespace

cCpuUsage::cCpuUsage() {
    m_bFirstTime = true;
    m_iOldUser = 0;
    m_iOldNice = 0;
    m_iOldSystem = 0;
    m_iOldIdle = 0;
}

cCpuUsage::~cCpuUsage() {}

unsigned int cCpuUsage::GetCpuTime() {
    if (m_bFirstTime.load(std::memory_order_acquire) && TakeReference()) return 0;
    std::uint32_t aNow[4] = {0, 0, 0, 0};
    if (corvane::ReadStatCounters(corvane::g_os.procStatPath, aNow) < 0) return 0;
    return (aNow[kUser] - m_iOldUserT) + (aNow[kSystem] - m_iOldSystemT) + (aNow[kNice] - m_iOldNiceT);
}

// Takes the reference sample unless another caller has just taken it. Answers true when
// this call is done (the reference taken now, or the file unreadable: the call answers 0
// and the next one tries again).
bool cCpuUsage::TakeReference() {
    std::lock_guard<std::mutex> lock(g_referenceLock);
    if (!m_bFirstTime.load(std::memory_order_relaxed)) return false;
    // Counters that cannot be read keep their earlier values.
    std::uint32_t aRef[4] = {m_iOldUserT, m_iOldNiceT, m_iOldSystemT, m_iOldIdleT};
    if (corvane::ReadStatCounters(corvane::g_os.procStatPath, aRef) < 0) return true;
    m_iOldUserT = aRef[kUser];
    m_iOldNiceT = aRef[kNice];
    m_iOldSystemT = aRef[kSystem];
    m_iOldIdleT = aRef[kIdle];
    m_bFirstTime.store(false, std::memory_order_release);
    return true;
}

int cCpuUsage::GetCpuUsage() {
    // Busy ticks since the system started: the reference members stay 0, and no native
    // calls this.
    std::uint32_t aNow[4] = {0, 0, 0, 0};
    if (corvane::ReadStatCounters(corvane::g_os.procStatPath, aNow) < 0) return 0;
    return static_cast<int>((aNow[kUser] - m_iOldUser) + (aNow[kSystem] - m_iOldSystem) +
                            (aNow[kNice] - m_iOldNice));
}

namespace corvane {
void PrimeSamplerAtLoad() { g_cpuLoad.GetCpuTime(); }
}  // namespace corvane
