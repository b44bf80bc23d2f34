// Every JVM service the library uses beyond plain JNI calls on the caller's JNIEnv.
// Nothing else in the library talks to the JVM's internals.
#pragma once

#include <jni.h>

#include "jni/jvmpi.h"

namespace corvane::jvm {

// Asks the JVM for the JVMPI interface (version 1) and stores it in *ppInterface.
// Answers GetEnv's result: negative when the JVM refuses the interface.
jint ObtainProfilerInterface(JavaVM* pVm, JVMPI_Interface** ppInterface);

// What a print that formatted the dump in memory wrote whole: the text as a Java string
// (a local reference) and the number of bytes it wrote. A capture whose file holds exactly
// these bytes answers the string itself rather than reading the file back.
struct PrintedText {
    jstring jstrText = nullptr;
    unsigned long long ullBytes = 0;
};

// Prints every Java thread's stack to the console descriptor iConsoleFd and returns when
// the print is done. Uses the diagnostic command's thread print (formatted in memory by the
// JVM), whose text it writes to iConsoleFd; where the JVM lacks that command, the JVM's own
// JVM_DumpAllStacks, which prints to the JVM's console. Where neither exists nothing is
// printed. Leaves no Java exception pending. Answers false when the text is known not to
// have reached the descriptor whole (a write failed, say on a full disk); true otherwise.
bool PrintAllStacks(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted = nullptr);

// The print used by PrintAllStacks; tests put a stand-in here. pPrinted, when not null,
// receives the text of an in-memory print.
using PrintAllStacksFn = bool (*)(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted);
extern PrintAllStacksFn g_printAllStacks;

// The two ways of printing, for tests and benchmarks that want one in particular.
using DumpAllStacksFn = void(JNICALL*)(JNIEnv* pEnv, jclass unused);
DumpAllStacksFn FindDumpAllStacks();         // null where the loaded JVM lacks it
enum class PrintOutcome { kWhole, kShort, kUnavailable };
// Writes a Java string's modified UTF-8 text to iConsoleFd; *pullBytes receives the bytes
// written. kUnavailable when no buffer can be had (nothing written).
PrintOutcome WriteStringToConsole(JNIEnv* pEnv, jstring jstrText, int iConsoleFd, unsigned long long* pullBytes);
PrintOutcome PrintThreadDumpViaDiagnosticCommand(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted = nullptr);

}  // namespace corvane::jvm
