// The Windows sampler: platform classes, the counter it reads per class, its arithmetic,
// and the registry switch of the performance counters (checked against keys the test
// creates in the registry).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "bridge/Corvane.h"
#include "metrics/Globals.h"
#include "tests/fakes/FakePerfData.h"
#include "tests/fakes/PerfBlockBuilder.h"

namespace {

using corvane::g_win;
using corvane::test::FakePerfData;
using corvane::test::PerfBlock;
using corvane::test::PerfBlockBuilder;
using corvane::test::PerfInstance;
using corvane::test::PerfObject;

// The version the sampler is told.
struct FakeVersion {
    static inline DWORD s_dwPlatform = VER_PLATFORM_WIN32_NT;
    static inline DWORD s_dwMajor = 6;
    static inline bool s_bFail = false;
    static inline DWORD s_dwSizeSeen = 0;
    static BOOL WINAPI Get(LPOSVERSIONINFOA pInfo) {
        s_dwSizeSeen = pInfo->dwOSVersionInfoSize;
        if (s_bFail) return FALSE;
        pInfo->dwPlatformId = s_dwPlatform;
        pInfo->dwMajorVersion = s_dwMajor;
        return TRUE;
    }
    static void Set(DWORD dwPlatform, DWORD dwMajor, bool bFail = false) {
        s_dwPlatform = dwPlatform;
        s_dwMajor = dwMajor;
        s_bFail = bFail;
        g_win.getVersionExA = &Get;
    }
};

PerfBlock ProcessorBlock(std::int64_t llTotal, std::int64_t llPerfTime) {
    return PerfBlockBuilder()
        .PerfTime100nSec(llPerfTime)
        .Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"0", {5}}, PerfInstance{u"_Total", {llTotal}}}})
        .Build();
}

struct ClassCase {
    DWORD platform;
    DWORD major;
    bool fail;
    ePlatformClass expected;
};

void PrintTo(const ClassCase& c, std::ostream* pOut) { *pOut << c.platform << "." << c.major << (c.fail ? " failing" : ""); }

class PlatformClass : public ::testing::TestWithParam<ClassCase> {};

TEST_P(PlatformClass, FromTheVersionTheSystemReports) {
    FakePerfData fake;
    FakeVersion::Set(GetParam().platform, GetParam().major, GetParam().fail);
    EXPECT_EQ(GetParam().expected, ClassifyPlatform());
    EXPECT_EQ(148u, FakeVersion::s_dwSizeSeen);
}

INSTANTIATE_TEST_SUITE_P(Table, PlatformClass,
                         ::testing::Values(ClassCase{VER_PLATFORM_WIN32_NT, 4, false, OS_NT4},
                                           ClassCase{VER_PLATFORM_WIN32_NT, 5, false, OS_NT5_PLUS},
                                           ClassCase{VER_PLATFORM_WIN32_NT, 10, false, OS_NT5_PLUS},
                                           ClassCase{VER_PLATFORM_WIN32_NT, 3, false, OS_NT5_PLUS},
                                           ClassCase{VER_PLATFORM_WIN32_WINDOWS, 4, false, OS_WIN9X},
                                           ClassCase{VER_PLATFORM_WIN32s, 3, false, OS_OTHER},
                                           ClassCase{VER_PLATFORM_WIN32_NT, 6, true, OS_OTHER}));

TEST(PlatformClass, WineIsNt5Plus) { EXPECT_EQ(OS_NT5_PLUS, ClassifyPlatform()); }

struct PercentCase {
    long timeDelta;
    long capureDelta;
    short expected;
};

void PrintTo(const PercentCase& c, std::ostream* pOut) { *pOut << c.timeDelta << "/" << c.capureDelta; }

class WindowsTimeAsPercent : public ::testing::TestWithParam<PercentCase> {};

