// Systems without a notice for the last close of a writing descriptor (macOS, Solaris):
// the capture file is read as soon as the capture's own descriptor is closed. A write
// through descriptor 1 still in flight at that moment may be missing from the dump.
#include "capture/WriterWait.h"

namespace corvane::capture {

void PrepareWriterWaits() {}

WriterWait::WriterWait(const char* /*pPath*/) {
    m_iFd = -1;  // no watch on these systems
    m_iWatch = -1;
}

WriterWait::~WriterWait() {}

void WriterWait::Wait(int /*iTimeoutMs*/) {}

}  // namespace corvane::capture
