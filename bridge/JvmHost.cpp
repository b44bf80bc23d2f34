// JVM services shared by every build: the profiler interface and the thread-dump print.
#include "bridge/JvmHost.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "bridge/JniUtil.h"

namespace corvane::jvm {

// Writes all of a text to a console descriptor; false when a write failed. Defined per
// platform.
bool WriteToConsole(int iConsoleFd, const char* pText, std::size_t uLength);

namespace {

// The diagnostic command's thread print, reached through the platform MBean server.
// Everything it needs is looked up once and kept as global references for the life of the
// process: the first use pays for creating the MBean server, later ones only for the print.
class ThreadPrintCommand {
public:
    // Answers the thread dump text (a local reference), or null where the command is not
    // available (a JVM without the management modules) or failed. No exception is left.
    jstring Invoke(JNIEnv* pEnv) {
        if (!Prepare(pEnv)) return nullptr;
        jobject joResult = pEnv->CallObjectMethod(m_joServer, m_jmInvoke, m_joName, m_jstrOperation, m_joParams,
                                                  m_joSignature);
        if (jni::ClearException(pEnv) || joResult == nullptr) return nullptr;
        if (!pEnv->IsInstanceOf(joResult, m_jcString)) return nullptr;
        return static_cast<jstring>(joResult);
    }

private:
    enum class State { kUnknown, kReady, kAbsent };

    bool Prepare(JNIEnv* pEnv) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_state == State::kUnknown) {
            jni::ScopedLocalFrame frame(pEnv, 16);
            if (!frame.ok()) return false;
            jclass jcFactory = pEnv->FindClass("java/lang/management/ManagementFactory");
            if (jni::ClearException(pEnv) || jcFactory == nullptr) {
                m_state = State::kAbsent;  // this JVM was started without java.management
            } else if (Lookup(pEnv, jcFactory)) {
                m_state = State::kReady;
            }
            // Any other failure (say, no memory) is tried again at the next print.
        }
        return m_state == State::kReady;
    }

    jobject Global(JNIEnv* pEnv, jobject joLocal) {
        return joLocal == nullptr ? nullptr : pEnv->NewGlobalRef(joLocal);
    }

    bool Lookup(JNIEnv* pEnv, jclass jcFactory) {
        jmethodID jmServer =
            pEnv->GetStaticMethodID(jcFactory, "getPlatformMBeanServer", "()Ljavax/management/MBeanServer;");
        if (jni::ClearException(pEnv) || jmServer == nullptr) return false;
        jobject joServer = pEnv->CallStaticObjectMethod(jcFactory, jmServer);
        if (jni::ClearException(pEnv) || joServer == nullptr) return false;

        jclass jcName = pEnv->FindClass("javax/management/ObjectName");
        if (jni::ClearException(pEnv) || jcName == nullptr) return false;
        jmethodID jmNameInit = pEnv->GetMethodID(jcName, "<init>", "(Ljava/lang/String;)V");
        if (jni::ClearException(pEnv) || jmNameInit == nullptr) return false;
        jstring jstrName = pEnv->NewStringUTF("com.sun.management:type=DiagnosticCommand");
        if (jni::ClearException(pEnv) || jstrName == nullptr) return false;
        jobject joName = pEnv->NewObject(jcName, jmNameInit, jstrName);
        if (jni::ClearException(pEnv) || joName == nullptr) return false;

        jclass jcString = pEnv->FindClass("java/lang/String");
        if (jni::ClearException(pEnv) || jcString == nullptr) return false;
        jclass jcObject = pEnv->FindClass("java/lang/Object");
        if (jni::ClearException(pEnv) || jcObject == nullptr) return false;
        // threadPrint takes one String[] of options: none.
        jobjectArray joOptions = pEnv->NewObjectArray(0, jcString, nullptr);
        if (jni::ClearException(pEnv) || joOptions == nullptr) return false;
        jobjectArray joParams = pEnv->NewObjectArray(1, jcObject, joOptions);
        if (jni::ClearException(pEnv) || joParams == nullptr) return false;
        jstring jstrSigType = pEnv->NewStringUTF("[Ljava.lang.String;");
        if (jni::ClearException(pEnv) || jstrSigType == nullptr) return false;
        jobjectArray joSignature = pEnv->NewObjectArray(1, jcString, jstrSigType);
        if (jni::ClearException(pEnv) || joSignature == nullptr) return false;
        jstring jstrOperation = pEnv->NewStringUTF("threadPrint");
        if (jni::ClearException(pEnv) || jstrOperation == nullptr) return false;

        jclass jcConnection = pEnv->FindClass("javax/management/MBeanServerConnection");
        if (jni::ClearException(pEnv) || jcConnection == nullptr) return false;
        jmethodID jmInvoke = pEnv->GetMethodID(
            jcConnection, "invoke",
            "(Ljavax/management/ObjectName;Ljava/lang/String;[Ljava/lang/Object;[Ljava/lang/String;)"
            "Ljava/lang/Object;");
        if (jni::ClearException(pEnv) || jmInvoke == nullptr) return false;

        jobject aLocals[] = {joServer, joName, jstrOperation, joParams, joSignature, jcString};
        jobject aGlobals[6] = {};
        for (int i = 0; i < 6; ++i) {
            aGlobals[i] = Global(pEnv, aLocals[i]);
            if (aGlobals[i] == nullptr) {
                jni::ClearException(pEnv);
                for (int j = 0; j < i; ++j) pEnv->DeleteGlobalRef(aGlobals[j]);
                return false;
            }
        }
        m_joServer = aGlobals[0];
        m_joName = aGlobals[1];
        m_jstrOperation = static_cast<jstring>(aGlobals[2]);
        m_joParams = static_cast<jobjectArray>(aGlobals[3]);
        m_joSignature = static_cast<jobjectArray>(aGlobals[4]);
        m_jcString = static_cast<jclass>(aGlobals[5]);
        m_jmInvoke = jmInvoke;
        return true;
    }

