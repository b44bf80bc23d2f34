// Load hooks and the process-wide values of the Windows build.
#include "bridge/Corvane.h"

#include "bridge/JvmHost.h"
#include "bridge/WinSeam.h"
#include "metrics/Globals.h"

jint gs_iPID;
void* gs_hProcess;
jint gs_iNumberOfProcessors;
JVMPI_Interface* jvmpi_interface;

extern "C" {

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* /*vm*/, void* /*reserved*/) {
    gs_iPID = static_cast<jint>(corvane::g_win.getCurrentProcessId());
    gs_hProcess = corvane::g_win.getCurrentProcess();
    SYSTEM_INFO sInfo{};
    corvane::g_win.getSystemInfo(&sInfo);
    gs_iNumberOfProcessors = static_cast<jint>(sInfo.dwNumberOfProcessors);
    // The first sample; on NT5+ it also switches the processor counters on.
    corvane::PrimeSamplerAtLoad();
    return JNI_VERSION_1_2;
}

JNIEXPORT jint JNICALL JVM_OnLoad(JavaVM* jvm, char* /*options*/, void* /*reserved*/) {
    return corvane::jvm::ObtainProfilerInterface(jvm, &jvmpi_interface) < 0 ? -1 : 0;
}

JNIEXPORT void JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeInit(JNIEnv* /*pEnv*/,
                                                                                jclass /*cls*/,
                                                                                jboolean /*jbInit*/) {}

}  // extern "C"
