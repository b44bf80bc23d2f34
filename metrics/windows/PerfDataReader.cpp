#include "metrics/windows/PerfDataReader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "bridge/WinSeam.h"
#include "metrics/windows/PerfDataWalk.h"

namespace corvane::perf {

static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == layout::kBlockHeaderLength);
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == layout::kBlockNumObjectTypes);
static_assert(offsetof(PERF_DATA_BLOCK, PerfTime100nSec) == layout::kBlockPerfTime100nSec);
static_assert(sizeof(PERF_DATA_BLOCK) == layout::kBlockSize);
static_assert(offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex) == layout::kObjNameTitleIndex);
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == layout::kObjNumCounters);
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == layout::kObjNumInstances);
static_assert(sizeof(PERF_OBJECT_TYPE) == layout::kObjSize);
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == layout::kDefCounterOffset);
static_assert(sizeof(PERF_COUNTER_DEFINITION) == layout::kDefSize);
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == layout::kInstNameOffset);
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == layout::kInstSize);
static_assert(PERF_NO_INSTANCES == kNoInstances);

namespace {

cPerfBuffer* s_perfBuffer = nullptr;

cPerfBuffer* CreateBuffer() {
    void* pSpace = g_win.malloc(sizeof(cPerfBuffer));
    if (pSpace == nullptr) return nullptr;
    return new (pSpace) cPerfBuffer(kInitialBufferSize);
}

void ReleaseAtExit() {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    ReleasePerfBuffer();
}

}  // namespace

std::recursive_mutex& PerfDataLock() {
    static std::recursive_mutex s_lock;
    return s_lock;
}

cPerfBuffer::cPerfBuffer(DWORD uSize) : m_pData(nullptr), m_uSize(uSize) {
    m_pData = static_cast<BYTE*>(g_win.malloc(uSize));
    if (m_pData == nullptr) m_pData = static_cast<BYTE*>(g_win.malloc(uSize));
}

cPerfBuffer::~cPerfBuffer() {
    if (m_pData != nullptr) g_win.free(m_pData);
}

BYTE* cPerfBuffer::Grow(DWORD uNewSize) {
    if (m_pData == nullptr) return nullptr;
    auto* pGrown = static_cast<BYTE*>(g_win.realloc(m_pData, uNewSize));
    if (pGrown == nullptr) return nullptr;
    m_pData = pGrown;
    m_uSize = uNewSize;
    return m_pData;
}

void cPerfBuffer::Clear() {
    if (m_pData != nullptr) std::memset(m_pData, 0, m_uSize);
}

const cPerfBuffer* CurrentPerfBuffer() { return s_perfBuffer; }

void ReleasePerfBuffer() {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    if (s_perfBuffer == nullptr) return;
    s_perfBuffer->~cPerfBuffer();
    g_win.free(s_perfBuffer);
    s_perfBuffer = nullptr;
}

void cPerfDataReader::QueryBlock(PERF_DATA_BLOCK** ppBlock, DWORD uObjectIndex) {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    if (s_perfBuffer == nullptr) {
        static bool s_bReleaseRegistered = false;
        s_perfBuffer = CreateBuffer();
        if (s_perfBuffer != nullptr && !s_bReleaseRegistered) {
            std::atexit(&ReleaseAtExit);
            s_bReleaseRegistered = true;
        }
    }
    if (s_perfBuffer == nullptr) {
        *ppBlock = nullptr;
        return;
    }
    char aValueName[16];
    std::snprintf(aValueName, sizeof aValueName, "%d", static_cast<int>(uObjectIndex));
    s_perfBuffer->Clear();
    if (s_perfBuffer->Data() != nullptr) {
        DWORD uSize = s_perfBuffer->Size();
        while (g_win.queryPerformanceData(aValueName, s_perfBuffer->Data(), &uSize) == ERROR_MORE_DATA) {
            // The size the query leaves behind is not the size it needs (and may be smaller
            // than the buffer): grow from the larger of the two, so the buffer never shrinks.
            const DWORD uFrom = uSize > s_perfBuffer->Size() ? uSize : s_perfBuffer->Size();
            if (uFrom > MAXDWORD - kBufferGrowth) break;
            if (s_perfBuffer->Grow(uFrom + kBufferGrowth) == nullptr) break;
            uSize = s_perfBuffer->Size();
        }
    }
    *ppBlock = reinterpret_cast<PERF_DATA_BLOCK*>(s_perfBuffer->Data());
}

