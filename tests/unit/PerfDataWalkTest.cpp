// The walk over performance-data blocks that the tests build byte by byte. Runs on every
// build: the walk itself touches no Windows API.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

#include "metrics/windows/PerfDataWalk.h"
#include "tests/fakes/PerfBlockBuilder.h"

namespace {

using corvane::perf::AsciiWideToAnsi;
using corvane::perf::CounterQuery;
using corvane::perf::ReadCounterInBlock;
using corvane::test::PerfBlock;
using corvane::test::PerfBlockBuilder;
using corvane::test::PerfInstance;
using corvane::test::PerfObject;
namespace layout = corvane::perf::layout;

constexpr std::uint32_t kProcessor = 238;
constexpr std::uint32_t kProcessorTime = 6;
constexpr std::uint32_t kSystem = 2;
constexpr std::uint32_t kTotalProcessorTime = 240;

// A block with the System object (no instances) and the Processor object (instances 0, 1
// and _Total), each with a second counter besides the one the sampler reads.
PerfBlock StandardBlock() {
    return PerfBlockBuilder()
        .PerfTime100nSec(123456789)
        .Add(PerfObject{kSystem, {10, kTotalProcessorTime}, false, {7, 4242}, {}})
        .Add(PerfObject{kProcessor,
                        {12, kProcessorTime},
                        true,
                        {},
                        {PerfInstance{u"0", {1, 100}}, PerfInstance{u"1", {2, 200}},
                         PerfInstance{u"_Total", {3, 300}}}})
        .Build();
}

// A converter for code page 1252's first 256 code points: each code unit below 0x100 is its
// own byte, so non-ASCII letters reach the comparison unchanged.
char* Latin1WideToAnsi(const std::uint16_t* pWide, std::size_t uChars) {
    auto* pAnsi = static_cast<char*>(std::malloc(uChars + 1));
    if (pAnsi == nullptr) return nullptr;
    for (std::size_t i = 0; i < uChars; ++i) pAnsi[i] = pWide[i] < 0x100 ? static_cast<char>(pWide[i]) : '?';
    pAnsi[uChars] = '\0';
    return pAnsi;
}

std::int64_t Read(const PerfBlock& block, std::uint32_t uObject, std::uint32_t uCounter, const char* pInstance,
                  std::size_t uSize = SIZE_MAX) {
    const CounterQuery query{uObject, uCounter, pInstance, &Latin1WideToAnsi};
    return ReadCounterInBlock(block.bytes.data(), uSize == SIZE_MAX ? block.bytes.size() : uSize, query);
}

// The reader's edge cases, each as one row: a block, what is asked for, the answer.
struct WalkCase {
    const char* name;
    std::function<PerfBlock()> block;
    std::uint32_t object;
    std::uint32_t counter;
    const char* instance;
    std::int64_t expected;
};

// GoogleTest names a row by its name (not by its bytes, which include padding).
void PrintTo(const WalkCase& c, std::ostream* pOut) { *pOut << c.name; }

class PerfDataWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(PerfDataWalk, AnswersTheCounterOrWhatIsMissing) {
    const WalkCase& c = GetParam();
    EXPECT_EQ(c.expected, Read(c.block(), c.object, c.counter, c.instance));
}

PerfBlock OneInstanceObject(std::vector<PerfInstance> instances) {
    return PerfBlockBuilder().Add(PerfObject{kProcessor, {kProcessorTime}, true, {}, std::move(instances)}).Build();
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PerfDataWalk,
    ::testing::Values(
        WalkCase{"total_instance", StandardBlock, kProcessor, kProcessorTime, "_Total", 300},
        WalkCase{"another_instance", StandardBlock, kProcessor, 12, "1", 2},
        WalkCase{"object_missing_gives_0", StandardBlock, 999, kProcessorTime, "_Total", 0},
        WalkCase{"counter_missing_gives_minus_1", StandardBlock, kProcessor, 999, "_Total", -1},
        WalkCase{"no_instances_uses_the_object_counter_block", StandardBlock, kSystem, kTotalProcessorTime, "",
                 4242},
        WalkCase{"no_instances_ignores_the_instance_name", StandardBlock, kSystem, kTotalProcessorTime, "_Total",
                 4242},
        WalkCase{"ascii_case_is_folded", [] { return OneInstanceObject({{u"_TOTAL", {55}}}); }, kProcessor,
                 kProcessorTime, "_total", 55},
        // U+00C0 and U+00E0 differ only in case, outside A to Z: not folded.
        WalkCase{"non_ascii_letters_are_not_folded", [] { return OneInstanceObject({{u"_Tot\u00C0l", {55}}}); },
                 kProcessor, kProcessorTime, "_Tot\xE0l", -1},
        WalkCase{"non_ascii_letters_compare_bytewise", [] { return OneInstanceObject({{u"_Tot\u00C0l", {55}}}); },
                 kProcessor, kProcessorTime, "_TOT\xC0L", 55},
        WalkCase{"first_of_two_equal_names_wins",
                 [] { return OneInstanceObject({{u"_Total", {1}}, {u"_Total", {2}}}); }, kProcessor,
                 kProcessorTime, "_Total", 1},
        WalkCase{"empty_wanted_name_matches_no_named_instance", StandardBlock, kProcessor, kProcessorTime, "",
                 -1},
        WalkCase{"empty_wanted_name_matches_an_empty_name",
                 [] { return OneInstanceObject({{u"a", {1}}, {u"", {2}}}); }, kProcessor, kProcessorTime, "", 2},
        WalkCase{"unknown_instance_gives_minus_1", StandardBlock, kProcessor, kProcessorTime, "7", -1},
        WalkCase{"zero_instances_gives_minus_1", [] { return OneInstanceObject({}); }, kProcessor,
                 kProcessorTime, "_Total", -1},
        WalkCase{"negative_instance_count_gives_minus_1",
                 [] {
                     PerfBlock b = OneInstanceObject({{u"_Total", {1}}});
                     b.Put32(b.objects[0] + layout::kObjNumInstances, static_cast<std::uint32_t>(-2));
                     return b;
                 },
                 kProcessor, kProcessorTime, "_Total", -1},
        WalkCase{"first_matching_object_wins",
                 [] {
                     return PerfBlockBuilder()
                         .Add(PerfObject{kSystem, {kTotalProcessorTime}, false, {1}, {}})
                         .Add(PerfObject{kSystem, {kTotalProcessorTime}, false, {2}, {}})
                         .Build();
                 },
                 kSystem, kTotalProcessorTime, "", 1},
        WalkCase{"empty_block_gives_0", [] { return PerfBlockBuilder().Build(); }, kProcessor, kProcessorTime,
                 "_Total", 0}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

// Damaged blocks: lengths, counts and offsets that point outside the block. The walk
// answers as if the structure were absent and never reads outside the bytes it was given
// (the sanitizer builds of the Linux preset check the last part).
struct DamageCase {
    const char* name;
    std::function<void(PerfBlock&)> damage;
    std::uint32_t object;
    const char* instance;
    std::int64_t expected;
};

void PrintTo(const DamageCase& c, std::ostream* pOut) { *pOut << c.name; }

class PerfDataWalkDamaged : public ::testing::TestWithParam<DamageCase> {};

TEST_P(PerfDataWalkDamaged, TreatsStructuresPastTheEndAsAbsent) {
    const DamageCase& c = GetParam();
    PerfBlock block = StandardBlock();
    c.damage(block);
    // An exactly sized heap copy, so any read past the end is a read outside the allocation.
    std::vector<std::uint8_t> exact(block.bytes);
    exact.shrink_to_fit();
    const CounterQuery query{c.object, c.object == kSystem ? kTotalProcessorTime : kProcessorTime, c.instance,
                             &AsciiWideToAnsi};
    EXPECT_EQ(c.expected, ReadCounterInBlock(exact.data(), exact.size(), query));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, PerfDataWalkDamaged,
    ::testing::Values(
        DamageCase{"header_length_past_the_end", [](PerfBlock& b) { b.Put32(layout::kBlockHeaderLength, 0xFFFFFFF0u); },
                   kProcessor, "_Total", 0},
        DamageCase{"too_many_objects",
                   [](PerfBlock& b) { b.Put32(layout::kBlockNumObjectTypes, 0xFFFFFFFFu); }, 999, "_Total", 0},
        DamageCase{"object_length_skips_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.objects[0] + layout::kObjTotalByteLength, 0x7FFFFFFFu); },
                   kProcessor, "_Total", 0},
        DamageCase{"object_length_zero_never_loops",
                   [](PerfBlock& b) {
                       b.Put32(b.objects[0] + layout::kObjTotalByteLength, 0);
                       b.Put32(layout::kBlockNumObjectTypes, 0xFFFFFFFFu);
                   },
                   kProcessor, "_Total", 0},
        DamageCase{"counter_definitions_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.objects[1] + layout::kObjHeaderLength, 0xFFFFFF00u); }, kProcessor,
                   "_Total", -1},
        DamageCase{"counter_definition_length_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.firstDefinitions[1] + layout::kDefByteLength, 0x10000000u); },
                   kProcessor, "_Total", -1},
        DamageCase{"counter_offset_past_the_end",
                   [](PerfBlock& b) {
                       b.Put32(b.firstDefinitions[0] + layout::kDefSize + layout::kDefCounterOffset,
                               static_cast<std::uint32_t>(b.bytes.size()));
                   },
                   kSystem, "", -1},
        DamageCase{"counter_value_straddles_the_end",
                   [](PerfBlock& b) {
                       const std::size_t uLast = b.bytes.size() - 4 - b.counterBlocks[0];
                       b.Put32(b.firstDefinitions[0] + layout::kDefSize + layout::kDefCounterOffset,
                               static_cast<std::uint32_t>(uLast));
                   },
                   kSystem, "", -1},
        DamageCase{"instances_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.objects[1] + layout::kObjDefinitionLength, 0xFFFFFFF8u); },
                   kProcessor, "_Total", -1},
        DamageCase{"too_many_instances",
                   [](PerfBlock& b) { b.Put32(b.objects[1] + layout::kObjNumInstances, 0x7FFFFFFFu); }, kProcessor,
                   "nobody", -1},
        DamageCase{"instance_name_offset_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.instances[1][0] + layout::kInstNameOffset, 0xFFFFFFF0u); },
                   kProcessor, "_Total", 300},  // that instance does not match; the others are read
        DamageCase{"unterminated_name_at_the_end",
                   [](PerfBlock& b) {
                       // The last instance's name runs into the block's final bytes, which
                       // are made non-zero: no terminator before the end.
                       const std::size_t uInst = b.instances[1][2];
                       const auto uNameAt = static_cast<std::uint32_t>(b.bytes.size() - 6);
                       b.Put32(uInst + layout::kInstNameOffset, uNameAt - static_cast<std::uint32_t>(uInst));
                       for (std::size_t i = uNameAt; i < b.bytes.size(); ++i) b.bytes[i] = 'x';
                   },
                   kProcessor, "_Total", -1},
        DamageCase{"instance_length_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.instances[1][0] + layout::kInstByteLength, 0xFFFFFFF0u); },
                   kProcessor, "_Total", -1},
        DamageCase{"counter_block_length_past_the_end",
                   [](PerfBlock& b) { b.Put32(b.counterBlocks[1], 0xFFFFFFF0u); }, kProcessor, "_Total", -1},
        DamageCase{"zero_lengths_never_loop",
                   [](PerfBlock& b) {
                       b.Put32(b.instances[1][0] + layout::kInstByteLength, 0);
                       b.Put32(b.objects[1] + layout::kObjNumInstances, 0x7FFFFFFFu);
                   },
                   kProcessor, "_Total", -1}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(PerfDataWalkBlock, BlocksShorterThanTheirHeaderHoldNoObjects) {
    const PerfBlock block = StandardBlock();
    for (std::size_t uSize : {std::size_t{0}, std::size_t{31}, std::size_t{layout::kBlockSize}}) {
        std::vector<std::uint8_t> head(block.bytes.begin(), block.bytes.begin() + static_cast<long>(uSize));
        const CounterQuery query{kProcessor, kProcessorTime, "_Total", &AsciiWideToAnsi};
        EXPECT_EQ(0, ReadCounterInBlock(head.data(), head.size(), query)) << uSize;
    }
    const CounterQuery query{kProcessor, kProcessorTime, "_Total", &AsciiWideToAnsi};
    EXPECT_EQ(0, ReadCounterInBlock(nullptr, 4096, query));
}

TEST(PerfDataWalkBlock, EveryTruncationAnswersAbsentOrTheValue) {
    // Cut the block at every length: the answer is the value once the whole path fits, and
    // one of the "missing" answers before.
    const PerfBlock block = StandardBlock();
    for (std::size_t uSize = 0; uSize <= block.bytes.size(); ++uSize) {
        std::vector<std::uint8_t> head(block.bytes.begin(), block.bytes.begin() + static_cast<long>(uSize));
        const CounterQuery query{kProcessor, kProcessorTime, "_Total", &AsciiWideToAnsi};
        const std::int64_t llValue = ReadCounterInBlock(head.data(), head.size(), query);
        EXPECT_TRUE(llValue == 0 || llValue == -1 || llValue == 300) << uSize << ": " << llValue;
    }
}

TEST(PerfDataWalkBlock, FailedNameConversionMeansNoMatch) {
    const PerfBlock block = StandardBlock();
    const CounterQuery query{kProcessor, kProcessorTime, "_Total",
                             [](const std::uint16_t*, std::size_t) -> char* { return nullptr; }};
    EXPECT_EQ(-1, ReadCounterInBlock(block.bytes.data(), block.bytes.size(), query));
}

TEST(PerfDataWalkBlock, PerfTimeComesFromTheHeader) {
    const PerfBlock block = StandardBlock();
    std::int64_t llTime = 0;
    ASSERT_TRUE(corvane::perf::ReadPerfTime100nSec(block.bytes.data(), block.bytes.size(), &llTime));
    EXPECT_EQ(123456789, llTime);
    EXPECT_FALSE(corvane::perf::ReadPerfTime100nSec(block.bytes.data(), 79, &llTime));
}

struct FoldCase {
    const char* left;
    const char* right;
    bool equal;
};

void PrintTo(const FoldCase& c, std::ostream* pOut) {
    *pOut << '"' << c.left << "\" vs \"" << c.right << '"';
}

class AsciiFold : public ::testing::TestWithParam<FoldCase> {};

TEST_P(AsciiFold, FoldsOnlyAToZ) {
    EXPECT_EQ(GetParam().equal, corvane::perf::EqualsAsciiCaseInsensitive(GetParam().left, GetParam().right));
}

INSTANTIATE_TEST_SUITE_P(Table, AsciiFold,
                         ::testing::Values(FoldCase{"_Total", "_TOTAL", true}, FoldCase{"", "", true},
                                           FoldCase{"_Total", "_Tota", false}, FoldCase{"@", "`", false},
                                           FoldCase{"[", "{", false}, FoldCase{"\xC0", "\xE0", false},
                                           FoldCase{"Zz", "zZ", true}));

}  // namespace
