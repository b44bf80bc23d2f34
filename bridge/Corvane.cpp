// JNI_OnLoad and the process-wide values of the POSIX builds.
#include "bridge/Corvane.h"

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

}  // extern "C"