std::int64_t cPerfDataReader::ReadCounter(PERF_DATA_BLOCK** ppBlock, DWORD uObjectIndex, DWORD uCounterIndex,
                                          const char* pInstance) {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    QueryBlock(ppBlock, uObjectIndex);
    if (*ppBlock == nullptr) return 1;
    char* pWanted = RoundTripAnsi(pInstance);
    const CounterQuery query{uObjectIndex, uCounterIndex, pWanted != nullptr ? pWanted : pInstance,
                             &WideToAnsiCodePage};
    const std::int64_t llValue =
        ReadCounterInBlock(reinterpret_cast<const std::uint8_t*>(*ppBlock), s_perfBuffer->Size(), query);
    std::free(pWanted);
    return llValue;
}

std::int64_t cPerfDataReader::ReadObjectCounter(PERF_OBJECT_TYPE* pObject, DWORD uCounterIndex,
                                                const char* pInstance) {
    std::lock_guard<std::recursive_mutex> lock(PerfDataLock());
    if (s_perfBuffer == nullptr || s_perfBuffer->Data() == nullptr) return kCounterOrInstanceMissing;
    const auto* pBlock = s_perfBuffer->Data();
    const auto* pAt = reinterpret_cast<const BYTE*>(pObject);
    if (pAt < pBlock || pAt >= pBlock + s_perfBuffer->Size()) return kCounterOrInstanceMissing;
    char* pWanted = RoundTripAnsi(pInstance);
    const CounterQuery query{pObject->ObjectNameTitleIndex, uCounterIndex,
                             pWanted != nullptr ? pWanted : pInstance, &WideToAnsiCodePage};
    const std::int64_t llValue = ReadObjectCounterInBlock(pBlock, s_perfBuffer->Size(),
                                                          static_cast<std::size_t>(pAt - pBlock), query);
    std::free(pWanted);
    return llValue;
}

char* WideToAnsiCodePage(const std::uint16_t* pWide, std::size_t uChars) {
    if (uChars > 0x7FFFFFFF) return nullptr;
    const auto* pText = reinterpret_cast<const wchar_t*>(pWide);
    const int iChars = static_cast<int>(uChars);
    const int iBytes = iChars == 0 ? 0 : WideCharToMultiByte(CP_ACP, 0, pText, iChars, nullptr, 0, nullptr, nullptr);
    if (iChars != 0 && iBytes <= 0) return nullptr;
    auto* pAnsi = static_cast<char*>(std::malloc(static_cast<std::size_t>(iBytes) + 1));
    if (pAnsi == nullptr) return nullptr;
    if (iBytes > 0 && WideCharToMultiByte(CP_ACP, 0, pText, iChars, pAnsi, iBytes, nullptr, nullptr) != iBytes) {
        std::free(pAnsi);
        return nullptr;
    }
    pAnsi[iBytes] = '\0';
    return pAnsi;
}

char* RoundTripAnsi(const char* pAnsi) {
    const int iChars = MultiByteToWideChar(CP_ACP, 0, pAnsi, -1, nullptr, 0);
    if (iChars <= 0) return nullptr;
    auto* pWide = static_cast<wchar_t*>(std::malloc(static_cast<std::size_t>(iChars) * sizeof(wchar_t)));
    if (pWide == nullptr) return nullptr;
    char* pBack = nullptr;
    if (MultiByteToWideChar(CP_ACP, 0, pAnsi, -1, pWide, iChars) == iChars) {
        // iChars counts the terminator; the conversion back takes the text without it.
        pBack = WideToAnsiCodePage(reinterpret_cast<const std::uint16_t*>(pWide), static_cast<std::size_t>(iChars - 1));
    }
    std::free(pWide);
    return pBack;
}

}  // namespace corvane::perf