    std::mutex m_lock;
    State m_state = State::kUnknown;
    jobject m_joServer = nullptr;
    jobject m_joName = nullptr;
    jstring m_jstrOperation = nullptr;
    jobjectArray m_joParams = nullptr;
    jobjectArray m_joSignature = nullptr;
    jclass m_jcString = nullptr;
    jmethodID m_jmInvoke = nullptr;
};

ThreadPrintCommand g_threadPrint;

// The diagnostic command formats the dump in memory, so the application pauses only for
// the JVM's own formatting; JVM_DumpAllStacks writes line by line inside the pause. The
// latter serves JVMs without the management modules.
bool PrintAllStacksDefault(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted) {
    const PrintOutcome outcome = PrintThreadDumpViaDiagnosticCommand(pEnv, iConsoleFd, pPrinted);
    if (outcome != PrintOutcome::kUnavailable) return outcome == PrintOutcome::kWhole;
    if (DumpAllStacksFn pDump = FindDumpAllStacks()) {
        // The JVM reports nothing of its writes: whatever reached the file is the dump.
        pDump(pEnv, nullptr);
        jni::ClearException(pEnv);
    }
    return true;
}

}  // namespace

PrintAllStacksFn g_printAllStacks = &PrintAllStacksDefault;

jint ObtainProfilerInterface(JavaVM* pVm, JVMPI_Interface** ppInterface) {
    return pVm->GetEnv(reinterpret_cast<void**>(ppInterface), JVMPI_VERSION_1);
}

bool PrintAllStacks(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted) {
    return g_printAllStacks(pEnv, iConsoleFd, pPrinted);
}

PrintOutcome PrintThreadDumpViaDiagnosticCommand(JNIEnv* pEnv, int iConsoleFd, PrintedText* pPrinted) {
    jni::ScopedLocalFrame frame(pEnv, 4);
    if (!frame.ok()) return PrintOutcome::kUnavailable;
    jstring jstrDump = g_threadPrint.Invoke(pEnv);
    if (jstrDump == nullptr) return PrintOutcome::kUnavailable;
    unsigned long long ullBytes = 0;
    const PrintOutcome outcome = WriteStringToConsole(pEnv, jstrDump, iConsoleFd, &ullBytes);
    if (outcome == PrintOutcome::kWhole && pPrinted != nullptr) {
        pPrinted->jstrText = static_cast<jstring>(frame.PopKeeping(jstrDump));
        pPrinted->ullBytes = ullBytes;
    }
    return outcome;
}

PrintOutcome WriteStringToConsole(JNIEnv* pEnv, jstring jstrText, int iConsoleFd, unsigned long long* pullBytes) {
    // The text goes out in modified UTF-8 through one 64 KiB buffer: no native copy of the
    // whole dump, and few large writes (on a local file system each write costs a fixed
    // few microseconds more than the bytes it copies, so 64 KiB writes take half the time of
    // 16 KiB ones). The buffer is filled by several slices of the string, each as long as
    // the room left allows when every UTF-16 unit takes its most, 3 bytes; it is written out
    // once the room left holds less than kMinSliceChars. A slice may end between the two
    // halves of a pair (modified UTF-8 encodes each half on its own), so slices join to the
    // whole text.
    constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;
    constexpr jsize kMinSliceChars = 2048;
    std::unique_ptr<char[]> pBuffer(new (std::nothrow) char[kBufferBytes]);
    if (pBuffer == nullptr) return PrintOutcome::kUnavailable;
    const jsize jiLength = pEnv->GetStringLength(jstrText);
    *pullBytes = 0;
    std::size_t uUsed = 0;
    const auto flush = [&] {
        if (!WriteToConsole(iConsoleFd, pBuffer.get(), uUsed)) return false;
        *pullBytes += uUsed;
        uUsed = 0;
        return true;
    };
    for (jsize jiStart = 0; jiStart < jiLength;) {
        const std::size_t uRoom = kBufferBytes - uUsed - 1;  // one byte for the terminator
        const jsize jiLeft = jiLength - jiStart;
        const jsize jiFit = static_cast<jsize>(uRoom / 3);
        if (jiFit < jiLeft && jiFit < kMinSliceChars) {
            if (!flush()) return PrintOutcome::kShort;
            continue;
        }
        const jsize jiCount = jiFit < jiLeft ? jiFit : jiLeft;
        char* pSlice = pBuffer.get() + uUsed;
        pSlice[0] = '\0';
        pEnv->GetStringUTFRegion(jstrText, jiStart, jiCount, pSlice);
        if (jni::ClearException(pEnv)) return PrintOutcome::kShort;
        // The slice ends at its terminator: modified UTF-8 holds no zero bytes.
        uUsed += strnlen(pSlice, uRoom);
        jiStart += jiCount;
    }
    if (uUsed > 0 && !flush()) return PrintOutcome::kShort;
    return PrintOutcome::kWhole;
}

}  // namespace corvane::jvm
