// The thread-dump capture shared by both capture natives.
#pragma once

#include <jni.h>

#include <mutex>

namespace corvane::capture {

// Captures are serialised process-wide: two that overlapped would interleave their
// switches of descriptor 1 and could leave it pointing at a deleted capture file.
std::mutex& CaptureLock();

// How long a capture waits for writers still holding the capture file (see WriterWait).
inline constexpr int kWriterWaitMs = 100;

// How many generated names are tried when the name is taken (a file, or a planted link).
inline constexpr int kNameAttempts = 16;

// From the created capture file on: switches descriptor 1 to the file at pPath (open as
// iTempDes), lets the JVM print every stack, restores descriptor 1, reads the file back and
// deletes it. Answers the dump or its failure text; the stacks go to the console on every
// failure but a missing read buffer. Closes iTempDes and deletes the file on every path.
jstring CaptureIntoFile(JNIEnv* pEnv, jstring jstrReturn, const char* pPath, int iTempDes);

// Prints the stacks to the console and answers the text: the way every failure that
// occurs once a capture file was attempted ends.
jstring FailToConsole(JNIEnv* pEnv, const char* pText);

}  // namespace corvane::capture
