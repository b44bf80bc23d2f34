#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "metrics/ProcessMetrics.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/ScriptedTimes.h"
#include "tests/fakes/StdoutCapture.h"

namespace {

using corvane::ClockT;
using corvane::ProcessCpuMillis;
using corvane::TmsRecord;
using corvane::test::FakeJvmpi;
using corvane::test::OsSeamScope;
using corvane::test::StdoutCapture;

struct MillisCase {
    const char* name;
    TmsRecord start;
    TmsRecord end;
    double ticksPerSecond;
    jlong expected;
};

void PrintTo(const MillisCase& c, std::ostream* os) { *os << c.name; }

class ProcessCpuTime : public ::testing::TestWithParam<MillisCase> {};

TEST_P(ProcessCpuTime, TruncatesTheUserTermThenTheSum) {
    const MillisCase& c = GetParam();
    EXPECT_EQ(c.expected, ProcessCpuMillis(c.start, c.end, c.ticksPerSecond));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProcessCpuTime,
    ::testing::Values(
        MillisCase{"nothing_used", {5, 5, 5, 5}, {5, 5, 5, 5}, 100, 0},
        MillisCase{"under_one_tick", {5, 5, 0, 0}, {5, 5, 0, 0}, 100, 0},
        // 201 / 100.0 * 1000.0 is a little under 2010.
        MillisCase{"user_201_ticks_at_100Hz", {0, 0, 0, 0}, {201, 0, 0, 0}, 100, 2009},
        MillisCase{"user_and_system_201_ticks_at_100Hz", {0, 0, 0, 0}, {201, 201, 0, 0}, 100, 4019},
        // 16.67 truncated to 16, plus 16.67, truncated: 32.
        MillisCase{"one_tick_each_at_60Hz", {10, 10, 0, 0}, {11, 11, 0, 0}, 60, 32},
        MillisCase{"children_counted", {0, 0, 0, 0}, {0, 0, 50, 25}, 100, 750},
        MillisCase{"from_a_nonzero_baseline", {1000, 500, 3, 4}, {1250, 600, 3, 4}, 100, 3500},
        // A failed sysconf (-1): each term is -1000 x its tick difference.
        MillisCase{"negative_tick_rate", {0, 0, 0, 0}, {2, 3, 1, 1}, -1, -7000}),
    [](const ::testing::TestParamInfo<MillisCase>& info) { return std::string(info.param.name); });

TEST(ProcessCpuTimeNative, CountsFromTheBaselineStoredAtLoad) {
    EXPECT_EQ(4019, corvane::test::ProcessCpuTimeBetween({40, 20, 0, 0}, {40 + 201, 20 + 201, 0, 0}));
}

TEST(ProcessCpuTimeNative, FailedSysconfIsReportedAndTheArithmeticGoesOn) {
    StdoutCapture out;
    EXPECT_EQ(-8000, corvane::test::ProcessCpuTimeBetween({0, 0, 0, 0}, {3, 4, 0, 1}, -1));
    EXPECT_EQ("sysconf() failure", out.Stop());
}

TEST(ProcessCpuTimeNative, RealClockGrowsWithWork) {
    JNI_OnLoad(nullptr, nullptr);
    const jlong jlBefore = Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr);
    EXPECT_GE(jlBefore, 0);
    // Spin until three clock ticks of CPU are counted, for at most 10 s of wall time.
    const jlong jlTarget = jlBefore + 3 * (1000 / sysconf(_SC_CLK_TCK));
    const time_t tGiveUp = time(nullptr) + 10;
    volatile std::uint64_t uSink = 0;
    jlong jlNow = jlBefore;
    while (jlNow < jlTarget && time(nullptr) < tGiveUp) {
        for (int i = 0; i < 100000; ++i) uSink = uSink + static_cast<std::uint64_t>(i);
        jlNow = Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr);
    }
    EXPECT_GE(jlNow, jlTarget);
}

TEST(ProcessUsageNative, AnswersZero) {
    EXPECT_EQ(0.0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(nullptr, nullptr));
}

TEST(ProcessIdNative, AnswersTheIdStoredAtLoad) {
    {
        OsSeamScope seam;
        corvane::g_os.getpid = [] { return 4242; };
        JNI_OnLoad(nullptr, nullptr);
        corvane::g_os.getpid = [] { return 1; };  // a later change is not seen
        EXPECT_EQ(4242, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
    }
    JNI_OnLoad(nullptr, nullptr);
    EXPECT_EQ(static_cast<jint>(::getpid()),
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
}

struct ThreadCpuCase {
    jlong reported;
    jlong expected;
};

void PrintTo(const ThreadCpuCase& c, std::ostream* os) { *os << c.reported << " -> " << c.expected; }

class ThreadCpuTime : public ::testing::TestWithParam<ThreadCpuCase> {
protected:
    void TearDown() override { jvmpi_interface = nullptr; }
};

TEST_P(ThreadCpuTime, ScalesTheProfilerFigure) {
    FakeJvmpi jvmpi;
    FakeJvmpi::s_jlThreadCpuTime = GetParam().reported;
    jvmpi_interface = &jvmpi.table;
    EXPECT_EQ(GetParam().expected,
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Table, ThreadCpuTime,
                         ::testing::Values(ThreadCpuCase{0, 0},
                                           ThreadCpuCase{7, 7 * corvane::kThreadCpuTimeScale},
                                           ThreadCpuCase{INT64_C(5000000000), INT64_C(5000000000) * corvane::kThreadCpuTimeScale},
                                           ThreadCpuCase{-3, -3 * corvane::kThreadCpuTimeScale}));

TEST(ThreadCpuTimeNative, ZeroWithoutTheProfilerInterface) {
    jvmpi_interface = nullptr;
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
}

}  // namespace
