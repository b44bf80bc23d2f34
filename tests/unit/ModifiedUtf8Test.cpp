#include <gtest/gtest.h>

#include <string>

#include "capture/ModifiedUtf8.h"

namespace {

struct Utf8Case {
    const char* name;
    const char* modified;
    const char* standard;  // null: cannot be converted
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class ModifiedUtf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(ModifiedUtf8, ConvertsToStandardUtf8) {
    const Utf8Case& c = GetParam();
    std::string out(std::string(c.modified).size() + 1, '#');
    const bool bConverted = corvane::capture::ModifiedUtf8ToUtf8(c.modified, out.data());
    ASSERT_EQ(c.standard != nullptr, bConverted);
    if (bConverted) {
        EXPECT_STREQ(c.standard, out.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModifiedUtf8,
    ::testing::Values(Utf8Case{"ascii", "/tmp/dir", "/tmp/dir"}, Utf8Case{"empty", "", ""},
                      Utf8Case{"two_and_three_byte", "d\xC3\xBC\xC5\x9F-\xE7\x9B\xAE", "d\xC3\xBC\xC5\x9F-\xE7\x9B\xAE"},
                      Utf8Case{"pair_becomes_four_bytes", "a\xED\xA0\xBD\xED\xB8\x80z", "a\xF0\x9F\x98\x80z"},
                      Utf8Case{"highest_code_point", "\xED\xAF\xBF\xED\xBF\xBF", "\xF4\x8F\xBF\xBF"},
                      Utf8Case{"two_pairs_in_a_row", "\xED\xA0\x80\xED\xB0\x80\xED\xA0\x80\xED\xB0\x80",
                               "\xF0\x90\x80\x80\xF0\x90\x80\x80"},
                      Utf8Case{"lone_high_half_kept", "x\xED\xA0\xBDy", "x\xED\xA0\xBDy"},
                      Utf8Case{"high_half_at_the_end", "x\xED\xA0\xBD", "x\xED\xA0\xBD"},
                      Utf8Case{"lone_low_half_kept", "\xED\xB8\x80", "\xED\xB8\x80"},
                      Utf8Case{"nul_character", "a\xC0\x80", nullptr}),
    [](const ::testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

}  // namespace
