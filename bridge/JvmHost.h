// Every JVM service the library uses beyond plain JNI calls on the caller's JNIEnv.
// Nothing else in the library talks to the JVM's internals.
#pragma once

#include <jni.h>

#include "jni/jvmpi.h"

namespace corvane::jvm {

// Asks the JVM for the JVMPI interface (version 1) and stores it in *ppInterface.
// Answers GetEnv's result: negative when the JVM refuses the interface.
jint ObtainProfilerInterface(JavaVM* pVm, JVMPI_Interface** ppInterface);

// Prints every Java thread's stack to the console descriptor iConsoleFd and returns when
// the print is done. Uses the diagnostic command's thread print (formatted in memory by the
// JVM), whose text it writes to iConsoleFd; where the JVM lacks that command, the JVM's own
// JVM_DumpAllStacks, which prints to the JVM's console. Where neither exists nothing is
// printed. Leaves no Java exception pending. Answers false when the text is known not to
// have reached the descriptor whole (a write failed, say on a full disk); true otherwise.
bool PrintAllStacks(JNIEnv* pEnv, int iConsoleFd);

// The print used by PrintAllStacks; tests put a stand-in here.
using PrintAllStacksFn = bool (*)(JNIEnv* pEnv, int iConsoleFd);
extern PrintAllStacksFn g_printAllStacks;

// The two ways of printing, for tests and benchmarks that want one in particular.
using DumpAllStacksFn = void(JNICALL*)(JNIEnv* pEnv, jclass unused);
DumpAllStacksFn FindDumpAllStacks();         // null where the loaded JVM lacks it
enum class PrintOutcome { kWhole, kShort, kUnavailable };
PrintOutcome PrintThreadDumpViaDiagnosticCommand(JNIEnv* pEnv, int iConsoleFd);

}  // namespace corvane::jvm
