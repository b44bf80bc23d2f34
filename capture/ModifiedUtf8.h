// JNI hands out strings in modified UTF-8, where a character beyond U+FFFF is written as
// its two UTF-16 halves of three bytes each, and U+0000 as the two bytes C0 80. File
// systems take standard UTF-8: a directory named with such characters must be converted
// before it can be opened.
#pragma once

#include <cstddef>

namespace corvane::capture {

// Converts pModified into standard UTF-8 at pOut, which holds at least strlen(pModified) + 1
// bytes (the result is never longer). Pairs of encoded halves become one four-byte
// character; everything else is copied as it is. Answers false for text holding U+0000,
// which no path can contain.
bool ModifiedUtf8ToUtf8(const char* pModified, char* pOut);

}  // namespace corvane::capture
