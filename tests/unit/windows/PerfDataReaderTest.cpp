// The performance-data reader: its buffer, its query loop and the instance search through
// the ANSI code page, on blocks the tests build, served through the query seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "metrics/windows/PerfDataReader.h"
#include "tests/fakes/FakePerfData.h"
#include "tests/fakes/PerfBlockBuilder.h"

namespace {

using corvane::g_win;
using corvane::perf::cPerfDataReader;
using corvane::perf::CurrentPerfBuffer;
using corvane::test::FakePerfData;
using corvane::test::PerfBlock;
using corvane::test::PerfBlockBuilder;
using corvane::test::PerfInstance;
using corvane::test::PerfObject;

PerfBlock ProcessorBlock(std::int64_t llTotal, std::u16string totalName = u"_Total") {
    return PerfBlockBuilder()
        .PerfTime100nSec(5000)
        .Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"0", {11}}, PerfInstance{std::move(totalName), {llTotal}}}})
        .Build();
}

// A block of at least uBytes: the Processor object followed by padding objects.
PerfBlock LargeBlock(std::size_t uBytes) {
    PerfBlockBuilder builder;
    builder.Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"_Total", {77}}}});
    PerfBlock block = builder.Build();
    block.bytes.resize(uBytes, 0);  // trailing bytes the walk never reaches
    return block;
}

