#include "capture/CaptureNames.h"

#include <fcntl.h>

#include "bridge/OsSeam.h"

namespace corvane::capture {

int CreateCaptureFile(const char* pPath) {
    return g_os.open(pPath, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool ReadBackIsVerbatim() { return true; }

int ReopenCaptureFile(const char* pPath) { return g_os.open(pPath, O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0); }

}  // namespace corvane::capture
