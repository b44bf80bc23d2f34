// The Windows sampler over the performance data. Its state and the reader's buffer are
// shared by every calling thread and serialised by one lock (PerfDataLock).
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#include "bridge/WinSeam.h"
#include "metrics/Globals.h"
#include "metrics/windows/PerfDataWalk.h"

using corvane::g_win;
using corvane::perf::cPerfDataReader;
using corvane::perf::PerfDataLock;

namespace {

// The counter each platform class reads.
struct CounterChoice {
    DWORD uObject;
    DWORD uCounter;
    const char* pInstance;
};

constexpr CounterChoice kNt4{2, 240, ""};            // System: % Total Processor Time
constexpr CounterChoice kNt5Plus{238, 6, "_Total"};  // Processor: % Processor Time

constexpr const char* kPerfKeys[] = {
    "SYSTEM\\CurrentControlSet\\Services\\PerfOS\\Performance",
    "SYSTEM\\CurrentControlSet\\Services\\PerfProc\\Performance",
};
constexpr REGSAM kReadWrite = 0x2001F;  // KEY_READ | KEY_WRITE

// Picks the counter of the class and fills the 256-byte instance name field; false on a
// class that is not measured.
bool ChooseCounter(int iPlatform, CounterChoice* pChoice, char (&aInstance)[256]) {
    std::memset(aInstance, 0, sizeof aInstance);
    if (iPlatform == OS_NT4) {
        *pChoice = kNt4;
    } else if (iPlatform == OS_NT5_PLUS) {
        *pChoice = kNt5Plus;
        std::strcpy(aInstance, kNt5Plus.pInstance);
    } else {
        return false;
    }
    pChoice->pInstance = aInstance;
    return true;
}

void ReleaseReader(cPerfDataReader* pReader) {
    if (pReader == nullptr) return;
    pReader->~cPerfDataReader();
    g_win.free(pReader);
}

// The percentage rounded to a signed 32-bit integer; 0 for a sum that is not a finite
// number inside that range.
int RoundedPercent(double dUsage) {
    const double dSum = dUsage + 0.5;
    if (!(dSum > -2147483649.0 && dSum < 2147483648.0)) return 0;
    return static_cast<int>(dSum);
}

}  // namespace

ePlatformClass ClassifyPlatform() {
    OSVERSIONINFOA sInfo;
    std::memset(&sInfo, 0, sizeof sInfo);
    sInfo.dwOSVersionInfoSize = sizeof sInfo;  // 148
    if (!g_win.getVersionExA(&sInfo)) return OS_OTHER;
    switch (sInfo.dwPlatformId) {
        case VER_PLATFORM_WIN32_NT:
            return sInfo.dwMajorVersion == 4 ? OS_NT4 : OS_NT5_PLUS;
        case VER_PLATFORM_WIN32_WINDOWS:
            return OS_WIN9X;
        default:
            return OS_OTHER;
    }
}

cCpuUsage::cCpuUsage()
    : m_pPerfReader(nullptr),
      m_llBaseline(0),
      m_bFirstTime(true),
      m_llLastCounter(0),
      m_llLastPerfTime(0),
      m_iPlatform(-1) {}

cCpuUsage::~cCpuUsage() {}

ePlatformClass cCpuUsage::Platform() {
    if (m_iPlatform < 0) m_iPlatform = ClassifyPlatform();
    return static_cast<ePlatformClass>(m_iPlatform);
}

bool cCpuUsage::SwitchPerfCounters(bool bOn) {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    if (Platform() != OS_NT5_PLUS) return true;
    const DWORD dwDisable = bOn ? 0 : 1;
    for (const char* pKey : kPerfKeys) {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, pKey, 0, kReadWrite, &hKey) != ERROR_SUCCESS) return false;
        RegSetValueExA(hKey, "Disable Performance Counters", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwDisable),
                       sizeof dwDisable);
        RegCloseKey(hKey);
    }
    return true;
}

