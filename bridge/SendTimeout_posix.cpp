// Only the Windows build sets a socket's send time-out; here the answer is 0, no call made.
#include "bridge/Corvane.h"

extern "C" JNIEXPORT jint JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(
    JNIEnv* /*pEnv*/, jclass /*cls*/, jint /*jiSocket*/, jint /*jiTimeOut*/) {
    return 0;
}
