#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "metrics/ProcStat.h"

namespace {

using corvane::ParseStatCounters;

struct ParseCase {
    const char* name;
    const char* text;
    int read;
    std::uint32_t counters[4];
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class StatLine : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StatLine, ParsesLikeScanfOfLabelAndFourCounters) {
    const ParseCase& c = GetParam();
    std::uint32_t counters[4] = {11, 22, 33, 44};  // what a failed conversion leaves alone
    EXPECT_EQ(c.read, ParseStatCounters(c.text, std::strlen(c.text), counters));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.counters[i], counters[i]) << "counter " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatLine,
    ::testing::Values(
        ParseCase{"typical", "cpu  4705 356 584 3699176 23060 0 277 0 0 0\ncpu0 1 2 3 4\n", 4, {4705, 356, 584, 3699176}},
        ParseCase{"leading_blank_lines", "\n\t cpu 1 2 3 4", 4, {1, 2, 3, 4}},
        ParseCase{"wider_than_32_bits", "cpu 4294967296 4294967297 8589934593 12", 4, {0, 1, 1, 12}},
        ParseCase{"beyond_64_bits_saturates", "cpu 99999999999999999999999 1 2 3", 4, {0xFFFFFFFFu, 1, 2, 3}},
        ParseCase{"signs", "cpu +5 -1 7 8", 4, {5, 0xFFFFFFFFu, 7, 8}},
        ParseCase{"truncated_line", "cpu 10 20", 2, {10, 20, 33, 44}},
        ParseCase{"non_numeric_field_stops", "cpu 10 x 30 40", 1, {10, 22, 33, 44}},
        ParseCase{"digits_then_letters", "cpu 10 20abc 30", 2, {10, 20, 33, 44}},
        ParseCase{"label_only", "cpu", 0, {11, 22, 33, 44}},
        ParseCase{"empty", "", 0, {11, 22, 33, 44}},
        ParseCase{"only_space", " \n ", 0, {11, 22, 33, 44}},
        ParseCase{"lone_sign", "cpu - 1 2 3", 0, {11, 22, 33, 44}},
        ParseCase{"label_is_any_word", "12 1 2 3 4", 4, {1, 2, 3, 4}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(StatFile, MissingFileIsReportedApartFromAnEmptyOne) {
    std::uint32_t counters[4] = {};
    EXPECT_EQ(-1, corvane::ReadStatCounters("/nonexistent/corvane/stat", counters));
    EXPECT_EQ(0, corvane::ReadStatCounters("/dev/null", counters));
}

TEST(StatFile, ReadsTheRealProcStat) {
    std::uint32_t counters[4] = {};
    EXPECT_EQ(4, corvane::ReadStatCounters("/proc/stat", counters));
}

}  // namespace
