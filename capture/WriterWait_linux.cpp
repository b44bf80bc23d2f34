// Linux: an inotify watch for IN_CLOSE_WRITE fires when the last reference to a writing
// open file is dropped, i.e. when the capture's own descriptor is closed and every write
// in flight through descriptor 1 has finished.
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "capture/WriterWait.h"

namespace corvane::capture {

WriterWait::WriterWait(const char* pPath) : m_iFd(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)), m_iWatch(-1) {
    if (m_iFd < 0) return;
    m_iWatch = inotify_add_watch(m_iFd, pPath, IN_CLOSE_WRITE | IN_DONT_FOLLOW | IN_ONESHOT);
}

WriterWait::~WriterWait() {
    if (m_iFd >= 0) ::close(m_iFd);
}

void WriterWait::Wait(int iTimeoutMs) {
    // Without a watch (descriptor limit reached, no inotify) the file is read at once.
    if (m_iWatch < 0) return;
    pollfd sPoll{m_iFd, POLLIN, 0};
    while (::poll(&sPoll, 1, iTimeoutMs) < 0 && errno == EINTR) {
    }
}

}  // namespace corvane::capture
