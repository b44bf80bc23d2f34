// The Windows performance-data reader: fetches the data block of one performance object
// into the process-wide buffer and reads a counter's raw value from it.
#pragma once

#include <windows.h>
#include <winperf.h>

#include <cstdint>
#include <mutex>

namespace corvane::perf {

// The one lock of the sampler and the reader: the buffer is shared by every caller, a
// query overwrites it and a growth can move it, so every query and every walk of its
// block, and the sampler's own state, are used by one thread at a time. Recursive, so the
// sampler can hold it across a reading and its use of the block.
std::recursive_mutex& PerfDataLock();

// The growable heap buffer the blocks are read into.
class cPerfBuffer {
public:
    // Allocates uSize bytes, trying once more when the first attempt fails; without
    // memory the data pointer stays null while the size is still recorded.
    explicit cPerfBuffer(DWORD uSize);
    ~cPerfBuffer();
    cPerfBuffer(const cPerfBuffer&) = delete;
    cPerfBuffer& operator=(const cPerfBuffer&) = delete;

    // Resizes to uNewSize, contents kept. Null when the resize fails or the buffer has no
    // memory, with pointer and size unchanged; never allocates a buffer that has none.
    BYTE* Grow(DWORD uNewSize);
    // Zero-fills the recorded size.
    void Clear();

    BYTE* Data() const { return m_pData; }
    DWORD Size() const { return m_uSize; }

private:
    BYTE* m_pData;
    DWORD m_uSize;
};

inline constexpr DWORD kInitialBufferSize = 102400;
inline constexpr DWORD kBufferGrowth = 10240;

// The process-wide buffer: null before the first query.
const cPerfBuffer* CurrentPerfBuffer();
// Releases the buffer (registered with atexit at its creation); the next query creates
// it afresh. Tests call it to start from a process without a buffer.
void ReleasePerfBuffer();

class cPerfDataReader {
public:
    // The raw value of counter uCounterIndex of object uObjectIndex, instance pInstance
    // (ANSI code page; "" for objects without instances). 0 when the object is not in
    // the block, -1 when the counter or instance is missing, 1 when no block could be had.
    // *ppBlock receives the block (null without one); it is valid until the next query.
    std::int64_t ReadCounter(PERF_DATA_BLOCK** ppBlock, DWORD uObjectIndex, DWORD uCounterIndex,
                             const char* pInstance);
    // Fetches the block of one object into the buffer; *ppBlock receives the buffer's data.
    void QueryBlock(PERF_DATA_BLOCK** ppBlock, DWORD uObjectIndex);
    // The counter of one object in the current block; -1 when it is missing, or when
    // pObject does not lie in the current block.
    std::int64_t ReadObjectCounter(PERF_OBJECT_TYPE* pObject, DWORD uCounterIndex, const char* pInstance);
};

// The wanted name as the comparison sees it: through UTF-16 and back to the ANSI code
// page, which leaves any name the code page can represent unchanged. A malloc'd copy the
// caller frees; null when a conversion fails (the name is then compared as given).
char* RoundTripAnsi(const char* pAnsi);

// UTF-16 to the ANSI code page, no flags: the conversion the instance search uses.
char* WideToAnsiCodePage(const std::uint16_t* pWide, std::size_t uChars);

}  // namespace corvane::perf
