// JVM services shared by every build: the profiler interface and the thread-dump print.
#include "bridge/JvmHost.h"

#include <cstring>

#include "bridge/JniUtil.h"

namespace corvane::jvm {

// Writes all of a text to descriptor 1; defined per platform.
void WriteToStdout(const char* pText, std::size_t uLength);

namespace {

void PrintAllStacksDefault(JNIEnv* pEnv) {
    if (DumpAllStacksFn pDump = FindDumpAllStacks()) {
        pDump(pEnv, nullptr);
        jni::ClearException(pEnv);
        return;
    }
    PrintThreadDumpViaDiagnosticCommand(pEnv);
}

// Answers the DiagnosticCommand MBean's threadPrint text, or null (no exception left).
jstring InvokeThreadPrint(JNIEnv* pEnv) {
    jclass jcFactory = pEnv->FindClass("java/lang/management/ManagementFactory");
    if (jni::ClearException(pEnv) || jcFactory == nullptr) return nullptr;
    jmethodID jmServer =
        pEnv->GetStaticMethodID(jcFactory, "getPlatformMBeanServer", "()Ljavax/management/MBeanServer;");
    if (jni::ClearException(pEnv) || jmServer == nullptr) return nullptr;
    jobject joServer = pEnv->CallStaticObjectMethod(jcFactory, jmServer);
    if (jni::ClearException(pEnv) || joServer == nullptr) return nullptr;

    jclass jcName = pEnv->FindClass("javax/management/ObjectName");
    if (jni::ClearException(pEnv) || jcName == nullptr) return nullptr;
    jmethodID jmNameInit = pEnv->GetMethodID(jcName, "<init>", "(Ljava/lang/String;)V");
    if (jni::ClearException(pEnv) || jmNameInit == nullptr) return nullptr;
    jstring jstrName = pEnv->NewStringUTF("com.sun.management:type=DiagnosticCommand");
    if (jni::ClearException(pEnv) || jstrName == nullptr) return nullptr;
    jobject joName = pEnv->NewObject(jcName, jmNameInit, jstrName);
    if (jni::ClearException(pEnv) || joName == nullptr) return nullptr;

    jclass jcString = pEnv->FindClass("java/lang/String");
    if (jni::ClearException(pEnv) || jcString == nullptr) return nullptr;
    jclass jcObject = pEnv->FindClass("java/lang/Object");
    if (jni::ClearException(pEnv) || jcObject == nullptr) return nullptr;
    // threadPrint takes one String[] of options: no options.
    jobjectArray joOptions = pEnv->NewObjectArray(0, jcString, nullptr);
    if (jni::ClearException(pEnv) || joOptions == nullptr) return nullptr;
    jobjectArray joParams = pEnv->NewObjectArray(1, jcObject, joOptions);
    if (jni::ClearException(pEnv) || joParams == nullptr) return nullptr;
    jstring jstrSigType = pEnv->NewStringUTF("[Ljava.lang.String;");
    if (jni::ClearException(pEnv) || jstrSigType == nullptr) return nullptr;
    jobjectArray joSignature = pEnv->NewObjectArray(1, jcString, jstrSigType);
    if (jni::ClearException(pEnv) || joSignature == nullptr) return nullptr;
    jstring jstrOperation = pEnv->NewStringUTF("threadPrint");
    if (jni::ClearException(pEnv) || jstrOperation == nullptr) return nullptr;

    jclass jcServer = pEnv->FindClass("javax/management/MBeanServerConnection");
    if (jni::ClearException(pEnv) || jcServer == nullptr) return nullptr;
    jmethodID jmInvoke = pEnv->GetMethodID(
        jcServer, "invoke",
        "(Ljavax/management/ObjectName;Ljava/lang/String;[Ljava/lang/Object;[Ljava/lang/String;)"
        "Ljava/lang/Object;");
    if (jni::ClearException(pEnv) || jmInvoke == nullptr) return nullptr;
    jobject joResult = pEnv->CallObjectMethod(joServer, jmInvoke, joName, jstrOperation, joParams, joSignature);
    if (jni::ClearException(pEnv) || joResult == nullptr) return nullptr;
    if (!pEnv->IsInstanceOf(joResult, jcString)) return nullptr;
    return static_cast<jstring>(joResult);
}

}  // namespace

PrintAllStacksFn g_printAllStacks = &PrintAllStacksDefault;

jint ObtainProfilerInterface(JavaVM* pVm, JVMPI_Interface** ppInterface) {
    return pVm->GetEnv(reinterpret_cast<void**>(ppInterface), JVMPI_VERSION_1);
}

void PrintAllStacks(JNIEnv* pEnv) { g_printAllStacks(pEnv); }

bool PrintThreadDumpViaDiagnosticCommand(JNIEnv* pEnv) {
    jni::ScopedLocalFrame frame(pEnv, 32);
    if (!frame.ok()) return false;
    jstring jstrDump = InvokeThreadPrint(pEnv);
    if (jstrDump == nullptr) return false;
    jni::ScopedUtfChars dump(pEnv, jstrDump);
    if (dump.c_str() == nullptr) return false;
    WriteToStdout(dump.c_str(), std::strlen(dump.c_str()));
    return true;
}

}  // namespace corvane::jvm
