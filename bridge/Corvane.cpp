// Load hooks and the process-wide values of the POSIX builds.
#include "bridge/Corvane.h"

#include "bridge/JvmHost.h"
#include "bridge/OsSeam.h"
#include "metrics/Globals.h"

jint gs_iPID;
corvane::TmsRecord gs_sTmsStart;
JVMPI_Interface* jvmpi_interface;

extern "C" {

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* /*vm*/, void* /*reserved*/) {
    corvane::PrimeSamplerAtLoad();
    corvane::g_os.readTimes(&gs_sTmsStart);
    gs_iPID = static_cast<jint>(corvane::g_os.getpid());
    return JNI_VERSION_1_2;
}

JNIEXPORT jint JNICALL JVM_OnLoad(JavaVM* jvm, char* /*options*/, void* /*reserved*/) {
    return corvane::jvm::ObtainProfilerInterface(jvm, &jvmpi_interface) < 0 ? -1 : 0;
}

JNIEXPORT void JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeInit(JNIEnv* /*pEnv*/,
                                                                                jclass /*cls*/,
                                                                                jboolean /*jbInit*/) {}

}  // extern "C"
