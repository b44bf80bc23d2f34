// Where a capture file goes: a generated name, alone or under the caller's directory.
#pragma once

#include <cstdlib>
#include <cstring>
#include <memory>

namespace corvane::capture {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using PathBuffer = std::unique_ptr<char, FreeDeleter>;

// The part of a generated name that follows the caller's directory: the name without a
// leading "/tmp" or "/var/tmp" (so it starts with that prefix's separator), else all of it.
inline const char* NameTail(const char* pstrTmpFileName) {
    if (std::strncmp(pstrTmpFileName, "/tmp/", 4) == 0) return pstrTmpFileName + 4;
    if (std::strncmp(pstrTmpFileName, "/var/tmp", 8) == 0) return pstrTmpFileName + 8;
    return pstrTmpFileName;
}

// Creating a capture file: read-write, exclusively, never through a link, not inherited
// by programs the application starts. Permission bits 0666, less the umask.
int CreateCaptureFile(const char* pPath);

// Reopening the written capture file for reading it back (not inherited either).
int ReopenCaptureFile(const char* pPath);

// Whether reading the capture file back yields its bytes unchanged (no line-end
// translation): then a file holding exactly the text an in-memory print wrote reads back
// as that text.
bool ReadBackIsVerbatim();

}  // namespace corvane::capture
