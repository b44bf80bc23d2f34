// Reading the aggregate line of /proc/stat: the label, then user, nice, system, idle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane {

// Parses text as the scanf format "%s%u%u%u%u" would: skips the first whitespace-delimited
// word, then reads up to four unsigned decimal counters into aCounters, stopping at the
// first that cannot be read (it and those after it are left unchanged). A counter wider
// than 32 bits is kept modulo 2^32. Answers how many counters were read (0 to 4).
int ParseStatCounters(const char* pText, std::size_t uLength, std::uint32_t aCounters[4]);

// Reads the head of the file at pPath and parses it as above. Answers -1 when the file
// cannot be opened, otherwise the number of counters read. Allocates nothing.
int ReadStatCounters(const char* pPath, std::uint32_t aCounters[4]);

}  // namespace corvane
