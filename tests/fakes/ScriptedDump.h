// A stand-in for the JVM's print of all stacks: each call writes a set text to a set
// descriptor (the console descriptor of the build) and is counted. The real print is put
// back when the scope ends.
#pragma once

#include <unistd.h>

#include <string>

#include "bridge/JvmHost.h"

namespace corvane::test {

class ScriptedDump {
public:
    explicit ScriptedDump(std::string text, int iFd = 1) : m_saved(jvm::g_printAllStacks) {
        s_text = std::move(text);
        s_iFd = iFd;
        s_iCalls = 0;
        s_bFirstEmpty = false;
        jvm::g_printAllStacks = &Print;
    }
    ~ScriptedDump() { jvm::g_printAllStacks = m_saved; }
    ScriptedDump(const ScriptedDump&) = delete;
    ScriptedDump& operator=(const ScriptedDump&) = delete;

    // The first print writes nothing (a JVM whose dump never reaches the descriptor).
    void FirstPrintEmpty() { s_bFirstEmpty = true; }
    int calls() const { return s_iCalls; }
    const std::string& text() const { return s_text; }

private:
    // Writes where this JVM prints (s_iFd), whatever descriptor the library names.
    static bool Print(JNIEnv* /*pEnv*/, int /*iConsoleFd*/, jvm::PrintedText* /*pPrinted*/) {
        ++s_iCalls;
        if (s_iCalls == 1 && s_bFirstEmpty) return true;
        std::size_t uDone = 0;
        while (uDone < s_text.size()) {
            const ssize_t iWritten = ::write(s_iFd, s_text.data() + uDone, s_text.size() - uDone);
            if (iWritten <= 0) return false;
            uDone += static_cast<std::size_t>(iWritten);
        }
        return true;
    }

    jvm::PrintAllStacksFn m_saved;
    static inline std::string s_text;
    static inline int s_iFd = 1;
    static inline int s_iCalls = 0;
    static inline bool s_bFirstEmpty = false;
};

}  // namespace corvane::test
