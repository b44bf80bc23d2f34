// Windows: the capture file is created exclusively and not inherited by child processes;
// it is read back in text mode, the runtime's default, so CR LF line ends come back as LF.
#include <fcntl.h>

#include "bridge/OsSeam.h"
#include "capture/CaptureNames.h"

namespace corvane::capture {

int CreateCaptureFile(const char* pPath) {
    return g_os.open(pPath, _O_RDWR | _O_CREAT | _O_EXCL | _O_NOINHERIT, 0666);
}

bool ReadBackIsVerbatim() { return false; }

int ReopenCaptureFile(const char* pPath) { return g_os.open(pPath, _O_RDONLY | _O_TEXT | _O_NOINHERIT, 0); }

}  // namespace corvane::capture