TEST_P(WindowsTimeAsPercent, BusyShareOfTheInterval) {
    cCpuUsage sampler;
    EXPECT_EQ(GetParam().expected, sampler.GetTimeAsPercent(GetParam().timeDelta, GetParam().capureDelta));
    EXPECT_EQ(GetParam().expected, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                                       nullptr, nullptr, GetParam().timeDelta, GetParam().capureDelta));
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsTimeAsPercent,
                         ::testing::Values(PercentCase{250, 1000, 75}, PercentCase{1000, 1000, 0},
                                           PercentCase{1, 3, 66}, PercentCase{2000, 1000, -100},
                                           PercentCase{0, 1000, 100}, PercentCase{1000, 0, 0},
                                           PercentCase{0, 0, 0},
                                           PercentCase{-400, 1, -25436},  // 40100 reduced to 16 bits
                                           PercentCase{2147483647, 1, 0}));

TEST(WindowsTimeAsPercentNative, UsesTheLow32BitsOfEachArgument) {
    EXPECT_EQ(75, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                      nullptr, nullptr, (INT64_C(1) << 32) + 250, 1000));
    EXPECT_EQ(75, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                      nullptr, nullptr, 250, (INT64_C(7) << 32) + 1000));
    // 0xFFFFFFFF as the low half is -1: (1 - (-1/1)) x 100.
    EXPECT_EQ(200, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                       nullptr, nullptr, INT64_C(0xFFFFFFFF), 1));
}

// GetCpuTime on blocks: the raw value over 10000, and the reader's misses all come out 0.
struct CpuTimeCase {
    const char* name;
    PerfBlock block;
    std::int64_t expected;
};

void PrintTo(const CpuTimeCase& c, std::ostream* pOut) { *pOut << c.name; }

class WindowsCpuTime : public ::testing::TestWithParam<CpuTimeCase> {};

TEST_P(WindowsCpuTime, RawValueInMilliseconds) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    fake.Serve(GetParam().block);
    cCpuUsage sampler;
    EXPECT_EQ(GetParam().expected, sampler.GetCpuTime());
    EXPECT_EQ(GetParam().expected, sampler.GetCpuTime());  // the baseline stays 0
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCpuTime,
    ::testing::Values(
        CpuTimeCase{"just_below_3x10000", ProcessorBlock(29999, 1), 2},
        CpuTimeCase{"64_bit_value", ProcessorBlock(INT64_C(123456789012345), 1), INT64_C(12345678901)},
        CpuTimeCase{"total_instance_missing",
                    PerfBlockBuilder().Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"0", {99999}}}}).Build(), 0},
        CpuTimeCase{"object_missing", PerfBlockBuilder().Add(PerfObject{2, {240}, false, {99999}, {}}).Build(), 0}),
    [](const ::testing::TestParamInfo<CpuTimeCase>& info) { return std::string(info.param.name); });

TEST(WindowsCpuTimeClasses, Nt4ReadsTheSystemObjectWithoutAnInstance) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 4);
    fake.Serve(PerfBlockBuilder()
                   .Add(PerfObject{2, {10, 240}, false, {1, 450000}, {}})
                   .Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"_Total", {990000}}}})
                   .Build());
    cCpuUsage sampler;
    EXPECT_EQ(45, sampler.GetCpuTime());
    EXPECT_EQ(std::vector<std::string>{"2"}, fake.valueNames);
}

TEST(WindowsCpuTimeClasses, UnmeasuredWindowsAnswerMinus1) {
    for (DWORD dwPlatform : {DWORD{VER_PLATFORM_WIN32_WINDOWS}, DWORD{VER_PLATFORM_WIN32s}}) {
        FakePerfData fake;
        FakeVersion::Set(dwPlatform, 4);
        fake.Serve(ProcessorBlock(29999, 1));
        cCpuUsage sampler;
        EXPECT_EQ(-1, sampler.GetCpuTime());
        EXPECT_EQ(-1, sampler.GetCpuUsage());
        EXPECT_TRUE(fake.valueNames.empty());
    }
}

