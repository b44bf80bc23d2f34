#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "bridge/Corvane.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/WinSeamScope.h"

namespace {

using corvane::g_win;
using corvane::test::FakeJvmpi;
using corvane::test::WinSeamScope;

// The process times the seam reports, in 100-nanosecond units.
struct FakeTimes {
    static inline std::int64_t s_llCreation = 0;
    static inline std::int64_t s_llKernel = 0;
    static inline std::int64_t s_llUser = 0;
    static inline std::int64_t s_llNow = 0;
    static FILETIME Ft(std::int64_t ll) {
        return FILETIME{static_cast<DWORD>(ll & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(ll) >> 32)};
    }
    static void Install(jint jiProcessors, std::int64_t llCreation, std::int64_t llKernel, std::int64_t llUser,
                        std::int64_t llNow) {
        s_llCreation = llCreation;
        s_llKernel = llKernel;
        s_llUser = llUser;
        s_llNow = llNow;
        gs_iNumberOfProcessors = jiProcessors;
        g_win.getProcessTimes = [](HANDLE, LPFILETIME pC, LPFILETIME pE, LPFILETIME pK, LPFILETIME pU) -> BOOL {
            *pC = Ft(s_llCreation);
            *pE = Ft(0);
            *pK = Ft(s_llKernel);
            *pU = Ft(s_llUser);
            return TRUE;
        };
        g_win.getSystemTimeAsFileTime = [](LPFILETIME pNow) { *pNow = Ft(s_llNow); };
    }
};

struct TimeCase {
    const char* name;
    jint processors;
    std::int64_t kernel;
    std::int64_t user;
    jlong expected;
};

void PrintTo(const TimeCase& c, std::ostream* pOut) { *pOut << c.name; }

class WindowsProcessCpuTime : public ::testing::TestWithParam<TimeCase> {
protected:
    WinSeamScope m_scope;
};

TEST_P(WindowsProcessCpuTime, MillisecondsPerProcessor) {
    const TimeCase& c = GetParam();
    FakeTimes::Install(c.processors, 0, c.kernel, c.user, 0);
    EXPECT_EQ(c.expected, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsProcessCpuTime,
    ::testing::Values(TimeCase{"four_processors_four_seconds", 4, 30000000, 10000000, 1000},
                      TimeCase{"truncates", 3, 0, 99999, 3},
                      TimeCase{"past_32_bits", 1, INT64_C(50000000000000), INT64_C(50000000000000), INT64_C(10000000000)},
                      TimeCase{"no_processor_count_gives_0", 0, 123456789, 0, 0}),
    [](const ::testing::TestParamInfo<TimeCase>& info) { return std::string(info.param.name); });

struct UsageCase {
    const char* name;
    jint processors;
    std::int64_t elapsed;
    std::int64_t used;
    double expected;
};

void PrintTo(const UsageCase& c, std::ostream* pOut) { *pOut << c.name; }

class WindowsProcessCpuUsage : public ::testing::TestWithParam<UsageCase> {
protected:
    WinSeamScope m_scope;
};

TEST_P(WindowsProcessCpuUsage, RatioOverTheLifeOfTheProcess) {
    const UsageCase& c = GetParam();
    const std::int64_t llCreation = INT64_C(133000000000000000);
    FakeTimes::Install(c.processors, llCreation, c.used / 2, c.used - c.used / 2, llCreation + c.elapsed);
    EXPECT_DOUBLE_EQ(c.expected,
                     Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsProcessCpuUsage,
    ::testing::Values(UsageCase{"two_processors_ten_seconds_quarter", 2, 100000000, 50000000, 0.25},
                      UsageCase{"under_one_millisecond_alive", 2, 9999, 9999, 0.0},
                      UsageCase{"exactly_one_millisecond_divides", 1, 10000, 5000, 0.5},
                      UsageCase{"clock_before_creation", 2, -50000000, 1000, 0.0},
                      UsageCase{"no_processor_count_gives_0", 0, 100000000, 5000, 0.0}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST(WindowsProcessMetricsReal, FiguresOfThisProcess) {
    JNI_OnLoad(nullptr, nullptr);
    volatile std::uint64_t uSink = 0;
    for (int i = 0; i < 20000000; ++i) uSink = uSink + static_cast<std::uint64_t>(i);
    EXPECT_GE(Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr), 0);
    const jdouble jdUsage = Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(nullptr, nullptr);
    EXPECT_GE(jdUsage, 0.0);
    EXPECT_LE(jdUsage, 1.5);
}

TEST(WindowsThreadCpuTime, TheProfilerFigureUnchanged) {
    FakeJvmpi jvmpi;
    jvmpi_interface = &jvmpi.table;
    for (jlong jl : {jlong{0}, jlong{7}, INT64_C(5000000000), jlong{-3}}) {
        FakeJvmpi::s_jlThreadCpuTime = jl;
        EXPECT_EQ(jl, Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
    }
    jvmpi_interface = nullptr;
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
}

}  // namespace
