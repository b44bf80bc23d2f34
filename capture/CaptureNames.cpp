#include "capture/CaptureNames.h"

#include <fcntl.h>

#include <cstring>

#include "bridge/OsSeam.h"

namespace corvane::capture {

const char* NameTail(const char* pstrTmpFileName) {
    if (std::strncmp(pstrTmpFileName, "/tmp/", 4) == 0) return pstrTmpFileName + 4;
    if (std::strncmp(pstrTmpFileName, "/var/tmp", 8) == 0) return pstrTmpFileName + 8;
    return pstrTmpFileName;
}

int CreateCaptureFile(const char* pPath) {
    return g_os.open(pPath, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

}  // namespace corvane::capture
