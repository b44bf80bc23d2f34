// Fuzzes the Windows performance-data walk: any block, any object/counter/instance request.
// The block is copied into a buffer of exactly its size, so a read outside it is caught;
// libFuzzer's time-out catches a walk that does not end.
//
// Input layout: 4 bytes object index, 4 bytes counter index, 1 byte choosing the wanted
// instance name, then the block.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "metrics/windows/PerfDataWalk.h"

namespace {

const char* const kNames[] = {"_Total", "_TOTAL", "_total", "", "0", "1", "\xC9t\xE9"};

std::uint32_t Get32(const std::uint8_t* p) {
    std::uint32_t u;
    std::memcpy(&u, p, 4);
    return u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t uSize) {
    if (uSize < 9) return 0;
    const corvane::perf::CounterQuery query{Get32(pData), Get32(pData + 4),
                                            kNames[pData[8] % (sizeof kNames / sizeof kNames[0])],
                                            &corvane::perf::AsciiWideToAnsi};
    const std::size_t uBlock = uSize - 9;
    auto* pBlock = static_cast<std::uint8_t*>(std::malloc(uBlock == 0 ? 1 : uBlock));
    if (uBlock != 0) std::memcpy(pBlock, pData + 9, uBlock);

    const std::int64_t llValue = corvane::perf::ReadCounterInBlock(pBlock, uBlock, query);
    std::int64_t llTime = 0;
    const bool bTime = corvane::perf::ReadPerfTime100nSec(pBlock, uBlock, &llTime);
    std::free(pBlock);
    // A block too short to say where its objects start holds none; one too short for its
    // header's time has no time.
    if (uBlock < corvane::perf::layout::kBlockNumObjectTypes + 4 && llValue != corvane::perf::kObjectMissing)
        std::abort();
    if (bTime != (uBlock >= corvane::perf::layout::kBlockPerfTime100nSec + 8)) std::abort();
    return 0;
}
