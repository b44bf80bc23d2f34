// Entries every build answers alike: the start-up agent hook, nativeInit and the process id
// stored at load.
#include "bridge/Corvane.h"
#include "bridge/JvmHost.h"

extern "C" {

JNIEXPORT jint JNICALL JVM_OnLoad(JavaVM* jvm, char* /*options*/, void* /*reserved*/) {
    return corvane::jvm::ObtainProfilerInterface(jvm, &jvmpi_interface) < 0 ? -1 : 0;
}

JNIEXPORT void JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeInit(JNIEnv* /*pEnv*/,
                                                                                jclass /*cls*/,
                                                                                jboolean /*jbInit*/) {}

JNIEXPORT jint JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(JNIEnv* /*pEnv*/,
                                                                                        jclass /*cls*/) {
    return gs_iPID;
}

}  // extern "C"
