// NativeManager.nativeRequestStackDumpPath: the JVM's thread dump, captured through a
// short-lived file in the caller's directory, as a Java string.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "bridge/Corvane.h"
#include "bridge/JniUtil.h"
#include "bridge/OsSeam.h"
#include "capture/Capture.h"
#include "capture/CaptureNames.h"
#include "capture/CaptureTexts.h"
#include "capture/ModifiedUtf8.h"

extern "C" JNIEXPORT jstring JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
    JNIEnv* pEnv, jclass /*clazz*/, jstring jstrPath) {
    using namespace corvane::capture;
    using corvane::jni::NewString;
    using corvane::g_os;

    jstring jstrReturn = NewString(pEnv, kFallback);
    if (jstrPath == nullptr) return NewString(pEnv, kTempPathUndefined);
    corvane::jni::ScopedUtfChars strPath(pEnv, jstrPath);
    if (strPath.c_str() == nullptr) return NewString(pEnv, kFailedToConvert);
    // The directory as the file system spells it (standard UTF-8).
    std::unique_ptr<char[]> pstrDir(new (std::nothrow) char[std::strlen(strPath.c_str()) + 1]);
    if (pstrDir == nullptr) return NewString(pEnv, kNoPathMemory);
    if (!ModifiedUtf8ToUtf8(strPath.c_str(), pstrDir.get())) return NewString(pEnv, kFailedToConvert);
    strPath.Release();

    std::lock_guard<std::mutex> lock(CaptureLock());
    PathBuffer pstrTmpFullPath;
    int iTempDes = -1;
    // A name that is taken (by a file, or by a link planted to redirect the dump) is
    // replaced by a fresh one, a bounded number of times.
    for (int iAttempt = 0; iAttempt < kNameAttempts; ++iAttempt) {
        char aName[L_tmpnam];
        errno = 0;  // a stale EEXIST must not fail the capture
        const char* pstrTmpFileName = g_os.tmpnam(aName);
        if (errno == EEXIST) return NewString(pEnv, kUnableToGenerateName);
        if (pstrTmpFileName == nullptr) return NewString(pEnv, kFailedToGenerateName);

        const std::size_t uFullPathLen = std::strlen(pstrDir.get()) + std::strlen(pstrTmpFileName) + 1;
        if (uFullPathLen <= 4 || uFullPathLen > INT32_MAX) return NewString(pEnv, kPathLength);
        pstrTmpFullPath.reset(static_cast<char*>(g_os.malloc(uFullPathLen)));
        if (pstrTmpFullPath == nullptr) return NewString(pEnv, kNoPathMemory);
        std::memset(pstrTmpFullPath.get(), 0, uFullPathLen);
        std::strcat(pstrTmpFullPath.get(), pstrDir.get());
        std::strcat(pstrTmpFullPath.get(), NameTail(pstrTmpFileName));

        iTempDes = CreateCaptureFile(pstrTmpFullPath.get());
        if (iTempDes >= 0 || errno != EEXIST) break;
    }
    if (iTempDes < 0) return FailToConsole(pEnv, kOpenFailed);
    return CaptureIntoFile(pEnv, jstrReturn, pstrTmpFullPath.get(), iTempDes);
}
