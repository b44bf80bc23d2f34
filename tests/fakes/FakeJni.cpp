#include "tests/fakes/FakeJni.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace corvane::test {

jlong FakeJvmpi::s_jlThreadCpuTime = 0;
int FakeJvmpi::s_iEnableCalls = 0;
int FakeJvmpi::s_iDisableCalls = 0;

namespace {
jlong JNICALL ThreadCpuTime() { return FakeJvmpi::s_jlThreadCpuTime; }
void JNICALL EnableGc() {
    ++FakeJvmpi::s_iEnableCalls;
    std::printf("<EnableGC called>\n");
}
void JNICALL DisableGc() {
    ++FakeJvmpi::s_iDisableCalls;
    std::printf("<DisableGC called>\n");
}
}  // namespace

FakeJvmpi::FakeJvmpi() {
    table.version = JVMPI_VERSION_1;
    table.GetCurrentThreadCpuTime = &ThreadCpuTime;
    table.EnableGC = &EnableGc;
    table.DisableGC = &DisableGc;
}

void FakeJvmpi::Reset() {
    s_jlThreadCpuTime = 0;
    s_iEnableCalls = 0;
    s_iDisableCalls = 0;
}

FakeJavaVm::FakeJavaVm(JVMPI_Interface* pOffered) : m_pOffered(pOffered) {
    m_table.GetEnv = &GetEnv;
    m_vm.functions = &m_table;
}

jint JNICALL FakeJavaVm::GetEnv(JavaVM* pVm, void** ppEnv, jint jiVersion) {
    auto* pSelf = reinterpret_cast<FakeJavaVm*>(pVm);
    pSelf->m_jiRequested = jiVersion;
    if (jiVersion != JVMPI_VERSION_1 || pSelf->m_pOffered == nullptr) {
        *ppEnv = nullptr;
        return JNI_EVERSION;
    }
    *ppEnv = pSelf->m_pOffered;
    return JNI_OK;
}

FakeEnv::FakeEnv() {
    m_table.NewStringUTF = &NewStringUTF;
    m_table.GetStringUTFChars = &GetStringUTFChars;
    m_table.ReleaseStringUTFChars = &ReleaseStringUTFChars;
    m_table.ExceptionCheck = &ExceptionCheck;
    m_table.ExceptionClear = &ExceptionClear;
    m_table.PushLocalFrame = &PushLocalFrame;
    m_table.PopLocalFrame = &PopLocalFrame;
    m_table.FindClass = &FindClass;
    m_table.GetStringLength = &GetStringLength;
    m_table.GetStringUTFRegion = &GetStringUTFRegion;
    m_link.env.functions = &m_table;
    m_link.pSelf = this;
}

jstring FakeEnv::NewString(const std::string& text) {
    m_strings.push_back(text);
    return reinterpret_cast<jstring>(&m_strings.back());
}

std::string FakeEnv::TextOf(jstring jstr) const {
    if (jstr == nullptr) return "<null>";
    return *reinterpret_cast<const std::string*>(jstr);
}

jstring JNICALL FakeEnv::NewStringUTF(JNIEnv* pEnv, const char* pUtf) { return Self(pEnv)->NewString(pUtf); }

const char* JNICALL FakeEnv::GetStringUTFChars(JNIEnv* pEnv, jstring jstr, jboolean* pIsCopy) {
    FakeEnv* pSelf = Self(pEnv);
    if (pIsCopy != nullptr) *pIsCopy = JNI_FALSE;
    if (pSelf->failGetStringUtfChars) {
        pSelf->exceptionPending = true;  // the JVM throws OutOfMemoryError
        ++pSelf->exceptionsRaised;
        return nullptr;
    }
    ++pSelf->utfCharsHeld;
    return reinterpret_cast<const std::string*>(jstr)->c_str();
}

void JNICALL FakeEnv::ReleaseStringUTFChars(JNIEnv* pEnv, jstring, const char*) { --Self(pEnv)->utfCharsHeld; }

jboolean JNICALL FakeEnv::ExceptionCheck(JNIEnv* pEnv) { return Self(pEnv)->exceptionPending ? JNI_TRUE : JNI_FALSE; }

void JNICALL FakeEnv::ExceptionClear(JNIEnv* pEnv) { Self(pEnv)->exceptionPending = false; }

jint JNICALL FakeEnv::PushLocalFrame(JNIEnv*, jint) { return 0; }

jobject JNICALL FakeEnv::PopLocalFrame(JNIEnv*, jobject) { return nullptr; }

// No Java classes in this JVM: lookups fail with NoClassDefFoundError, as in a JVM
// started without the management modules.
jclass JNICALL FakeEnv::FindClass(JNIEnv* pEnv, const char*) {
    Self(pEnv)->exceptionPending = true;
    ++Self(pEnv)->exceptionsRaised;
    return nullptr;
}

// Strings here hold ASCII text, one byte per UTF-16 unit.
jsize JNICALL FakeEnv::GetStringLength(JNIEnv*, jstring jstr) {
    return static_cast<jsize>(reinterpret_cast<const std::string*>(jstr)->size());
}

void JNICALL FakeEnv::GetStringUTFRegion(JNIEnv* pEnv, jstring jstr, jsize jiStart, jsize jiLength, char* pBuf) {
    FakeEnv* pSelf = Self(pEnv);
    if (pSelf->failGetStringUtfRegion) {
        pSelf->exceptionPending = true;  // the JVM throws StringIndexOutOfBoundsException
        ++pSelf->exceptionsRaised;
        return;
    }
    const std::string& text = *reinterpret_cast<const std::string*>(jstr);
    const std::string slice = text.substr(static_cast<std::size_t>(jiStart), static_cast<std::size_t>(jiLength));
    const std::string bytes = pSelf->wideUtf ? ModifiedUtf8Of(slice) : slice;
    bytes.copy(pBuf, bytes.size());
    pBuf[bytes.size()] = '\0';
}

std::string ModifiedUtf8Of(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto uUnit = static_cast<unsigned char>(c);
        if (uUnit != 0 && uUnit < 0x80) {
            out += c;
        } else if (uUnit < 0xF0) {
            out += static_cast<char>(0xC0 | (uUnit >> 6));
            out += static_cast<char>(0x80 | (uUnit & 0x3F));
        } else {
            const unsigned uWide = 0x0800u | uUnit;
            out += static_cast<char>(0xE0 | (uWide >> 12));
            out += static_cast<char>(0x80 | ((uWide >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (uWide & 0x3F));
        }
    }
    return out;
}

}  // namespace corvane::test