TEST(WindowsCpuTimeClasses, ClassIsTakenOnceForTheLifeOfTheSampler) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    fake.Serve(ProcessorBlock(29999, 1));
    cCpuUsage sampler;
    EXPECT_EQ(2, sampler.GetCpuTime());
    FakeVersion::Set(VER_PLATFORM_WIN32_WINDOWS, 4);
    EXPECT_EQ(2, sampler.GetCpuTime());
}

TEST(WindowsCpuTimeClasses, AReaderThatCannotBeAllocatedDoesNotStopTheReading) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    fake.Serve(ProcessorBlock(29999, 1));
    g_win.malloc = [](std::size_t uSize) -> void* {
        return uSize == sizeof(corvane::perf::cPerfDataReader) ? nullptr : std::malloc(uSize);
    };
    cCpuUsage sampler;
    EXPECT_EQ(2, sampler.GetCpuTime());
    EXPECT_EQ(2, sampler.GetCpuTime());
}

TEST(WindowsCpuTimeClasses, WithoutABlockTheReadingIs0) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    g_win.malloc = [](std::size_t uSize) -> void* { return uSize == 102400 ? nullptr : std::malloc(uSize); };
    cCpuUsage sampler;
    EXPECT_EQ(0, sampler.GetCpuTime());  // the reader's 1 over 10000
    EXPECT_EQ(0, sampler.GetCpuUsage());
}

// GetCpuUsage: a sequence of readings, each with the counter and the block time.
struct UsageStep {
    std::int64_t counter;
    std::int64_t perfTime;
    int expected;
};

struct UsageCase {
    const char* name;
    std::vector<UsageStep> steps;
};

void PrintTo(const UsageCase& c, std::ostream* pOut) { *pOut << c.name; }

class WindowsCpuUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(WindowsCpuUsage, BusyPercentageSinceThePreviousReading) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    cCpuUsage sampler;
    for (const UsageStep& step : GetParam().steps) {
        fake.Serve(ProcessorBlock(step.counter, step.perfTime));
        EXPECT_EQ(step.expected, sampler.GetCpuUsage()) << step.counter << " at " << step.perfTime;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCpuUsage,
    ::testing::Values(
        UsageCase{"first_reading_is_0_then_three_quarters_idle_is_25",
                  {{1000, 10000, 0}, {1000 + 30000, 10000 + 40000, 25}}},
        UsageCase{"a_quarter_idle_is_75", {{0, 0, 0}, {10000, 40000, 75}, {20000, 80000, 75}}},
        UsageCase{"no_block_time_growth_is_0", {{0, 500, 0}, {100, 500, 0}}},
        UsageCase{"idle_faster_than_time_is_0", {{0, 0, 0}, {50000, 40000, 0}}},
        UsageCase{"all_busy_is_100", {{7, 100, 0}, {7, 200, 100}}},
        UsageCase{"rounds_half_up", {{0, 0, 0}, {3, 8, 63}}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST(WindowsCpuUsageOrder, AfterTheLoadSampleTheFirstUsageCountsFromZero) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    fake.Serve(ProcessorBlock(1000, 4000));
    cCpuUsage sampler;
    sampler.GetCpuTime();  // as the load hook does: the first reading is taken here
    EXPECT_EQ(75, sampler.GetCpuUsage());  // against a counter and time of 0
}

// Overlapping callers of one sampler: each GetCpuTime replaces the sampler's reader object
// and every reading walks the one shared buffer. Serialised, every reading sees a whole
// block, and no reader object is released twice.
TEST(WindowsSamplerConcurrency, OverlappingReadingsOfOneSampler) {
    FakePerfData fake;
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
    fake.Serve(ProcessorBlock(29999, 1000));
    cCpuUsage sampler;
    std::atomic<int> iBad{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&sampler, &iBad, t] {
            for (int i = 0; i < 500; ++i) {
                if (t % 2 == 0) {
                    if (sampler.GetCpuTime() != 2) ++iBad;
                } else {
                    if (sampler.GetCpuUsage() != 0) ++iBad;  // the value runs ahead of the time: 0
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, iBad.load());
}

// The registry switch of the performance counters, for real in the registry. The keys are
// created by the test (Wine has none) and removed afterwards; a registry that already has
// them is left alone and the test is skipped.
class PerfCounterSwitch : public ::testing::Test {
protected:
    static constexpr const char* kOs = "SYSTEM\\CurrentControlSet\\Services\\PerfOS";
    static constexpr const char* kProc = "SYSTEM\\CurrentControlSet\\Services\\PerfProc";

    void SetUp() override {
        if (Exists(kOs) || Exists(kProc)) GTEST_SKIP() << "performance keys exist already";
        FakeVersion::Set(VER_PLATFORM_WIN32_NT, 6);
        m_fake.Serve(ProcessorBlock(29999, 1));
    }
    void TearDown() override {
        for (const char* pKey : m_created) RegDeleteTreeA(HKEY_LOCAL_MACHINE, pKey);
    }

    static bool Exists(const char* pKey) {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, pKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
        RegCloseKey(hKey);
        return true;
    }
    void Create(const char* pService) {
        const std::string path = std::string(pService) + "\\Performance";
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &hKey, nullptr));
        RegCloseKey(hKey);
        m_created.push_back(pService);
    }
    // The value, or -1 when it is absent.
    static long long Disabled(const char* pService) {
        const std::string path = std::string(pService) + "\\Performance";
        DWORD dwValue = 0, dwSize = sizeof dwValue, dwType = 0;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), "Disable Performance Counters", RRF_RT_ANY, &dwType,
                         &dwValue, &dwSize) != ERROR_SUCCESS) {
            return -1;
        }
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);
        return dwValue;
    }
    static void SetDisabled(const char* pService, DWORD dwValue) {
        const std::string path = std::string(pService) + "\\Performance";
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, path.c_str(), "Disable Performance Counters",
                                                 REG_DWORD, &dwValue, sizeof dwValue));
    }

    FakePerfData m_fake;
    std::vector<const char*> m_created;
};

