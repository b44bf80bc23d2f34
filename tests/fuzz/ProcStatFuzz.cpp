// Fuzzes the /proc/stat head parser: arbitrary bytes must never be read past their end,
// and on text without NUL bytes the answer must be what scanf("%s%u%u%u%u") gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "metrics/ProcStat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t uSize) {
    // An exactly sized copy, so that a read past the end is caught.
    char* pText = static_cast<char*>(std::malloc(uSize == 0 ? 1 : uSize));
    if (uSize != 0) std::memcpy(pText, pData, uSize);
    std::uint32_t aParsed[4] = {1, 2, 3, 4};
    const int iParsed = corvane::ParseStatCounters(pText, uSize, aParsed);
    std::free(pText);
    if (iParsed < 0 || iParsed > 4) std::abort();

    if (std::memchr(pData, '\0', uSize) != nullptr) return 0;
    const std::string text(reinterpret_cast<const char*>(pData), uSize);
    unsigned int aScanned[4] = {1, 2, 3, 4};
    int iScanned = std::sscanf(text.c_str(), "%*s%u%u%u%u", &aScanned[0], &aScanned[1], &aScanned[2], &aScanned[3]);
    if (iScanned < 0) iScanned = 0;
    if (iScanned != iParsed) std::abort();
    for (int i = 0; i < 4; ++i) {
        if (aScanned[i] != aParsed[i]) std::abort();
    }
    return 0;
}
