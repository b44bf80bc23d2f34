// Capturing the JVM's thread dump: descriptor 1 points at a short-lived capture file while
// the JVM prints all stacks, then the file is read back and deleted.
#include "capture/Capture.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "bridge/Corvane.h"
#include "bridge/JniUtil.h"
#include "bridge/JvmHost.h"
#include "bridge/OsSeam.h"
#include "capture/CaptureNames.h"
#include "capture/CaptureTexts.h"
#include "capture/ConsoleSwitch.h"
#include "capture/WriterWait.h"

namespace corvane::capture {

namespace {

enum class ReadOutcome { kRead, kNoBuffer, kNothingRead };

// Reads the capture file's ilen bytes; *pjstrDump receives its text up to the first zero
// byte. Short reads are completed, and the text ends where the data ends.
ReadOutcome ReadCapture(JNIEnv* pEnv, int iFd, std::int32_t ilen, jstring* pjstrDump) {
    auto* pstrConsoleOutput = static_cast<char*>(g_os.malloc(static_cast<std::size_t>(ilen) + 1));
    if (pstrConsoleOutput == nullptr) return ReadOutcome::kNoBuffer;
    std::size_t uFilled = 0;
    while (uFilled < static_cast<std::size_t>(ilen)) {
        const long iGot = g_os.read(iFd, pstrConsoleOutput + uFilled, static_cast<std::size_t>(ilen) - uFilled);
        if (iGot < 0 && errno == EINTR) continue;
        if (iGot <= 0) break;
        uFilled += static_cast<std::size_t>(iGot);
    }
    if (uFilled == 0) {
        std::free(pstrConsoleOutput);
        return ReadOutcome::kNothingRead;
    }
    pstrConsoleOutput[uFilled] = '\0';
    *pjstrDump = jni::NewString(pEnv, pstrConsoleOutput);
    std::free(pstrConsoleOutput);
    return ReadOutcome::kRead;
}

}  // namespace

std::mutex& CaptureLock() {
    static std::mutex s_lock;
    return s_lock;
}

jstring FailToConsole(JNIEnv* pEnv, const char* pText) {
    jvm::PrintAllStacks(pEnv, ConsoleSwitch::ConsoleDescriptor());
    return jni::NewString(pEnv, pText);
}

jstring CaptureIntoFile(JNIEnv* pEnv, jstring jstrReturn, const char* pPath, int iTempDes) {
    ConsoleSwitch console;
    // Gives back what the capture holds, in this order: the capture (or reopened) file's
    // descriptor, the copy of the console, the file itself.
    const auto release = [&](int iFd) {
        if (iFd >= 0) g_os.close(iFd);
        console.Close();
        g_os.unlink(pPath);
    };
    if (!console.Save()) {
        release(iTempDes);
        return FailToConsole(pEnv, kDupFailed);
    }
    doFlushall();
    if (!console.Switch(iTempDes)) {
        release(iTempDes);
        return FailToConsole(pEnv, kSwitchFailed);
    }
    jvm::PrintedText printed;
    const bool bWhole = jvm::PrintAllStacks(pEnv, console.SwitchedDescriptor(), &printed);
    console.Restore();
    doFlushall();

    {
        WriterWait writers(pPath);
        g_os.close(iTempDes);
        writers.Wait(kWriterWaitMs);
    }
    // A dump that did not reach the file whole (a full disk) is never handed out as if it
    // were complete: the stacks go to the console instead.
    if (!bWhole) {
        release(-1);
        return FailToConsole(pEnv, kFallback);
    }
    iTempDes = ReopenCaptureFile(pPath);

    struct stat sBuf {};
    if (iTempDes < 0 || g_os.fstat(iTempDes, &sBuf) == -1) {
        release(iTempDes);
        return FailToConsole(pEnv, kFstatFailed);
    }
    // The size as a signed 32-bit count: an empty file, or one of 2 GiB and more, is not read.
    if (sBuf.st_size <= 0 || sBuf.st_size > INT32_MAX) {
        release(iTempDes);
        return FailToConsole(pEnv, kReadFailed);
    }
    // The file holds exactly what the in-memory print wrote (nothing else reached descriptor
    // 1 meanwhile): its text is that print's string, so it need not be read and copied back.
    if (printed.jstrText != nullptr && ReadBackIsVerbatim() &&
        static_cast<unsigned long long>(sBuf.st_size) == printed.ullBytes) {
        release(iTempDes);
        return printed.jstrText;
    }
    jstring jstrDump = nullptr;
    const ReadOutcome outcome = ReadCapture(pEnv, iTempDes, static_cast<std::int32_t>(sBuf.st_size), &jstrDump);
    release(iTempDes);
    // A file whose bytes could not be read at all fails like an empty one.
    if (outcome == ReadOutcome::kNothingRead) return FailToConsole(pEnv, kReadFailed);
    return jstrDump != nullptr ? jstrDump : jstrReturn;
}

}  // namespace corvane::capture
