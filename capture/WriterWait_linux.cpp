// Linux: an inotify watch for IN_CLOSE_WRITE fires when the last reference to a writing
// open file is dropped, i.e. when the capture's own descriptor is closed and every write
// in flight through descriptor 1 has finished.
//
// The inotify instance is made at the first capture and kept for the life of the process:
// closing an instance waits for the kernel to retire its watches (an RCU grace period,
// about 30 us on a quiet machine but 3 to 9 ms seen while a JVM with 1,000 threads was
// busy), and that wait would fall on every capture. Each capture adds a one-shot watch
// for its own file and reads its own events (by watch number, which the kernel does not
// hand out again soon), so events an earlier capture left behind do not count.
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "capture/WriterWait.h"

namespace corvane::capture {

namespace {

// The process's instance and the process that made it. Used under the capture lock only.
int g_iInstance = -1;
pid_t g_pidOwner = 0;

int Instance() {
    const pid_t pidNow = ::getpid();
    // A child made by fork shares its parent's instance, and with it the events: it makes
    // its own (closing its copy of the parent's leaves the parent's instance open).
    if (g_iInstance >= 0 && g_pidOwner != pidNow) {
        ::close(g_iInstance);
        g_iInstance = -1;
    }
    if (g_iInstance < 0) {
        // Without one (descriptor limit reached, no inotify) the file is read at once, and
        // the next capture tries again.
        g_iInstance = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        g_pidOwner = pidNow;
    }
    return g_iInstance;
}

// Reads every queued event, those an earlier wait left behind included; true when one says
// that watch iWatch fired or was removed.
bool DrainEvents(int iFd, int iWatch) {
    bool bFired = false;
    alignas(inotify_event) char aEvents[4096];
    for (;;) {
        const ssize_t iGot = ::read(iFd, aEvents, sizeof aEvents);
        if (iGot < 0 && errno == EINTR) continue;
        if (iGot <= 0) return bFired;
        for (ssize_t i = 0; i + static_cast<ssize_t>(sizeof(inotify_event)) <= iGot;) {
            const auto* pEvent = reinterpret_cast<const inotify_event*>(aEvents + i);
            if (pEvent->wd == iWatch && (pEvent->mask & (IN_CLOSE_WRITE | IN_IGNORED)) != 0) bFired = true;
            i += static_cast<ssize_t>(sizeof(inotify_event) + pEvent->len);
        }
    }
}

}  // namespace

void PrepareWriterWaits() { Instance(); }

WriterWait::WriterWait(const char* pPath) : m_iFd(Instance()), m_iWatch(-1) {
    if (m_iFd < 0) return;
    m_iWatch = inotify_add_watch(m_iFd, pPath, IN_CLOSE_WRITE | IN_DONT_FOLLOW | IN_ONESHOT);
}

WriterWait::~WriterWait() {
    // A watch that has not fired is taken off; one that fired has gone by itself.
    if (m_iWatch >= 0) inotify_rm_watch(m_iFd, m_iWatch);
}

void WriterWait::Wait(int iTimeoutMs) {
    // Without a watch the file is read at once.
    if (m_iWatch < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(iTimeoutMs);
    for (;;) {
        if (DrainEvents(m_iFd, m_iWatch)) {
            m_iWatch = -1;
            return;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return;
        pollfd sPoll{m_iFd, POLLIN, 0};
        if (::poll(&sPoll, 1, static_cast<int>(left)) == 0) return;
    }
}

}  // namespace corvane::capture
