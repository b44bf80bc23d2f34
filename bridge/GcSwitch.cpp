// The debug evaluator's switch for the JVM's garbage collection. Each call writes a trace
// line before and after the JVM call to C's buffered standard output (not flushed here:
// the captures flush around their console switch). With no profiler interface the lines
// are still written and the JVM call is skipped.
#include <cstdio>

#include "bridge/Corvane.h"

extern "C" {

JNIEXPORT void JNICALL Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeEnableGC(JNIEnv* /*pEnv*/,
                                                                                          jclass /*cls*/) {
    std::printf("EnableGC();\n");
    if (jvmpi_interface != nullptr) jvmpi_interface->EnableGC();
    std::printf("EnableGC(Done);\n");
}

JNIEXPORT void JNICALL Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeDisableGC(JNIEnv* /*pEnv*/,
                                                                                           jclass /*cls*/) {
    std::printf("DisableGC();\n");
    if (jvmpi_interface != nullptr) jvmpi_interface->DisableGC();
    std::printf("DisableGC(Done);\n");
}

}  // extern "C"
