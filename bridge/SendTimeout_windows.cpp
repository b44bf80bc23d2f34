// NativeManager.nativeSetSendTimeout: the send time-out of a Windows socket, in
// milliseconds, through Windows Sockets. The socket call's own answer is passed through.
#include <winsock2.h>

#include <cstdint>

#include "bridge/Corvane.h"

extern "C" JNIEXPORT jint JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(
    JNIEnv* /*pEnv*/, jclass /*cls*/, jint jiSocket, jint jiTimeOut) {
    // The Java int widens with its sign to the 64-bit handle: -1 becomes INVALID_SOCKET.
    const auto hSocket = static_cast<SOCKET>(static_cast<std::intptr_t>(jiSocket));
    const std::int32_t iTimeOut = jiTimeOut;  // its 4 bytes handed on unchanged
    return setsockopt(hSocket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&iTimeOut), sizeof iTimeOut);
}
