// Builds without a way to watch the last writer close the file read it at once.
#include "capture/WriterWait.h"

namespace corvane::capture {

WriterWait::WriterWait(const char* /*pPath*/) : m_iFd(-1), m_iWatch(-1) {}

WriterWait::~WriterWait() {}

void WriterWait::Wait(int /*iTimeoutMs*/) {}

}  // namespace corvane::capture
