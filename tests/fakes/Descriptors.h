// Small checks on the process's descriptors: what a descriptor refers to, and whether a
// call left descriptors open behind it.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {

// The file a descriptor refers to, as device and inode; {0, 0} for a closed descriptor.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId& o) const { return dev == o.dev && ino == o.ino; }
    bool operator!=(const FileId& o) const { return !(*this == o); }
};

inline FileId FileOf(int iFd) {
    struct stat sBuf {};
    if (::fstat(iFd, &sBuf) != 0) return {};
    return {sBuf.st_dev, sBuf.st_ino};
}

inline FileId FileAt(const char* pPath) {
    struct stat sBuf {};
    if (::stat(pPath, &sBuf) != 0) return {};
    return {sBuf.st_dev, sBuf.st_ino};
}

// The descriptor the next open would get: unchanged across a call that closed all it opened.
inline int LowestFreeDescriptor() {
    const int iFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (iFd >= 0) ::close(iFd);
    return iFd;
}

}  // namespace corvane::test
