// Every exported entry of the library and the process-wide values stored at load.
//
// The natives are the static methods of the agent's classes
//   com.veldmark.corvane.trace.NativeManager
//   com.veldmark.corvane.debug.evaluator.Evaluator
// exported under their short JNI names. Each build exports only its own set (see targets/).
#pragma once

#include <jni.h>

#include "bridge/Platform.h"
#include "jni/jvmpi.h"

// Process-wide values: written once by the load hooks, read afterwards without locks.
extern jint gs_iPID;
extern corvane::TmsRecord gs_sTmsStart;
extern JVMPI_Interface* jvmpi_interface;
#if defined(_WIN32)
extern void* gs_hProcess;  // the own process's pseudo-handle (a HANDLE), never closed
extern jint gs_iNumberOfProcessors;
#endif

extern "C" {

// Load hooks.
JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* reserved);
JNIEXPORT jint JNICALL JVM_OnLoad(JavaVM* jvm, char* options, void* reserved);

// NativeManager.
JNIEXPORT void JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeInit(JNIEnv* pEnv,
                                                                                jclass cls,
                                                                                jboolean jbInit);
JNIEXPORT jint JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(JNIEnv* pEnv,
                                                                                        jclass cls);
JNIEXPORT jlong JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(JNIEnv* pEnv, jclass cls);
JNIEXPORT jdouble JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUUsage(JNIEnv* pEnv, jclass cls);
JNIEXPORT jlong JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(JNIEnv* pEnv, jclass cls);
JNIEXPORT jlong JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(JNIEnv* pEnv, jclass cls);
JNIEXPORT jshort JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
    JNIEnv* pEnv, jclass cls, jlong jlTimeDelta, jlong jlCapureDelta);
JNIEXPORT jint JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(
    JNIEnv* pEnv, jclass cls, jint jiSocket, jint jiTimeOut);
JNIEXPORT jstring JNICALL Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
    JNIEnv* pEnv, jclass clazz, jstring jstrPath);
JNIEXPORT jstring JNICALL
Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(JNIEnv* pEnv, jclass clazz);

// Evaluator.
JNIEXPORT void JNICALL Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeEnableGC(JNIEnv* pEnv,
                                                                                          jclass cls);
JNIEXPORT void JNICALL Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeDisableGC(JNIEnv* pEnv,
                                                                                           jclass cls);

}  // extern "C"

// Flushes the buffered standard streams; the captures call it around the console switch.
// The Solaris builds export it under its plain C name, the others under its C++ name.
#if defined(CORVANE_SOLARIS)
extern "C" CORVANE_VISIBLE void doFlushall();
#else
CORVANE_VISIBLE void doFlushall();
#endif