std::int64_t cCpuUsage::GetCpuTime() {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    const int iPlatform = Platform();
    if (m_bFirstTime) SwitchPerfCounters(true);

    // The reader carries no state; without memory for a new one a local one serves.
    ReleaseReader(m_pPerfReader);
    void* pSpace = g_win.malloc(sizeof(cPerfDataReader));
    m_pPerfReader = pSpace != nullptr ? new (pSpace) cPerfDataReader : nullptr;
    cPerfDataReader localReader;
    cPerfDataReader* pReader = m_pPerfReader != nullptr ? m_pPerfReader : &localReader;

    char aInstance[256];
    CounterChoice choice{};
    if (!ChooseCounter(iPlatform, &choice, aInstance)) return -1;
    if (m_bFirstTime) {
        m_llBaseline = 0;
        m_bFirstTime = false;
    }
    PERF_DATA_BLOCK* pBlock = nullptr;
    const std::int64_t llValue = pReader->ReadCounter(&pBlock, choice.uObject, choice.uCounter, choice.pInstance);
    // Wrapping subtraction: the raw value is whatever the block holds.
    const auto llSince = static_cast<std::int64_t>(static_cast<std::uint64_t>(llValue) -
                                                   static_cast<std::uint64_t>(m_llBaseline));
    return llSince / 10000;
}

int cCpuUsage::GetCpuUsage() {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    const int iPlatform = Platform();
    if (m_bFirstTime) SwitchPerfCounters(true);
    cPerfDataReader reader;

    char aInstance[256];
    CounterChoice choice{};
    if (!ChooseCounter(iPlatform, &choice, aInstance)) return -1;
    PERF_DATA_BLOCK* pBlock = nullptr;
    const std::int64_t llValue = reader.ReadCounter(&pBlock, choice.uObject, choice.uCounter, choice.pInstance);
    const corvane::perf::cPerfBuffer* pBuffer = corvane::perf::CurrentPerfBuffer();
    std::int64_t llPerfTime = 0;
    if (pBlock == nullptr || pBuffer == nullptr ||
        !corvane::perf::ReadPerfTime100nSec(reinterpret_cast<const std::uint8_t*>(pBlock), pBuffer->Size(),
                                            &llPerfTime)) {
        return 0;
    }
    if (m_bFirstTime) {
        m_bFirstTime = false;
        m_llLastCounter = llValue;
        m_llLastPerfTime = llPerfTime;
        return 0;
    }
    const auto llDeltaValue = static_cast<std::int64_t>(static_cast<std::uint64_t>(llValue) -
                                                        static_cast<std::uint64_t>(m_llLastCounter));
    const double dDeltaTime = static_cast<double>(llPerfTime) - static_cast<double>(m_llLastPerfTime);
    m_llLastCounter = llValue;
    m_llLastPerfTime = llPerfTime;
    const double dUsage = (1.0 - static_cast<double>(llDeltaValue) / dDeltaTime) * 100.0;
    const int iResult = RoundedPercent(dUsage);
    return iResult < 0 ? 0 : iResult;
}

short cCpuUsage::GetTimeAsPercent(long lTimeDelta, long lCapureDelta) {
    if (lTimeDelta != 0 && lCapureDelta != 0) {
        const double dBusy = (1.0 - static_cast<double>(lTimeDelta) / static_cast<double>(lCapureDelta)) * 100.0;
        // Truncation to 32 bits; outside that range the processor's answer is INT32_MIN,
        // whose low 16 bits are 0.
        const std::int32_t iBusy =
            (dBusy > -2147483649.0 && dBusy < 2147483648.0) ? static_cast<std::int32_t>(dBusy) : INT32_MIN;
        return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(iBusy) & 0xFFFFu));
    }
    if (lCapureDelta == 0) return 0;
    return 100;
}

namespace corvane {
void PrimeSamplerAtLoad() { g_cpuLoad.GetCpuTime(); }
}  // namespace corvane
