#include "metrics/windows/PerfDataWalk.h"

#include <cstdlib>
#include <cstring>

namespace corvane::perf {
namespace {

using namespace layout;

// A bounds-checked view of the block. Offsets are carried in 64 bits, so sums of 32-bit
// lengths cannot wrap around.
class Block {
public:
    Block(const std::uint8_t* pData, std::size_t uSize) : m_pData(pData), m_uSize(pData == nullptr ? 0 : uSize) {}

    bool Fits(std::uint64_t uOffset, std::uint64_t uLength) const {
        return uOffset <= m_uSize && uLength <= m_uSize - uOffset;
    }
    // Callers check Fits first.
    std::uint32_t U32(std::uint64_t uOffset) const {
        std::uint32_t u;
        std::memcpy(&u, m_pData + uOffset, sizeof u);
        return u;
    }
    std::int32_t I32(std::uint64_t uOffset) const { return static_cast<std::int32_t>(U32(uOffset)); }
    std::int64_t I64(std::uint64_t uOffset) const {
        std::int64_t ll;
        std::memcpy(&ll, m_pData + uOffset, sizeof ll);
        return ll;
    }
    std::uint16_t U16(std::uint64_t uOffset) const {
        std::uint16_t u;
        std::memcpy(&u, m_pData + uOffset, sizeof u);
        return u;
    }

    // Whether the NUL-terminated UTF-16 name at uOffset, converted, equals pWantedAnsi.
    // A name without a terminator inside the block, or one that cannot be converted, does
    // not match.
    bool NameEquals(std::uint64_t uOffset, const char* pWantedAnsi, WideToAnsiFn pWideToAnsi) const {
        std::uint64_t uChars = 0;
        for (;; ++uChars) {
            const std::uint64_t uAt = uOffset + 2 * uChars;
            if (!Fits(uAt, 2)) return false;
            if (U16(uAt) == 0) break;
        }
        // The name may lie at any byte offset: copy it out aligned.
        auto* pWide = static_cast<std::uint16_t*>(std::malloc((uChars + 1) * sizeof(std::uint16_t)));
        if (pWide == nullptr) return false;
        std::memcpy(pWide, m_pData + uOffset, uChars * sizeof(std::uint16_t));
        pWide[uChars] = 0;
        char* pAnsi = pWideToAnsi(pWide, static_cast<std::size_t>(uChars));
        std::free(pWide);
        if (pAnsi == nullptr) return false;
        const bool bEqual = EqualsAsciiCaseInsensitive(pAnsi, pWantedAnsi);
        std::free(pAnsi);
        return bEqual;
    }

private:
    const std::uint8_t* m_pData;
    std::size_t m_uSize;
};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::int64_t ReadObjectCounter(const Block& block, std::uint64_t uObject, const CounterQuery& query) {
    if (!block.Fits(uObject, kObjSize)) return kCounterOrInstanceMissing;

    // The counter definition.
    const std::uint32_t uNumCounters = block.U32(uObject + kObjNumCounters);
    std::uint64_t uDef = uObject + block.U32(uObject + kObjHeaderLength);
    bool bFound = false;
    for (std::uint32_t i = 0; i < uNumCounters; ++i) {
        if (!block.Fits(uDef, kDefSize)) break;  // the rest lies outside: not found
        if (block.U32(uDef + kDefNameTitleIndex) == query.uCounterIndex) {
            bFound = true;
            break;
        }
        const std::uint32_t uLength = block.U32(uDef + kDefByteLength);
        if (uLength == 0) break;  // every further step would land on this definition again
        uDef += uLength;
    }
    if (!bFound) return kCounterOrInstanceMissing;
    const std::uint32_t uCounterOffset = block.U32(uDef + kDefCounterOffset);

    const std::uint64_t uFirst = uObject + block.U32(uObject + kObjDefinitionLength);
    const std::int32_t iNumInstances = block.I32(uObject + kObjNumInstances);
    std::uint64_t uCounterBlock = 0;
    if (iNumInstances == kNoInstances) {
        uCounterBlock = uFirst;
    } else {
        bool bMatched = false;
        std::uint64_t uInst = uFirst;
        for (std::int32_t i = 0; i < iNumInstances; ++i) {
            if (!block.Fits(uInst, kInstSize)) break;
            const std::uint32_t uInstLength = block.U32(uInst + kInstByteLength);
            if (block.NameEquals(uInst + block.U32(uInst + kInstNameOffset), query.pInstanceAnsi,
                                 query.pWideToAnsi)) {
                uCounterBlock = uInst + uInstLength;
                bMatched = true;
                break;
            }
            const std::uint64_t uItsCounters = uInst + uInstLength;
            if (!block.Fits(uItsCounters, kCounterBlockSize)) break;
            const std::uint32_t uCountersLength = block.U32(uItsCounters + kCounterBlockByteLength);
            if (uInstLength == 0 && uCountersLength == 0) break;  // no progress: same name again
            uInst = uItsCounters + uCountersLength;
        }
        if (!bMatched) return kCounterOrInstanceMissing;
    }
    const std::uint64_t uValue = uCounterBlock + uCounterOffset;
    if (!block.Fits(uValue, sizeof(std::int64_t))) return kCounterOrInstanceMissing;
    return block.I64(uValue);
}

}  // namespace

std::int64_t ReadObjectCounterInBlock(const std::uint8_t* pBlock, std::size_t uSize, std::size_t uObjectOffset,
                                      const CounterQuery& query) {
    return ReadObjectCounter(Block(pBlock, uSize), uObjectOffset, query);
}

std::int64_t ReadCounterInBlock(const std::uint8_t* pBlock, std::size_t uSize, const CounterQuery& query) {
    const Block block(pBlock, uSize);
    if (!block.Fits(0, kBlockNumObjectTypes + 4)) return kObjectMissing;
    const std::uint32_t uNumObjects = block.U32(kBlockNumObjectTypes);
    std::uint64_t uObject = block.U32(kBlockHeaderLength);
    for (std::uint32_t i = 0; i < uNumObjects; ++i) {
        if (!block.Fits(uObject, kObjSize)) break;  // this and every later object are absent
        if (block.U32(uObject + kObjNameTitleIndex) == query.uObjectIndex) {
            return ReadObjectCounter(block, uObject, query);
        }
        const std::uint32_t uLength = block.U32(uObject + kObjTotalByteLength);
        if (uLength == 0) break;  // every further step would land on this object again
        uObject += uLength;
    }
    return kObjectMissing;
}

bool ReadPerfTime100nSec(const std::uint8_t* pBlock, std::size_t uSize, std::int64_t* pllTime) {
    const Block block(pBlock, uSize);
    if (!block.Fits(kBlockPerfTime100nSec, sizeof(std::int64_t))) return false;
    *pllTime = block.I64(kBlockPerfTime100nSec);
    return true;
}

bool EqualsAsciiCaseInsensitive(const char* pLeft, const char* pRight) {
    for (;; ++pLeft, ++pRight) {
        if (FoldAscii(*pLeft) != FoldAscii(*pRight)) return false;
        if (*pLeft == '\0') return true;
    }
}

char* AsciiWideToAnsi(const std::uint16_t* pWide, std::size_t uChars) {
    auto* pAnsi = static_cast<char*>(std::malloc(uChars + 1));
    if (pAnsi == nullptr) return nullptr;
    for (std::size_t i = 0; i < uChars; ++i) pAnsi[i] = pWide[i] < 0x80 ? static_cast<char>(pWide[i]) : '?';
    pAnsi[uChars] = '\0';
    return pAnsi;
}

}  // namespace corvane::perf
