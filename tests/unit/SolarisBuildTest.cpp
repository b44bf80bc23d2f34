// What the Solaris builds answer differently: system-CPU natives that answer 0, thread CPU
// time passed on unchanged, and 64-bit results carried whole by the 32-bit build too.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "metrics/ProcessMetrics.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/ScriptedTimes.h"

namespace {

using corvane::ClockT;
using corvane::TmsRecord;
using corvane::test::FakeJvmpi;
using corvane::test::OsSeamScope;

constexpr jlong k2To32 = INT64_C(1) << 32;

struct DeltaPair {
    jlong jlTimeDelta;
    jlong jlCapureDelta;
};

class SolarisSystemCpu : public ::testing::TestWithParam<DeltaPair> {};

TEST_P(SolarisSystemCpu, BothNativesAnswerZero) {
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                     nullptr, nullptr, GetParam().jlTimeDelta, GetParam().jlCapureDelta));
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(AnyArguments, SolarisSystemCpu,
                         ::testing::Values(DeltaPair{1, 3}, DeltaPair{1, 2}, DeltaPair{0, 0}, DeltaPair{5, 0},
                                           DeltaPair{-7, -2}, DeltaPair{k2To32 + 1, 2},
                                           DeltaPair{INT64_MAX, INT64_MIN}));

TEST(SolarisBuild, ClockWidthFollowsTheWordSize) {
    EXPECT_EQ(sizeof(void*), sizeof(ClockT)) << "clock_t is a signed long on Solaris";
    EXPECT_TRUE(static_cast<ClockT>(-1) < 0);
    EXPECT_EQ(1, corvane::kThreadCpuTimeScale);
}


struct ProcessCase {
    const char* name;
    TmsRecord start;
    TmsRecord end;
    jlong expected;
};
void PrintTo(const ProcessCase& c, std::ostream* pOut) { *pOut << c.name; }

class SolarisProcessCpuTime : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(SolarisProcessCpuTime, MillisecondsSinceLoadCarriedWhole) {
    EXPECT_EQ(GetParam().expected, corvane::test::ProcessCpuTimeBetween(GetParam().start, GetParam().end));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SolarisProcessCpuTime,
    ::testing::Values(
        // 500,000,000 ticks at 100 Hz: 5,000,000,000 ms, beyond 32 bits.
        ProcessCase{"beyond_32_bits", {0, 0, 0, 0}, {500000000, 0, 0, 0}, INT64_C(5000000000)},
        ProcessCase{"just_past_2_to_32", {0, 0, 0, 0}, {429496800, 0, 0, 6}, INT64_C(4294968060)},
        ProcessCase{"all_four_beyond_32_bits",
                    {1, 2, 3, 4},
                    {400000001, 400000002, 400000003, 400000004},
                    INT64_C(16000000000)},
        // A 32-bit counter that passed its top since load still gives the forward difference.
        ProcessCase{"counter_passed_its_top",
                    {static_cast<ClockT>(INT32_MAX - 99), 0, 0, 0},
                    {static_cast<ClockT>(static_cast<std::int64_t>(INT32_MAX) + 101), 0, 0, 0},
                    2000}),
    [](const ::testing::TestParamInfo<ProcessCase>& info) { return std::string(info.param.name); });

class SolarisThreadCpuTime : public ::testing::TestWithParam<jlong> {
protected:
    void TearDown() override { jvmpi_interface = nullptr; }
};

TEST_P(SolarisThreadCpuTime, PassedOnUnchanged) {
    FakeJvmpi jvmpi;
    FakeJvmpi::s_jlThreadCpuTime = GetParam();
    jvmpi_interface = &jvmpi.table;
    EXPECT_EQ(GetParam(),
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Table, SolarisThreadCpuTime,
                         ::testing::Values(jlong{0}, jlong{7}, k2To32, k2To32 + 1, INT64_C(123456789012345),
                                           INT64_MAX, jlong{-3}));

TEST(SolarisLoad, StoresTheProcessIdAtLoad) {
    JNI_OnLoad(nullptr, nullptr);
    EXPECT_EQ(static_cast<jint>(::getpid()),
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
}

}  // namespace
