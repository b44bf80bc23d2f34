// NativeManager.nativeRequestStackDump, the capture at a generated name (Solaris builds):
// every row of its outcome table, each also checked for what it must leave behind: no file
// at the generated name, descriptor 1 back on its own file, no descriptor left open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "capture/CaptureTexts.h"
#include "tests/fakes/Descriptors.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/ScriptedDump.h"
#include "tests/fakes/StdoutCapture.h"

namespace {

namespace texts = corvane::capture;
using corvane::g_os;
using corvane::test::FakeEnv;
using corvane::test::FileOf;
using corvane::test::LowestFreeDescriptor;
using corvane::test::OsSeamScope;
using corvane::test::ScriptedDump;
using corvane::test::StdoutCapture;

constexpr const char* kDump = "\"main\" #1 prio=5\n\tat Busy.spin(Busy.java:7)\n";

// Every name the library was given by tmpnam during a test.
std::vector<std::string> g_names;

char* RecordingTmpnam(char* pBuf) {
    char* pName = std::tmpnam(pBuf);
    if (pName != nullptr) g_names.emplace_back(pName);
    return pName;
}

int FailWith(int iErrno) {
    errno = iErrno;
    return -1;
}

struct Row {
    const char* name;
    void (*arrange)(ScriptedDump& dump);
    const char* expected;  // null: the dump itself
    int prints;            // calls of the JVM's print
    bool onConsole;        // the (last) print went to the console
};
void PrintTo(const Row& c, std::ostream* pOut) { *pOut << c.name; }

class GeneratedDump : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        g_names.clear();
        g_os.tmpnam = &RecordingTmpnam;
    }
    OsSeamScope m_seam;
    FakeEnv m_env;
};

TEST_P(GeneratedDump, AnswersAndCleansUp) {
    const Row& row = GetParam();
    ScriptedDump dump(kDump);
    row.arrange(dump);
    const int iFreeBefore = LowestFreeDescriptor();

    StdoutCapture console;
    const auto stdoutBefore = FileOf(1);
    const jstring jstrResult =
        Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(m_env.env(), nullptr);
    const auto stdoutAfter = FileOf(1);
    const std::string consoleText = console.Stop();

    EXPECT_EQ(row.expected != nullptr ? row.expected : kDump, m_env.TextOf(jstrResult));
    EXPECT_EQ(row.prints, dump.calls());
    EXPECT_EQ(row.onConsole ? kDump : "", consoleText);
    EXPECT_EQ(stdoutBefore, stdoutAfter) << "descriptor 1 is back on its own file";
    EXPECT_EQ(iFreeBefore, LowestFreeDescriptor()) << "every descriptor the call opened is closed";
    for (const std::string& name : g_names) {
        EXPECT_NE(0, ::access(name.c_str(), F_OK)) << "capture file left at " << name;
    }
    EXPECT_FALSE(m_env.exceptionPending);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, GeneratedDump,
    ::testing::Values(
        Row{"success", [](ScriptedDump&) {}, nullptr, 1, false},
        Row{"no_name_generated", [](ScriptedDump&) { g_os.tmpnam = [](char*) -> char* { return nullptr; }; },
            texts::kOpenFailed, 1, true},
        Row{"open_fails",
            [](ScriptedDump&) {
                g_os.open = [](const char*, int, unsigned int) { return FailWith(EACCES); };
            },
            texts::kOpenFailed, 1, true},
        Row{"dup_fails", [](ScriptedDump&) { g_os.dup = [](int) { return FailWith(EMFILE); }; },
            texts::kDupFailed, 1, true},
        Row{"switch_fails", [](ScriptedDump&) { g_os.dup2 = [](int, int) { return FailWith(EBADF); }; },
            texts::kSwitchFailed, 1, true},
        Row{"reopen_fails",
            [](ScriptedDump&) {
                g_os.open = [](const char* pPath, int iFlags, unsigned int uMode) {
                    if ((iFlags & O_CREAT) == 0) return FailWith(ENOENT);
                    return ::open(pPath, iFlags, static_cast<mode_t>(uMode));
                };
            },
            texts::kFstatFailed, 2, true},
        Row{"fstat_fails",
            [](ScriptedDump&) { g_os.fstat = [](int, struct stat*) { return FailWith(EIO); }; },
            texts::kFstatFailed, 2, true},
        Row{"empty_capture", [](ScriptedDump& dump) { dump.FirstPrintEmpty(); }, texts::kReadFailed, 2, true},
        Row{"no_read_buffer",
            [](ScriptedDump&) { g_os.malloc = [](std::size_t) -> void* { return nullptr; }; },
            texts::kFallback, 1, false}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(GeneratedDumpFile, IsTheGeneratedNameCreatedExclusivelyWithMode0666) {
    OsSeamScope seam;
    static std::string s_name;
    static int s_iCreateFlags;
    static unsigned int s_uMode;
    s_name.clear();
    s_iCreateFlags = 0;
    g_os.tmpnam = [](char* pBuf) {
        char* pName = std::tmpnam(pBuf);
        s_name = pName != nullptr ? pName : "";
        return pName;
    };
    g_os.open = [](const char* pPath, int iFlags, unsigned int uMode) {
        if ((iFlags & O_CREAT) != 0) {
            EXPECT_EQ(s_name, pPath) << "the generated name is used unchanged";
            s_iCreateFlags = iFlags;
            s_uMode = uMode;
        }
        return ::open(pPath, iFlags, static_cast<mode_t>(uMode));
    };
    ScriptedDump dump(kDump);
    FakeEnv env;
    StdoutCapture console;
    EXPECT_EQ(kDump, env.TextOf(Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(
                         env.env(), nullptr)));
    EXPECT_EQ(O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW,
              s_iCreateFlags & (O_ACCMODE | O_CREAT | O_EXCL | O_NOFOLLOW | O_TRUNC));
    EXPECT_EQ(0666u, s_uMode);
}

}  // namespace