TEST(PerfBuffer, FirstQueryCreates100KiBAndAsksForOneObjectByIndex) {
    FakePerfData fake;
    fake.Serve(ProcessorBlock(42));
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    EXPECT_EQ(42, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    ASSERT_NE(nullptr, CurrentPerfBuffer());
    EXPECT_EQ(102400u, CurrentPerfBuffer()->Size());
    EXPECT_EQ(reinterpret_cast<BYTE*>(pBlock), CurrentPerfBuffer()->Data());
    EXPECT_EQ(std::vector<std::string>{"238"}, fake.valueNames);
    EXPECT_EQ(std::vector<DWORD>{102400}, fake.offeredSizes);
}

TEST(PerfBuffer, GrowsBy10KiBPerMoreDataAnswerAndKeepsTheSize) {
    FakePerfData fake;
    fake.Serve(LargeBlock(102400 + 2 * 10240 + 1));  // needs three growths
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    EXPECT_EQ(77, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ((std::vector<DWORD>{102400, 112640, 122880, 133120}), fake.offeredSizes);
    EXPECT_EQ(133120u, CurrentPerfBuffer()->Size());

    // The next query starts with the grown size, and a smaller block does not shrink it.
    fake.Serve(ProcessorBlock(1));
    fake.offeredSizes.clear();
    EXPECT_EQ(1, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ(std::vector<DWORD>{133120}, fake.offeredSizes);
    EXPECT_EQ(133120u, CurrentPerfBuffer()->Size());
}

TEST(PerfBuffer, NeverShrinksWhenTheQueryLeavesASmallerSize) {
    FakePerfData fake;
    fake.sizeLeftOnMoreData = 16;  // the system's answer does not say what it needs
    fake.Serve(LargeBlock(102400 + 1));
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    EXPECT_EQ(77, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ((std::vector<DWORD>{102400, 112640}), fake.offeredSizes);
}

TEST(PerfBuffer, AFailedQueryLeavesAZeroedBlockWithoutObjects) {
    FakePerfData fake;
    fake.Serve(ProcessorBlock(42));
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    ASSERT_EQ(42, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    fake.Fail(ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_NE(nullptr, pBlock);
}

// Allocation failures, scripted: the n-th call of a given size fails.
struct AllocScript {
    static inline int s_iBufferMallocs = 0;
    static inline int s_iFailBufferMallocs = 0;  // how many buffer allocations fail
    static inline bool s_bFailRealloc = false;
    static void* Malloc(std::size_t uSize) {
        if (uSize == 102400 && ++s_iBufferMallocs <= s_iFailBufferMallocs) return nullptr;
        return std::malloc(uSize);
    }
    static void* Realloc(void* p, std::size_t uSize) { return s_bFailRealloc ? nullptr : std::realloc(p, uSize); }
    static void Reset(int iFail, bool bFailRealloc) {
        s_iBufferMallocs = 0;
        s_iFailBufferMallocs = iFail;
        s_bFailRealloc = bFailRealloc;
    }
};

TEST(PerfBuffer, CreationIsTriedOnceMore) {
    FakePerfData fake;
    fake.Serve(ProcessorBlock(42));
    AllocScript::Reset(1, false);
    g_win.malloc = &AllocScript::Malloc;
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    EXPECT_EQ(42, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ(2, AllocScript::s_iBufferMallocs);
}

TEST(PerfBuffer, WithoutMemoryTheReadingAnswers1AndANullBlock) {
    FakePerfData fake;
    fake.Serve(ProcessorBlock(42));
    AllocScript::Reset(2, false);
    g_win.malloc = &AllocScript::Malloc;
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = reinterpret_cast<PERF_DATA_BLOCK*>(&reader);
    EXPECT_EQ(1, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ(nullptr, pBlock);
    EXPECT_TRUE(fake.valueNames.empty());  // nothing asked, nothing walked
    EXPECT_EQ(2, AllocScript::s_iBufferMallocs);
    // It stays without memory: a buffer that has none never allocates later.
    EXPECT_EQ(1, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ(2, AllocScript::s_iBufferMallocs);
}

TEST(PerfBuffer, AFailedGrowthStopsTheQueryAtTheOldSize) {
    FakePerfData fake;
    fake.Serve(LargeBlock(102400 + 1));
    AllocScript::Reset(0, true);
    g_win.realloc = &AllocScript::Realloc;
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    // The block left behind is the zeroed buffer: no objects.
    EXPECT_EQ(0, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_EQ(std::vector<DWORD>{102400}, fake.offeredSizes);
    EXPECT_EQ(102400u, CurrentPerfBuffer()->Size());
    EXPECT_NE(nullptr, pBlock);
}

TEST(PerfInstanceNames, MatchThroughTheAnsiCodePageFoldingOnlyAsciiCase) {
    FakePerfData fake;
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    fake.Serve(ProcessorBlock(300, u"_TOTAL"));
    EXPECT_EQ(300, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    // Letters outside A to Z differ in case after conversion, whatever the code page.
    fake.Serve(ProcessorBlock(300, u"_tot\u00E1l"));
    char aUpper[32] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"_tot\u00C1l", -1, aUpper, sizeof aUpper, nullptr, nullptr), 0);
    EXPECT_EQ(-1, reader.ReadCounter(&pBlock, 238, 6, aUpper));
}

TEST(PerfInstanceNames, ObjectOutsideTheCurrentBlockIsNotRead) {
    FakePerfData fake;
    fake.Serve(ProcessorBlock(300));
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    ASSERT_EQ(300, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    auto* pObject = reinterpret_cast<PERF_OBJECT_TYPE*>(reinterpret_cast<BYTE*>(pBlock) + pBlock->HeaderLength);
    EXPECT_EQ(300, reader.ReadObjectCounter(pObject, 6, "_Total"));
    PERF_OBJECT_TYPE sElsewhere = *pObject;
    EXPECT_EQ(-1, reader.ReadObjectCounter(&sElsewhere, 6, "_Total"));
}

TEST(PerfSystemData, WinesRealAnswerHoldsNoProcessorObject) {
    corvane::perf::ReleasePerfBuffer();
    cPerfDataReader reader;
    PERF_DATA_BLOCK* pBlock = nullptr;
    EXPECT_EQ(0, reader.ReadCounter(&pBlock, 238, 6, "_Total"));
    EXPECT_NE(nullptr, pBlock);
    corvane::perf::ReleasePerfBuffer();
}

// Concurrent readers share the one buffer, which a query overwrites and a growth moves.
// Under the reader's lock each reading sees one whole block: its value is one of those
// served, never a mix or a read of freed memory.
TEST(PerfDataConcurrency, OverlappingReadingsSeeWholeBlocks) {
    FakePerfData fake;
    static std::vector<std::uint8_t> s_small, s_large;
    s_small = ProcessorBlock(111).bytes;
    s_large = LargeBlock(102400 + 30000).bytes;  // forces growth while others walk
    static std::atomic<int> s_iQueries{0};
    g_win.queryPerformanceData = [](const char*, BYTE* pData, DWORD* pdwSize) -> LONG {
        const std::vector<std::uint8_t>& block = (s_iQueries++ % 7 == 3) ? s_large : s_small;
        if (*pdwSize < block.size()) return ERROR_MORE_DATA;
        std::memset(pData, 0, *pdwSize);  // the system writes the whole area
        std::memcpy(pData, block.data(), block.size());
        return ERROR_SUCCESS;
    };
    std::atomic<int> iBad{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&iBad] {
            cPerfDataReader reader;
            for (int i = 0; i < 300; ++i) {
                PERF_DATA_BLOCK* pBlock = nullptr;
                const std::int64_t llValue = reader.ReadCounter(&pBlock, 238, 6, "_Total");
                if (llValue != 111 && llValue != 77) ++iBad;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, iBad.load());
}

}  // namespace
