// What the macOS build answers differently: process CPU time over an unsigned 32-bit
// clock, the capture's creation flags.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "capture/CaptureNames.h"
#include "metrics/ProcessMetrics.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/ScriptedTimes.h"

namespace {

using corvane::ClockT;
using corvane::TmsRecord;
using corvane::test::OsSeamScope;

TEST(MacosBuild, ClockIsUnsigned32Bits) {
    EXPECT_TRUE((std::is_same_v<ClockT, std::uint32_t>));
    EXPECT_EQ(4u, sizeof(long)) << "the build's long is 32-bit";
    EXPECT_EQ(1000, corvane::kThreadCpuTimeScale);
}


struct ClockCase {
    const char* name;
    TmsRecord start;
    TmsRecord end;
    jlong expected;
};
void PrintTo(const ClockCase& c, std::ostream* pOut) { *pOut << c.name; }

class MacosProcessCpuTime : public ::testing::TestWithParam<ClockCase> {};

TEST_P(MacosProcessCpuTime, DifferencesWrapModulo2To32AndAreNeverNegative) {
    EXPECT_EQ(GetParam().expected, corvane::test::ProcessCpuTimeBetween(GetParam().start, GetParam().end));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MacosProcessCpuTime,
    ::testing::Values(
        // The user counter passed 2^32 since load: 100 ticks before it, 200 after.
        ClockCase{"user_counter_passed_2_to_32", {UINT32_MAX - 99, 0, 0, 0}, {200, 0, 0, 0}, 3000},
        ClockCase{"every_counter_passed_2_to_32",
                  {UINT32_MAX, UINT32_MAX, UINT32_MAX, UINT32_MAX},
                  {0, 1, 2, 3},
                  10 + 20 + 30 + 40},
        // Past 2^31 ticks is still a positive difference in an unsigned clock.
        ClockCase{"difference_past_2_to_31", {0, 0, 0, 0}, {3000000000u, 0, 0, 0}, INT64_C(30000000000)}),
    [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

TEST(MacosCapture, CreatesTheFileReadWriteAndCreated) {
    OsSeamScope seam;
    static int s_iFlags;
    static unsigned int s_uMode;
    corvane::g_os.open = [](const char*, int iFlags, unsigned int uMode) {
        s_iFlags = iFlags;
        s_uMode = uMode;
        return -1;
    };
    corvane::capture::CreateCaptureFile("/nonexistent/capture");
    EXPECT_EQ(O_RDWR | O_CREAT, s_iFlags & (O_ACCMODE | O_CREAT | O_TRUNC));
    EXPECT_EQ(O_EXCL | O_NOFOLLOW | O_CLOEXEC, s_iFlags & (O_EXCL | O_NOFOLLOW | O_CLOEXEC));
    EXPECT_EQ(0666u, s_uMode);
}

}  // namespace
