// A stand-in JVM for unit tests: a JavaVM whose GetEnv hands out (or refuses) a scripted
// profiler interface, and a JNIEnv that keeps the strings the library makes.
#pragma once

#include <jni.h>

#include <deque>
#include <string>

#include "jni/jvmpi.h"

namespace corvane::test {

// A JVMPI interface that counts its calls and answers a set thread CPU time.
struct FakeJvmpi {
    FakeJvmpi();
    JVMPI_Interface table{};
    static jlong s_jlThreadCpuTime;
    static int s_iEnableCalls;
    static int s_iDisableCalls;
    static void Reset();
};

class FakeJavaVm {
public:
    // With a null interface GetEnv refuses JVMPI (answers JNI_EVERSION), as current JVMs do.
    explicit FakeJavaVm(JVMPI_Interface* pOffered);
    JavaVM* vm() { return &m_vm; }
    jint lastRequestedVersion() const { return m_jiRequested; }

private:
    static jint JNICALL GetEnv(JavaVM* pVm, void** ppEnv, jint jiVersion);
    JavaVM m_vm{};  // first member: the callbacks find the fake from the JavaVM pointer
    JNIInvokeInterface_ m_table{};
    JVMPI_Interface* m_pOffered;
    jint m_jiRequested = 0;
};

// The modified UTF-8 of a text under FakeEnv::wideUtf.
std::string ModifiedUtf8Of(const std::string& text);

class FakeEnv {
public:
    FakeEnv();
    FakeEnv(const FakeEnv&) = delete;
    FakeEnv& operator=(const FakeEnv&) = delete;
    JNIEnv* env() { return &m_link.env; }

    // A Java string holding text (modified UTF-8 taken as is).
    jstring NewString(const std::string& text);
    // The text of a string the library returned; "<null>" for a null reference.
    std::string TextOf(jstring jstr) const;
    // Forgets every string made so far (their references become invalid).
    void DropStrings() { m_strings.clear(); }

    bool failGetStringUtfChars = false;  // GetStringUTFChars answers null (and throws)
    // GetStringUTFRegion takes each byte b of a text as one UTF-16 unit and encodes it in
    // modified UTF-8 as a JVM would (ModifiedUtf8Of): 0x01-0x7F in one byte, zero and
    // 0x80-0xEF (as U+0000-U+00EF) in two, 0xF0-0xFF (as U+08F0-U+08FF) in three.
    bool wideUtf = false;
    bool failGetStringUtfRegion = false;  // GetStringUTFRegion writes nothing and throws
    int utfCharsHeld = 0;                // obtained and not yet released
    bool exceptionPending = false;
    int exceptionsRaised = 0;

private:
    // The JNIEnv handed to the library, paired with the way back to its fake. The pair is
    // standard-layout, so a JNIEnv pointer is also the address of its pair (FakeEnv itself
    // is not: its public flags come before any private member).
    struct Link {
        JNIEnv env;
        FakeEnv* pSelf;
    };
    static FakeEnv* Self(JNIEnv* pEnv) { return reinterpret_cast<Link*>(pEnv)->pSelf; }
    static jstring JNICALL NewStringUTF(JNIEnv* pEnv, const char* pUtf);
    static const char* JNICALL GetStringUTFChars(JNIEnv* pEnv, jstring jstr, jboolean* pIsCopy);
    static void JNICALL ReleaseStringUTFChars(JNIEnv* pEnv, jstring jstr, const char* pChars);
    static jboolean JNICALL ExceptionCheck(JNIEnv* pEnv);
    static void JNICALL ExceptionClear(JNIEnv* pEnv);
    static jint JNICALL PushLocalFrame(JNIEnv* pEnv, jint jiCapacity);
    static jobject JNICALL PopLocalFrame(JNIEnv* pEnv, jobject joResult);
    static jclass JNICALL FindClass(JNIEnv* pEnv, const char* pName);
    static jsize JNICALL GetStringLength(JNIEnv* pEnv, jstring jstr);
    static void JNICALL GetStringUTFRegion(JNIEnv* pEnv, jstring jstr, jsize jiStart, jsize jiLength, char* pBuf);

    Link m_link{};
    JNINativeInterface_ m_table{};
    std::deque<std::string> m_strings;
};

}  // namespace corvane::test
