// Small helpers that keep Java exceptions and JNI resources from escaping a native.
#pragma once

#include <jni.h>

namespace corvane::jni {

// Clears a pending exception; answers whether there was one.
inline bool ClearException(JNIEnv* pEnv) {
    if (!pEnv->ExceptionCheck()) return false;
    pEnv->ExceptionClear();
    return true;
}

// A new Java string of a modified UTF-8 text, or null when the JVM cannot make one (its
// OutOfMemoryError is cleared, never left to the caller).
inline jstring NewString(JNIEnv* pEnv, const char* pText) {
    jstring jstr = pEnv->NewStringUTF(pText);
    if (jstr == nullptr) ClearException(pEnv);
    return jstr;
}

// The modified UTF-8 characters of a Java string, given back on every path.
class ScopedUtfChars {
public:
    ScopedUtfChars(JNIEnv* pEnv, jstring jstr) : m_pEnv(pEnv), m_jstr(jstr) {
        jboolean jbIsCopy = JNI_FALSE;
        m_pChars = jstr == nullptr ? nullptr : pEnv->GetStringUTFChars(jstr, &jbIsCopy);
        if (m_pChars == nullptr) ClearException(pEnv);
    }
    ~ScopedUtfChars() { Release(); }
    ScopedUtfChars(const ScopedUtfChars&) = delete;
    ScopedUtfChars& operator=(const ScopedUtfChars&) = delete;

    const char* c_str() const { return m_pChars; }
    void Release() {
        if (m_pChars != nullptr) m_pEnv->ReleaseStringUTFChars(m_jstr, m_pChars);
        m_pChars = nullptr;
    }

private:
    JNIEnv* m_pEnv;
    jstring m_jstr;
    const char* m_pChars;
};

// A local reference frame popped on every path, so helpers that make many references
// leave none behind in the caller's frame.
class ScopedLocalFrame {
public:
    ScopedLocalFrame(JNIEnv* pEnv, jint iCapacity) : m_pEnv(pEnv) {
        m_bPushed = pEnv->PushLocalFrame(iCapacity) == 0;
        if (!m_bPushed) ClearException(pEnv);
    }
    ~ScopedLocalFrame() {
        if (m_bPushed) m_pEnv->PopLocalFrame(nullptr);
    }
    // Pops the frame now, keeping joResult: answers its reference in the caller's frame.
    jobject PopKeeping(jobject joResult) {
        if (!m_bPushed) return joResult;
        m_bPushed = false;
        return m_pEnv->PopLocalFrame(joResult);
    }
    ScopedLocalFrame(const ScopedLocalFrame&) = delete;
    ScopedLocalFrame& operator=(const ScopedLocalFrame&) = delete;
    bool ok() const { return m_bPushed; }

private:
    JNIEnv* m_pEnv;
    bool m_bPushed;
};

}  // namespace corvane::jni
