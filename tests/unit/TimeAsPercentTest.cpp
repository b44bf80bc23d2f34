#include <gtest/gtest.h>

#include <cstdint>

#include "bridge/Corvane.h"
#include "metrics/Globals.h"

namespace {

struct PercentCase {
    jlong jlTimeDelta;
    jlong jlCapureDelta;
    jshort expected;
};

void PrintTo(const PercentCase& c, std::ostream* os) {
    *os << "(" << c.jlTimeDelta << ", " << c.jlCapureDelta << ") -> " << c.expected;
}

class TimeAsPercent : public ::testing::TestWithParam<PercentCase> {};

TEST_P(TimeAsPercent, RatioInThousandthsNarrowedTo16Bits) {
    const PercentCase& c = GetParam();
    EXPECT_EQ(c.expected, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                              nullptr, nullptr, c.jlTimeDelta, c.jlCapureDelta));
}

INSTANTIATE_TEST_SUITE_P(Table, TimeAsPercent,
                         ::testing::Values(PercentCase{1, 3, 333}, PercentCase{2, 3, 666},
                                           PercentCase{-1, 3, -333}, PercentCase{1, 2, 500},
                                           PercentCase{40, 1, -25536},  // 40000 keeps its low 16 bits
                                           PercentCase{0, 5, 0}, PercentCase{5, 0, 0},
                                           PercentCase{3, 3, 1000}, PercentCase{-7, -2, 3500},
                                           // 2147483.647 x 1000 stays inside 32 bits; 2147484 does not
                                           PercentCase{2147483, 1, static_cast<jshort>(2147483000 & 0xFFFF)},
                                           PercentCase{2147484, 1, 0}, PercentCase{-2147484, 1, 0}));

#if !defined(CORVANE_MACOS)
// 64-bit builds take both deltas whole: the product 2147483648500 lies outside 32 bits.
INSTANTIATE_TEST_SUITE_P(WholeDeltas, TimeAsPercent,
                         ::testing::Values(PercentCase{(INT64_C(1) << 32) + 1, 2, 0},
                                           PercentCase{INT64_C(1) << 32, 2, 0}));
#endif

}  // namespace
