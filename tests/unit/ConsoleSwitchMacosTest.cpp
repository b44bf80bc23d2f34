// The macOS console switch: descriptor 2 is pointed at the capture file, descriptor 1 only
// when that fails; each is restored from its own copy and both copies are closed.
//
// Descriptors 1 and 2 point at two different files during these tests, so that restoring
// one from the other's copy would show.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "capture/ConsoleSwitch.h"
#include "tests/fakes/Descriptors.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/ScriptedDump.h"
#include "tests/fakes/TempDir.h"

namespace {

using corvane::g_os;
using corvane::capture::ConsoleSwitch;
using corvane::test::FakeEnv;
using corvane::test::FileId;
using corvane::test::FileOf;
using corvane::test::LowestFreeDescriptor;
using corvane::test::OsSeamScope;
using corvane::test::ScriptedDump;
using corvane::test::TempDir;

int FailWith(int iErrno) {
    errno = iErrno;
    return -1;
}

class MacConsole : public ::testing::Test {
protected:
    void SetUp() override {
        std::fflush(stdout);
        std::fflush(stderr);
        m_iSaved1 = ::dup(1);
        m_iSaved2 = ::dup(2);
        m_iOut = Scratch();
        m_iErr = Scratch();
        m_iFile = Scratch();
        ::dup2(m_iOut, 1);
        ::dup2(m_iErr, 2);
        m_out = FileOf(m_iOut);
        m_err = FileOf(m_iErr);
        m_file = FileOf(m_iFile);
        m_iFreeBefore = LowestFreeDescriptor();
    }

    void TearDown() override {
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_iSaved1, 1);
        ::dup2(m_iSaved2, 2);
        // What the test printed meanwhile (GoogleTest's messages) goes to the real console.
        char aBuf[4096];
        ::lseek(m_iOut, 0, SEEK_SET);
        for (ssize_t n; (n = ::read(m_iOut, aBuf, sizeof aBuf)) > 0;) {
            if (::write(1, aBuf, static_cast<std::size_t>(n)) != n) break;
        }
        for (int iFd : {m_iSaved1, m_iSaved2, m_iOut, m_iErr, m_iFile}) ::close(iFd);
    }

    static int Scratch() {
        char aPath[] = "/tmp/corvane-console-XXXXXX";
        const int iFd = ::mkstemp(aPath);
        ::unlink(aPath);
        return iFd;
    }

    void ExpectConsolesAsBefore() {
        EXPECT_EQ(m_out, FileOf(1)) << "descriptor 1 is back on its own file";
        EXPECT_EQ(m_err, FileOf(2)) << "descriptor 2 is back on its own file";
    }
    void ExpectNothingLeftOpen() { EXPECT_EQ(m_iFreeBefore, LowestFreeDescriptor()); }

    OsSeamScope m_seam;
    int m_iSaved1 = -1, m_iSaved2 = -1, m_iOut = -1, m_iErr = -1, m_iFile = -1;
    FileId m_out, m_err, m_file;
    int m_iFreeBefore = -1;
};

TEST_F(MacConsole, SwitchesDescriptor2AndRestoresItFromItsOwnCopy) {
    {
        ConsoleSwitch console;
        ASSERT_TRUE(console.Save());
        ASSERT_TRUE(console.Switch(m_iFile));
        EXPECT_EQ(m_file, FileOf(2));
        EXPECT_EQ(m_out, FileOf(1)) << "descriptor 1 stays on the console";
        console.Restore();
        ExpectConsolesAsBefore();
        console.Close();
        ExpectNothingLeftOpen();
    }
    ExpectNothingLeftOpen();
}

TEST_F(MacConsole, FallsBackToDescriptor1AndPutsItBack) {
    g_os.dup2 = [](int iFrom, int iTo) { return iTo == 2 ? FailWith(EBUSY) : ::dup2(iFrom, iTo); };
    ConsoleSwitch console;
    ASSERT_TRUE(console.Save());
    ASSERT_TRUE(console.Switch(m_iFile));
    EXPECT_EQ(m_file, FileOf(1));
    EXPECT_EQ(m_err, FileOf(2));
    console.Restore();
    ExpectConsolesAsBefore();
    console.Close();
    ExpectNothingLeftOpen();
}

