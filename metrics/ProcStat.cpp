#include "metrics/ProcStat.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace corvane {
namespace {

// The first line holds the label and at most ten counters of 20 digits: the four we read
// always fit in this many bytes.
constexpr std::size_t kHeadBytes = 512;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

class Cursor {
public:
    Cursor(const char* pText, std::size_t uLength) : m_p(pText), m_pEnd(pText + uLength) {}

    void SkipSpace() {
        while (m_p < m_pEnd && IsSpace(*m_p)) ++m_p;
    }

    bool SkipWord() {
        SkipSpace();
        if (m_p == m_pEnd) return false;
        while (m_p < m_pEnd && !IsSpace(*m_p)) ++m_p;
        return true;
    }

    // One %u conversion: optional sign, decimal digits, strtoul's overflow rule, kept
    // modulo 2^32.
    bool ReadUnsigned(std::uint32_t* pValue) {
        SkipSpace();
        bool bNegative = false;
        if (m_p < m_pEnd && (*m_p == '+' || *m_p == '-')) {
            bNegative = *m_p == '-';
            ++m_p;
        }
        if (m_p == m_pEnd || *m_p < '0' || *m_p > '9') return false;
        std::uint64_t uValue = 0;
        bool bOverflow = false;
        for (; m_p < m_pEnd && *m_p >= '0' && *m_p <= '9'; ++m_p) {
            const auto uDigit = static_cast<std::uint64_t>(*m_p - '0');
            if (uValue > (UINT64_MAX - uDigit) / 10) bOverflow = true;
            uValue = uValue * 10 + uDigit;
        }
        if (bOverflow) {
            uValue = UINT64_MAX;
        } else if (bNegative) {
            uValue = 0 - uValue;
        }
        *pValue = static_cast<std::uint32_t>(uValue);
        return true;
    }

private:
    const char* m_p;
    const char* m_pEnd;
};

}  // namespace

int ParseStatCounters(const char* pText, std::size_t uLength, std::uint32_t aCounters[4]) {
    Cursor cursor(pText, uLength);
    if (!cursor.SkipWord()) return 0;
    int iRead = 0;
    while (iRead < 4 && cursor.ReadUnsigned(&aCounters[iRead])) ++iRead;
    return iRead;
}

int ReadStatCounters(const char* pPath, std::uint32_t aCounters[4]) {
    const int iFd = ::open(pPath, O_RDONLY | O_CLOEXEC);
    if (iFd < 0) return -1;
    char aHead[kHeadBytes];
    std::size_t uFilled = 0;
    while (uFilled < sizeof aHead) {
        const ssize_t iGot = ::read(iFd, aHead + uFilled, sizeof aHead - uFilled);
        if (iGot < 0 && errno == EINTR) continue;
        if (iGot <= 0) break;
        uFilled += static_cast<std::size_t>(iGot);
    }
    ::close(iFd);
    return ParseStatCounters(aHead, uFilled, aCounters);
}

}  // namespace corvane