TEST_F(PerfCounterSwitch, FirstReadingSwitchesBothOnAndTheSecondWritesNothing) {
    Create(kOs);
    Create(kProc);
    SetDisabled(kOs, 1);
    SetDisabled(kProc, 1);
    cCpuUsage sampler;
    EXPECT_EQ(2, sampler.GetCpuTime());
    EXPECT_EQ(0, Disabled(kOs));
    EXPECT_EQ(0, Disabled(kProc));
    SetDisabled(kOs, 5);
    SetDisabled(kProc, 5);
    EXPECT_EQ(2, sampler.GetCpuTime());
    sampler.GetCpuUsage();
    EXPECT_EQ(5, Disabled(kOs));
    EXPECT_EQ(5, Disabled(kProc));
}

TEST_F(PerfCounterSwitch, MissingKeysMakeItFalseAndTheReadingGoesOn) {
    cCpuUsage sampler;
    EXPECT_FALSE(sampler.SwitchPerfCounters(true));
    EXPECT_EQ(2, sampler.GetCpuTime());
}

TEST_F(PerfCounterSwitch, SecondKeyMissingKeepsTheFirstValue) {
    Create(kOs);
    cCpuUsage sampler;
    EXPECT_FALSE(sampler.SwitchPerfCounters(true));
    EXPECT_EQ(0, Disabled(kOs));
    EXPECT_FALSE(sampler.SwitchPerfCounters(false));
    EXPECT_EQ(1, Disabled(kOs));
}

TEST_F(PerfCounterSwitch, Nt4WritesNothing) {
    Create(kOs);
    Create(kProc);
    FakeVersion::Set(VER_PLATFORM_WIN32_NT, 4);
    m_fake.Serve(PerfBlockBuilder().Add(PerfObject{2, {240}, false, {50000}, {}}).Build());
    cCpuUsage sampler;
    EXPECT_EQ(5, sampler.GetCpuTime());
    EXPECT_TRUE(sampler.SwitchPerfCounters(true));
    EXPECT_EQ(-1, Disabled(kOs));
    EXPECT_EQ(-1, Disabled(kProc));
}

}  // namespace