TEST_F(MacConsole, WithoutACopyOfDescriptor2Switches1) {
    g_os.dup = [](int iFd) { return iFd == 2 ? FailWith(EMFILE) : ::fcntl(iFd, F_DUPFD_CLOEXEC, 0); };
    ConsoleSwitch console;
    ASSERT_TRUE(console.Save());
    ASSERT_TRUE(console.Switch(m_iFile));
    EXPECT_EQ(m_file, FileOf(1));
    EXPECT_EQ(m_err, FileOf(2)) << "a descriptor without a copy is never switched";
    console.Restore();
    ExpectConsolesAsBefore();
    console.Close();
    ExpectNothingLeftOpen();
}

TEST_F(MacConsole, NeitherSwitchingFailsAndClosesBothCopies) {
    g_os.dup2 = [](int, int) { return FailWith(EBADF); };
    ConsoleSwitch console;
    ASSERT_TRUE(console.Save());
    EXPECT_FALSE(console.Switch(m_iFile));
    console.Close();
    ExpectConsolesAsBefore();
    ExpectNothingLeftOpen();
}

TEST_F(MacConsole, FailedCopyOfDescriptor1FailsTheSaveAndLeaksNothing) {
    g_os.dup = [](int iFd) { return iFd == 1 ? FailWith(EMFILE) : ::fcntl(iFd, F_DUPFD_CLOEXEC, 0); };
    {
        ConsoleSwitch console;
        EXPECT_FALSE(console.Save());
    }
    ExpectNothingLeftOpen();
}

TEST_F(MacConsole, RestoreTriesThreeTimes) {
    static int s_iFailuresLeft;
    s_iFailuresLeft = 2;
    ConsoleSwitch console;
    ASSERT_TRUE(console.Save());
    ASSERT_TRUE(console.Switch(m_iFile));
    g_os.dup2 = [](int iFrom, int iTo) {
        return s_iFailuresLeft-- > 0 ? FailWith(EINTR) : ::dup2(iFrom, iTo);
    };
    console.Restore();
    ExpectConsolesAsBefore();
    console.Close();
    ExpectNothingLeftOpen();
}

struct CaptureCase {
    const char* name;
    bool failSwitchOf2;
    int printTo;  // where the stand-in JVM prints: the descriptor the build switched
};
void PrintTo(const CaptureCase& c, std::ostream* pOut) { *pOut << c.name; }

class MacCapture : public MacConsole, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(MacCapture, CapturesWhatIsPrintedToTheSwitchedDescriptor) {
    if (GetParam().failSwitchOf2) {
        g_os.dup2 = [](int iFrom, int iTo) {
            // Only the switch onto 2 fails; restores of 1 and the test's own calls pass.
            return iTo == 2 && iFrom > 2 ? FailWith(EBUSY) : ::dup2(iFrom, iTo);
        };
    }
    TempDir dir;
    FakeEnv env;
    ScriptedDump dump("\"main\" #1\n", GetParam().printTo);
    const jstring jstrResult = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
        env.env(), nullptr, env.NewString(dir.path() + "/"));
    EXPECT_EQ("\"main\" #1\n", env.TextOf(jstrResult));
    EXPECT_EQ(1, dump.calls());
    ExpectConsolesAsBefore();
    ExpectNothingLeftOpen();
    EXPECT_TRUE(dir.Entries().empty()) << "the capture file is deleted";
}

INSTANTIATE_TEST_SUITE_P(Table, MacCapture,
                         ::testing::Values(CaptureCase{"descriptor_2", false, 2},
                                           CaptureCase{"fallback_descriptor_1", true, 1}),
                         [](const ::testing::TestParamInfo<CaptureCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
