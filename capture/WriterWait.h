// Waiting until nobody writes to the capture file any longer.
//
// A thread of the application may have started a write to descriptor 1 just before the
// capture pointed it back at the console; that write can land in the capture file after
// the capture closed its own descriptor. Reading the file before such a writer is done
// would lose the line with the deleted file.
#pragma once

namespace corvane::capture {

// Makes ready, for the life of the process, what the waits need (on Linux one inotify
// instance, otherwise nothing), so that a capture afterwards keeps no descriptor of its own.
// The first capture does it too; call under the capture lock.
void PrepareWriterWaits();

// Used under the capture lock only.
class WriterWait {
public:
    // Arms the wait on the capture file at pPath. Call before closing the capture's own
    // writing descriptor.
    explicit WriterWait(const char* pPath);
    ~WriterWait();
    WriterWait(const WriterWait&) = delete;
    WriterWait& operator=(const WriterWait&) = delete;

    // Returns once the last writing descriptor of the file has been closed, or after
    // iTimeoutMs, whichever comes first.
    void Wait(int iTimeoutMs);

private:
    int m_iFd;
    int m_iWatch;
};

}  // namespace corvane::capture
