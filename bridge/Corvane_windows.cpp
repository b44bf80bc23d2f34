// JNI_OnLoad and the process-wide values of the Windows build.
#include "bridge/Corvane.h"

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

}  // extern "C"
