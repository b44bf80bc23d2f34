// A stand-in for the registry's performance-data query: serves a block a test built, and
// records what was asked. Installed into the Windows seam for the life of the object.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "bridge/WinSeam.h"
#include "metrics/windows/PerfDataReader.h"
#include "tests/fakes/PerfBlockBuilder.h"
#include "tests/fakes/WinSeamScope.h"

namespace corvane::test {

class FakePerfData {
public:
    FakePerfData() {
        s_pSelf = this;
        g_win.queryPerformanceData = &Query;
        // Every test starts from a process without a buffer.
        corvane::perf::ReleasePerfBuffer();
    }
    ~FakePerfData() {
        corvane::perf::ReleasePerfBuffer();
        s_pSelf = nullptr;
    }
    FakePerfData(const FakePerfData&) = delete;
    FakePerfData& operator=(const FakePerfData&) = delete;

    // The block every query answers with.
    void Serve(const PerfBlock& block) { m_block = block.bytes; }
    // The query answers nothing and this error.
    void Fail(LONG lError) {
        m_block.clear();
        m_lError = lError;
    }

    std::vector<std::string> valueNames;  // each attempt's value name
    std::vector<DWORD> offeredSizes;      // each attempt's data area size
    DWORD sizeLeftOnMoreData = 0;         // what a too-small answer leaves in the size (0: unchanged)

private:
    static LONG Query(const char* pValueName, BYTE* pData, DWORD* pdwSize) {
        FakePerfData& self = *s_pSelf;
        self.valueNames.emplace_back(pValueName);
        self.offeredSizes.push_back(*pdwSize);
        if (self.m_block.empty()) return self.m_lError;
        if (*pdwSize < self.m_block.size()) {
            if (self.sizeLeftOnMoreData != 0) *pdwSize = self.sizeLeftOnMoreData;
            return ERROR_MORE_DATA;
        }
        std::memcpy(pData, self.m_block.data(), self.m_block.size());
        *pdwSize = static_cast<DWORD>(self.m_block.size());
        return ERROR_SUCCESS;
    }

    WinSeamScope m_scope;
    std::vector<std::uint8_t> m_block;
    LONG m_lError = ERROR_FILE_NOT_FOUND;
    static inline FakePerfData* s_pSelf = nullptr;
};

}  // namespace corvane::test
