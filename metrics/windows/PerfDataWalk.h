// Walking a Windows performance-data block: the published structures (PERF_DATA_BLOCK,
// PERF_OBJECT_TYPE, PERF_COUNTER_DEFINITION, PERF_INSTANCE_DEFINITION, PERF_COUNTER_BLOCK)
// read from a byte block by their documented field offsets.
//
// This code touches no Windows API: it is built for every target so that tests and fuzz
// targets can run it on blocks they build. The block's lengths, counts and offsets come
// from outside the process and are not trusted: every read stays inside the uSize bytes
// given, and a structure that would reach past the end counts as absent (that object,
// counter or instance is not found).
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::perf {

// Field offsets of the published layout (identical for 32- and 64-bit Windows, since the
// 64-bit headers declare the title pointers as 32-bit values).
namespace layout {
// PERF_DATA_BLOCK
inline constexpr std::uint32_t kBlockHeaderLength = 24;
inline constexpr std::uint32_t kBlockNumObjectTypes = 28;
inline constexpr std::uint32_t kBlockPerfTime100nSec = 72;
inline constexpr std::uint32_t kBlockSize = 88;
// PERF_OBJECT_TYPE
inline constexpr std::uint32_t kObjTotalByteLength = 0;
inline constexpr std::uint32_t kObjDefinitionLength = 4;
inline constexpr std::uint32_t kObjHeaderLength = 8;
inline constexpr std::uint32_t kObjNameTitleIndex = 12;
inline constexpr std::uint32_t kObjNumCounters = 32;
inline constexpr std::uint32_t kObjNumInstances = 40;
inline constexpr std::uint32_t kObjSize = 64;
// PERF_COUNTER_DEFINITION
inline constexpr std::uint32_t kDefByteLength = 0;
inline constexpr std::uint32_t kDefNameTitleIndex = 4;
inline constexpr std::uint32_t kDefCounterOffset = 36;
inline constexpr std::uint32_t kDefSize = 40;
// PERF_INSTANCE_DEFINITION
inline constexpr std::uint32_t kInstByteLength = 0;
inline constexpr std::uint32_t kInstNameOffset = 16;
inline constexpr std::uint32_t kInstSize = 24;
// PERF_COUNTER_BLOCK
inline constexpr std::uint32_t kCounterBlockByteLength = 0;
inline constexpr std::uint32_t kCounterBlockSize = 4;
}  // namespace layout

// NumInstances of an object that has no instances.
inline constexpr std::int32_t kNoInstances = -1;

// Answers of the walk besides a counter's value.
inline constexpr std::int64_t kObjectMissing = 0;
inline constexpr std::int64_t kCounterOrInstanceMissing = -1;

// Converts a UTF-16 name of uChars code units (no terminator) to the ANSI code page, into
// a NUL-terminated buffer from malloc that the caller frees. Null on failure (no memory,
// conversion error): the instance then does not match.
using WideToAnsiFn = char* (*)(const std::uint16_t* pWide, std::size_t uChars);

// What one reading looks for.
struct CounterQuery {
    std::uint32_t uObjectIndex;
    std::uint32_t uCounterIndex;
    const char* pInstanceAnsi;  // the wanted instance name in the ANSI code page; "" for none
    WideToAnsiFn pWideToAnsi;
};

// The counter's raw value: the 8 bytes at its CounterOffset in the counter block, signed.
// kObjectMissing when no object has the index; kCounterOrInstanceMissing when the object
// lacks the counter or (for an object with instances) every instance's name differs.
std::int64_t ReadCounterInBlock(const std::uint8_t* pBlock, std::size_t uSize, const CounterQuery& query);

// The same for the object starting at uObjectOffset in the block.
std::int64_t ReadObjectCounterInBlock(const std::uint8_t* pBlock, std::size_t uSize, std::size_t uObjectOffset,
                                      const CounterQuery& query);

// The block's PerfTime100nSec; false when the header does not fit in uSize bytes.
bool ReadPerfTime100nSec(const std::uint8_t* pBlock, std::size_t uSize, std::int64_t* pllTime);

// Byte-wise equality that folds only the ASCII letters A to Z onto a to z.
bool EqualsAsciiCaseInsensitive(const char* pLeft, const char* pRight);

// A converter for code that runs away from Windows: code units below 0x80 map to
// themselves, all others to '?'.
char* AsciiWideToAnsi(const std::uint16_t* pWide, std::size_t uChars);

}  // namespace corvane::perf
