// Floor natives for the JNI-level benchmark (bench/java/BenchFloor.java), built as a separate
// library so the agent's own surface stays as it is. Each does the least a metric native
// must do: nothing (the JNI crossing alone, also with each signature of the natives that
// make no system call), times() and the clock tick rate, or one open,
// read and close of /proc/stat with the first three counters summed. Timed in the same JVM
// as the library's natives, they give each native's floor side by side. copyText splits a
// capture's cost beyond the dump's text: its JNI string copies apart from its file.
#include <fcntl.h>
#include <jni.h>
#include <sys/times.h>
#include <unistd.h>

#include <cstring>

extern "C" {

JNIEXPORT void JNICALL Java_BenchFloor_trivial(JNIEnv*, jclass) {}

// The crossing alone, with the signature of a native that only answers a value it holds
// (the process id, a thread CPU time of 0) or computes from its arguments.
JNIEXPORT jint JNICALL Java_BenchFloor_answerInt(JNIEnv*, jclass) { return 1; }
JNIEXPORT jlong JNICALL Java_BenchFloor_answerLong(JNIEnv*, jclass) { return 0; }
JNIEXPORT jshort JNICALL Java_BenchFloor_answerShortOfTwoLongs(JNIEnv*, jclass, jlong, jlong) { return 0; }

JNIEXPORT jlong JNICALL Java_BenchFloor_times(JNIEnv*, jclass) {
    struct tms s {};
    ::times(&s);
    const long iTicks = ::sysconf(_SC_CLK_TCK);
    return static_cast<jlong>(s.tms_utime + s.tms_stime + s.tms_cutime + s.tms_cstime) * 1000 / iTicks;
}

JNIEXPORT jlong JNICALL Java_BenchFloor_procStat(JNIEnv*, jclass) {
    const int iFd = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    if (iFd < 0) return -1;
    char aHead[512];
    const ssize_t n = ::read(iFd, aHead, sizeof aHead);
    ::close(iFd);
    jlong jlSum = 0;
    ssize_t i = 3;  // past "cpu"
    for (int iField = 0; iField < 3 && i < n; ++iField) {
        while (i < n && aHead[i] == ' ') ++i;
        jlong jlValue = 0;
        while (i < n && aHead[i] >= '0' && aHead[i] <= '9') jlValue = jlValue * 10 + (aHead[i++] - '0');
        jlSum += jlValue;
    }
    return jlSum;
}

// The two copies of a dump's text a capture makes through JNI, without its file: the text out
// of the diagnostic command's String as modified UTF-8, and a new String from those bytes.
JNIEXPORT jstring JNICALL Java_BenchFloor_copyText(JNIEnv* pEnv, jclass, jstring jstrText) {
    const char* pText = pEnv->GetStringUTFChars(jstrText, nullptr);
    if (pText == nullptr) return nullptr;
    const std::size_t uLength = std::strlen(pText);
    jstring jstrCopy = uLength > 0 ? pEnv->NewStringUTF(pText) : nullptr;
    pEnv->ReleaseStringUTFChars(jstrText, pText);
    return jstrCopy;
}

}  // extern "C"
