// Every JVM service the library uses beyond plain JNI calls on the caller's JNIEnv.
// Nothing else in the library talks to the JVM's internals.
#pragma once

#include <jni.h>

#include "jni/jvmpi.h"

namespace corvane::jvm {

// Asks the JVM for the JVMPI interface (version 1) and stores it in *ppInterface.
// Answers GetEnv's result: negative when the JVM refuses the interface.
jint ObtainProfilerInterface(JavaVM* pVm, JVMPI_Interface** ppInterface);

// Prints every Java thread's stack to descriptor 1 and returns when the print is complete.
// Uses the JVM's own JVM_DumpAllStacks where the loaded JVM exports it; otherwise the
// diagnostic command's thread print, whose text it writes to descriptor 1. Where neither
// exists nothing is printed. Leaves no Java exception pending.
void PrintAllStacks(JNIEnv* pEnv);

// The print used by PrintAllStacks; tests put a stand-in here.
using PrintAllStacksFn = void (*)(JNIEnv* pEnv);
extern PrintAllStacksFn g_printAllStacks;

// The two ways of printing, for tests and benchmarks that want one in particular.
using DumpAllStacksFn = void(JNICALL*)(JNIEnv* pEnv, jclass unused);
DumpAllStacksFn FindDumpAllStacks();         // null where the loaded JVM lacks it
bool PrintThreadDumpViaDiagnosticCommand(JNIEnv* pEnv);  // false where it is not available

}  // namespace corvane::jvm
