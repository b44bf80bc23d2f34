// NativeManager.nativeRequestStackDump (Solaris builds): the same capture into a file at
// a generated name, without a directory.
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "bridge/Corvane.h"
#include "bridge/JniUtil.h"
#include "bridge/OsSeam.h"
#include "capture/Capture.h"
#include "capture/CaptureNames.h"
#include "capture/CaptureTexts.h"

extern "C" JNIEXPORT jstring JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(JNIEnv* pEnv, jclass /*clazz*/) {
    using namespace corvane::capture;

    jstring jstrReturn = corvane::jni::NewString(pEnv, kFallback);

    std::lock_guard<std::mutex> lock(CaptureLock());
    char aName[L_tmpnam];
    const char* pstrTmpFileName = nullptr;
    int iTempDes = -1;
    for (int iAttempt = 0; iAttempt < kNameAttempts; ++iAttempt) {
        pstrTmpFileName = corvane::g_os.tmpnam(aName);
        if (pstrTmpFileName == nullptr) break;
        iTempDes = CreateCaptureFile(pstrTmpFileName);
        if (iTempDes >= 0 || errno != EEXIST) break;
    }
    if (iTempDes < 0) return FailToConsole(pEnv, kOpenFailed);
    return CaptureIntoFile(pEnv, jstrReturn, pstrTmpFileName, iTempDes);
}
