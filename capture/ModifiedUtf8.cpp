#include "capture/ModifiedUtf8.h"

#include <cstdint>

namespace corvane::capture {
namespace {

// The UTF-16 half encoded by three bytes at p (ED A0..BF 80..BF), or 0 when p holds none.
std::uint32_t Half(const unsigned char* p) {
    if (p[0] != 0xED || (p[1] & 0xE0) != 0xA0 || (p[2] & 0xC0) != 0x80) return 0;
    return 0xD000u | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
}

}  // namespace

bool ModifiedUtf8ToUtf8(const char* pModified, char* pOut) {
    const auto* p = reinterpret_cast<const unsigned char*>(pModified);
    auto* pTo = reinterpret_cast<unsigned char*>(pOut);
    while (*p != 0) {
        if (p[0] == 0xC0 && p[1] == 0x80) return false;
        const std::uint32_t uHigh = Half(p);
        if (uHigh >= 0xD800 && uHigh <= 0xDBFF) {
            const std::uint32_t uLow = Half(p + 3);  // reads stop at the terminator: it fails the test
            if (uLow >= 0xDC00 && uLow <= 0xDFFF) {
                const std::uint32_t uCode = 0x10000u + ((uHigh - 0xD800u) << 10) + (uLow - 0xDC00u);
                *pTo++ = static_cast<unsigned char>(0xF0 | (uCode >> 18));
                *pTo++ = static_cast<unsigned char>(0x80 | ((uCode >> 12) & 0x3F));
                *pTo++ = static_cast<unsigned char>(0x80 | ((uCode >> 6) & 0x3F));
                *pTo++ = static_cast<unsigned char>(0x80 | (uCode & 0x3F));
                p += 6;
                continue;
            }
        }
        *pTo++ = *p++;
    }
    *pTo = 0;
    return true;
}

}  // namespace corvane::capture
