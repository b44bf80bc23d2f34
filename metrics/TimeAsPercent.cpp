// The per-mille ratio of the Linux and macOS samplers.
#include <cmath>
#include <cstdint>

#include "metrics/CpuUsage.h"

short cCpuUsage::GetTimeAsPercent(long lTimeDelta, long lCapureDelta) {
    if (lTimeDelta == 0 || lCapureDelta == 0) return 0;
    const double dPerMille = static_cast<double>(lTimeDelta) / static_cast<double>(lCapureDelta) * 1000.0;
    // Truncation to a signed 32-bit value; a product outside that range gives 0, as the
    // processor's own conversion does (its out-of-range answer has zero low bits).
    if (!(dPerMille > -2147483649.0 && dPerMille < 2147483648.0)) return 0;
    const auto iPerMille = static_cast<std::int32_t>(dPerMille);
    return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(iPerMille) & 0xFFFFu));
}
