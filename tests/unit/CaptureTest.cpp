// The capture natives driven through a stand-in JVM print and the operating-system seam.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bridge/Corvane.h"
#include "bridge/JvmHost.h"
#include "bridge/OsSeam.h"
#include "capture/Capture.h"
#include "capture/CaptureTexts.h"
#include "capture/WriterWait.h"
#include "tests/fakes/Descriptors.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/StdoutCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using namespace corvane::capture;
using corvane::g_os;
using corvane::test::FakeEnv;
using corvane::test::FileId;
using corvane::test::FileOf;
using corvane::test::OsSeamScope;
using corvane::test::StdoutCapture;
using corvane::test::TempDir;

constexpr const char* kDump = "\"main\" #1 prio=5\n   java.lang.Thread.State: RUNNABLE\n\tat Demo.main(Demo.java:3)\n";

// What the stand-in JVM print writes, and how often it ran.
std::string g_printText = kDump;
std::atomic<int> g_prints{0};

bool StandInPrint(JNIEnv*, int iConsoleFd, corvane::jvm::PrintedText* = nullptr) {
    ++g_prints;
    const char* p = g_printText.data();
    std::size_t uLeft = g_printText.size();
    while (uLeft > 0) {
        const ssize_t n = ::write(iConsoleFd, p, uLeft);
        if (n <= 0) return false;
        p += n;
        uLeft -= static_cast<std::size_t>(n);
    }
    return true;
}

int OpenDescriptors() {
    int iCount = 0;
    if (DIR* pDir = ::opendir("/proc/self/fd")) {
        while (dirent* pEntry = ::readdir(pDir)) iCount += pEntry->d_name[0] != '.';
        ::closedir(pDir);
    }
    return iCount - 1;  // the directory stream's own descriptor
}

FileId StdoutTarget() { return FileOf(1); }

// Counts calls of an entry and fails those whose number (from 1) is in the set.
template <int Tag>
struct Failing {
    static std::set<int> s_fail;
    static int s_calls;
    static void Reset(std::set<int> fail) {
        s_fail = std::move(fail);
        s_calls = 0;
    }
    static bool Next() { return s_fail.count(++s_calls) != 0; }
};
template <int Tag>
std::set<int> Failing<Tag>::s_fail;
template <int Tag>
int Failing<Tag>::s_calls;

// Captures keep one watch instance for writers for the life of the process (see
// WriterWait.h); it is made before any test counts descriptors.
class WriterWaitsReady : public ::testing::Environment {
public:
    void SetUp() override {
        std::lock_guard<std::mutex> lock(CaptureLock());
        corvane::capture::PrepareWriterWaits();
    }
};
const ::testing::Environment* const g_writerWaitsReady = ::testing::AddGlobalTestEnvironment(new WriterWaitsReady);

class Capture : public ::testing::Test {
protected:
    void SetUp() override {
        g_printText = kDump;
        g_prints = 0;
        corvane::jvm::g_printAllStacks = &StandInPrint;
        m_iDescriptorsBefore = OpenDescriptors();
    }
    void TearDown() override {
        corvane::jvm::g_printAllStacks = m_savedPrint;
        EXPECT_EQ(m_iDescriptorsBefore, OpenDescriptors()) << "a descriptor was leaked";
        EXPECT_TRUE(m_dir.Entries().empty()) << "a capture file remained";
        EXPECT_EQ(0, m_env.utfCharsHeld) << "the directory text was not given back";
        EXPECT_FALSE(m_env.exceptionPending) << "a Java exception was left pending";
    }

    // One capture into m_dir (or another directory), with the console collected.
    std::string CaptureIn(const std::string& dir) {
        StdoutCapture console;
        const FileId before = StdoutTarget();
        jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
            m_env.env(), nullptr, m_env.NewString(dir));
        m_bConsoleRestored = StdoutTarget() == before;
        m_console = console.Stop();
        return m_env.TextOf(jstr);
    }
    std::string CaptureHere() { return CaptureIn(m_dir.path()); }

    OsSeamScope m_seam;
    TempDir m_dir;
    FakeEnv m_env;
    std::string m_console;
    bool m_bConsoleRestored = false;
    int m_iDescriptorsBefore = 0;
    corvane::jvm::PrintAllStacksFn m_savedPrint = corvane::jvm::g_printAllStacks;
};

TEST_F(Capture, ReturnsTheDumpAndLeavesNothingBehind) {
    EXPECT_EQ(kDump, CaptureHere());
    EXPECT_TRUE(m_bConsoleRestored);
    EXPECT_EQ("", m_console) << "nothing of the dump reaches the console";
    EXPECT_EQ(1, g_prints);
}

TEST_F(Capture, OutputBufferedBeforeTheCaptureGoesToTheConsoleNotTheDump) {
    StdoutCapture console;
    std::printf("buffered before\n");
    jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
        m_env.env(), nullptr, m_env.NewString(m_dir.path()));
    EXPECT_EQ(kDump, m_env.TextOf(jstr));
    EXPECT_EQ("buffered before\n", console.Stop());
}

TEST_F(Capture, NullDirectory) {
    StdoutCapture console;
    jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(m_env.env(), nullptr,
                                                                                            nullptr);
    EXPECT_EQ(kTempPathUndefined, m_env.TextOf(jstr));
    EXPECT_EQ("", console.Stop());
    EXPECT_EQ(0, g_prints);
}

TEST_F(Capture, DirectoryThatCannotBeConverted) {
    m_env.failGetStringUtfChars = true;
    EXPECT_EQ(kFailedToConvert, CaptureHere());
    EXPECT_EQ(0, g_prints);
}

// Rows that end before any capture file exists: the stacks are printed nowhere.
struct EarlyCase {
    const char* name;
    const char* generated;  // what the name generator answers (null: nothing)
    int errnoAfter;         // errno it leaves
    bool failPathBuffer;
    const char* expected;
};

void PrintTo(const EarlyCase& c, std::ostream* os) { *os << c.name; }

class CaptureBeforeAnyFile : public Capture, public ::testing::WithParamInterface<EarlyCase> {};

const EarlyCase* g_early;

TEST_P(CaptureBeforeAnyFile, AnswersItsTextAndPrintsNothing) {
    g_early = &GetParam();
    g_os.tmpnam = [](char*) -> char* {
        errno = g_early->errnoAfter;
        return const_cast<char*>(g_early->generated);
    };
    if (GetParam().failPathBuffer) g_os.malloc = [](std::size_t) -> void* { return nullptr; };
    EXPECT_EQ(GetParam().expected, CaptureIn(""));
    EXPECT_EQ(0, g_prints);
    EXPECT_EQ("", m_console);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptureBeforeAnyFile,
    ::testing::Values(EarlyCase{"names_exhausted", nullptr, EEXIST, false, kUnableToGenerateName},
                      EarlyCase{"exists_wins_over_a_name", "/tmp/fileAbc", EEXIST, false, kUnableToGenerateName},
                      EarlyCase{"no_name", nullptr, 0, false, kFailedToGenerateName},
                      EarlyCase{"no_name_other_errno", nullptr, ENOENT, false, kFailedToGenerateName},
                      EarlyCase{"path_of_three", "abc", 0, false, kPathLength},  // 3 + 1 = 4
                      EarlyCase{"path_of_none", "", 0, false, kPathLength},
                      EarlyCase{"no_path_buffer", "/tmp/fileAbc", 0, true, kNoPathMemory}),
    [](const ::testing::TestParamInfo<EarlyCase>& info) { return std::string(info.param.name); });

TEST_F(Capture, StaleExistsFromAnEarlierCallDoesNotFailTheCapture) {
    errno = EEXIST;
    EXPECT_EQ(kDump, CaptureHere());
}

// Rows from the capture file on: each prints the stacks to the console.
struct LateCase {
    const char* name;
    void (*inject)();
    const char* expected;
    int prints;  // stand-in prints in all: the capture's own and the console's
};

void PrintTo(const LateCase& c, std::ostream* os) { *os << c.name; }

class CaptureFailure : public Capture, public ::testing::WithParamInterface<LateCase> {};

TEST_P(CaptureFailure, AnswersItsTextAndSendsTheStacksToTheConsole) {
    GetParam().inject();
    EXPECT_EQ(GetParam().expected, CaptureHere());
    EXPECT_TRUE(m_bConsoleRestored);
    EXPECT_EQ(GetParam().prints, g_prints);
    EXPECT_EQ(kDump, m_console) << "the stacks reach the console exactly once";
}

using DupFail = Failing<1>;
using Dup2Fail = Failing<2>;
using OpenFail = Failing<3>;

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptureFailure,
    ::testing::Values(
        LateCase{"dup_fails",
                 [] { g_os.dup = [](int) { return -1; }; },
                 kDupFailed, 1},
        LateCase{"switch_fails",
                 [] {
                     Dup2Fail::Reset({1});
                     g_os.dup2 = [](int a, int b) { return Dup2Fail::Next() ? -1 : ::dup2(a, b); };
                 },
                 kSwitchFailed, 1},
        LateCase{"reopen_fails",
                 [] {
                     OpenFail::Reset({2});
                     g_os.open = [](const char* p, int f, unsigned m) { return OpenFail::Next() ? -1 : ::open(p, f, m); };
                 },
                 kFstatFailed, 2},
        LateCase{"fstat_fails",
                 [] { g_os.fstat = [](int, struct stat*) { return -1; }; },
                 kFstatFailed, 2},
        LateCase{"nothing_can_be_read",
                 [] { g_os.read = [](int, void*, std::size_t) -> long { return -1; }; },
                 kReadFailed, 2}),
    [](const ::testing::TestParamInfo<LateCase>& info) { return std::string(info.param.name); });

TEST_F(Capture, DirectoryThatDoesNotExistPrintsToTheUntouchedConsole) {
    EXPECT_EQ(kOpenFailed, CaptureIn(m_dir.File("missing")));
    EXPECT_EQ(kDump, m_console);
    EXPECT_EQ(1, g_prints);
}

TEST_F(Capture, EmptyCaptureFailsAndTheStacksGoToTheConsole) {
    int iPrint = 0;
    static int* s_pPrint;
    s_pPrint = &iPrint;
    // The JVM writes nothing during the capture, and the dump on the second print.
    corvane::jvm::g_printAllStacks = [](JNIEnv* pEnv, int iFd, corvane::jvm::PrintedText*) {
        return (*s_pPrint)++ > 0 ? StandInPrint(pEnv, iFd) : true;
    };
    EXPECT_EQ(kReadFailed, CaptureHere());
    EXPECT_EQ(2, iPrint);
    EXPECT_EQ(kDump, m_console);
}

TEST_F(Capture, NoReadBufferAnswersTheFallbackWithoutPrinting) {
    Failing<4>::Reset({2});  // the path buffer is the first allocation, the read buffer the second
    g_os.malloc = [](std::size_t u) { return Failing<4>::Next() ? nullptr : std::malloc(u); };
    EXPECT_EQ(kFallback, CaptureHere());
    EXPECT_EQ(1, g_prints);
    EXPECT_EQ("", m_console);
}

TEST_F(Capture, RestoreThatFailsTwiceIsRetried) {
    Dup2Fail::Reset({2, 3});  // the switch succeeds, two restores fail, the third works
    g_os.dup2 = [](int a, int b) { return Dup2Fail::Next() ? -1 : ::dup2(a, b); };
    EXPECT_EQ(kDump, CaptureHere());
    EXPECT_TRUE(m_bConsoleRestored);
    EXPECT_EQ(4, Dup2Fail::s_calls);
}

TEST_F(Capture, DumpThatDidNotReachTheFileWholeGoesToTheConsole) {
    // The print wrote part of the dump and then failed (a full disk).
    static int s_calls;
    s_calls = 0;
    corvane::jvm::g_printAllStacks = [](JNIEnv* pEnv, int iFd, corvane::jvm::PrintedText*) {
        if (s_calls++ > 0) return StandInPrint(pEnv, iFd);
        return ::write(iFd, "\"main\" #1", 10) < 0;
    };
    EXPECT_EQ(kFallback, CaptureHere());
    EXPECT_TRUE(m_bConsoleRestored);
    EXPECT_EQ(2, s_calls);
    EXPECT_EQ(kDump, m_console);
}

TEST_F(Capture, FullFileSystemMidDump) {
    // A 16 KiB file system, filled by a 64 KiB dump: needs root (mount) and skips without.
    TempDir mount;
    if (::geteuid() != 0 || std::system(("mount -t tmpfs -o size=16k tmpfs " + mount.path() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    g_printText = std::string(64 << 10, 'x');
    const std::string result = CaptureIn(mount.path());
    std::system(("umount " + mount.path()).c_str());
    EXPECT_EQ(kFallback, result);
    EXPECT_TRUE(m_bConsoleRestored);
    EXPECT_EQ(g_printText, m_console) << "the whole dump reaches the console";
}

// An in-memory print hands its text over; a capture file that holds exactly those bytes is
// answered with that text, without reading it back.
FakeEnv* g_printEnv;
std::string g_extraOutput;  // what another thread writes to descriptor 1 during the capture

bool InMemoryPrint(JNIEnv*, int iFd, corvane::jvm::PrintedText* pPrinted) {
    jstring jstrText = g_printEnv->NewString(g_printText);
    unsigned long long ullBytes = 0;
    if (corvane::jvm::WriteStringToConsole(g_printEnv->env(), jstrText, iFd, &ullBytes) !=
        corvane::jvm::PrintOutcome::kWhole)
        return false;
    if (!g_extraOutput.empty() && ::write(iFd, g_extraOutput.data(), g_extraOutput.size()) < 0) return false;
    if (pPrinted != nullptr) *pPrinted = {jstrText, ullBytes};
    return true;
}

class CaptureInMemory : public Capture {
protected:
    void SetUp() override {
        Capture::SetUp();
        g_printEnv = &m_env;
        g_extraOutput.clear();
        corvane::jvm::g_printAllStacks = &InMemoryPrint;
        s_reads = 0;
        g_os.read = [](int fd, void* p, std::size_t u) -> long {
            ++s_reads;
            return ::read(fd, p, u);
        };
    }
    static inline int s_reads = 0;
};

TEST_F(CaptureInMemory, FileHoldingExactlyThePrintIsNotReadBack) {
    g_printText = std::string(100000, 'y') + "\n" + kDump;  // several slices of the writer
    EXPECT_EQ(g_printText, CaptureHere());
    EXPECT_EQ(0, s_reads);
}

TEST_F(CaptureInMemory, OtherOutputDuringTheCaptureIsReadBackWithTheDump) {
    g_extraOutput = "line 7 from another thread\n";
    EXPECT_EQ(kDump + g_extraOutput, CaptureHere());
    EXPECT_GT(s_reads, 0);
}

TEST_F(CaptureInMemory, EmptyPrintFailsAsBefore) {
    g_printText.clear();
    EXPECT_EQ(kReadFailed, CaptureHere());
}

TEST_F(Capture, DirectoryWithCharactersBeyondTheBasicPlaneIsConverted) {
    // U+1F600 in modified UTF-8 (two encoded halves) names the directory "emoji-😀".
    const std::string utf8Dir = m_dir.File("emoji-\xF0\x9F\x98\x80");
    ASSERT_EQ(0, ::mkdir(utf8Dir.c_str(), 0700));
    const std::string modified = m_dir.File("emoji-\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(kDump, CaptureIn(modified + "/"));
    ::rmdir(utf8Dir.c_str());
}

TEST_F(Capture, DirectoryHoldingANulCharacterCannotBeConverted) {
    EXPECT_EQ(kFailedToConvert, CaptureIn(m_dir.path() + "/a\xC0\x80" "b"));
    EXPECT_EQ(0, g_prints);
}

TEST_F(Capture, ShortReadsAreCompleted) {
    g_printText = std::string(5000, 'x') + "\nend\n";
    g_os.read = [](int fd, void* p, std::size_t u) -> long { return ::read(fd, p, u < 7 ? u : 7); };
    EXPECT_EQ(g_printText, CaptureHere());
}

TEST_F(Capture, DumpIsCutAtAZeroByte) {
    g_printText = std::string("before\0after", 12);
    EXPECT_EQ("before", CaptureHere());
}

TEST_F(Capture, DirectoryWithTrailingSeparatorIsUsedUnchanged) {
    static std::string s_seen;
    g_os.open = [](const char* p, int f, unsigned m) {
        if (f & O_CREAT) s_seen = p;
        return ::open(p, f, m);
    };
    g_os.tmpnam = [](char*) -> char* { return const_cast<char*>("/tmp/fileQ1"); };
    EXPECT_EQ(kDump, CaptureIn(m_dir.path() + "/"));
    EXPECT_EQ(m_dir.path() + "//fileQ1", s_seen);
}

struct TailCase {
    const char* generated;
    const char* tail;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << c.generated; }

class CaptureName : public Capture, public ::testing::WithParamInterface<TailCase> {};

const TailCase* g_tail;

TEST_P(CaptureName, DirectoryIsFollowedByTheTailOfTheGeneratedName) {
    static std::string s_seen;
    g_tail = &GetParam();
    g_os.tmpnam = [](char*) -> char* { return const_cast<char*>(g_tail->generated); };
    g_os.open = [](const char* p, int f, unsigned m) {
        if (f & O_CREAT) s_seen = p;
        return ::open(p, f, m);
    };
    EXPECT_EQ(kDump, CaptureHere());
    EXPECT_EQ(m_dir.path() + GetParam().tail, s_seen);
}

INSTANTIATE_TEST_SUITE_P(Names, CaptureName,
                         ::testing::Values(TailCase{"/tmp/fileAb12", "/fileAb12"},
                                           TailCase{"/tmpfileX", "fileX"},  // only "/tmp" is compared
                                           TailCase{"/var/tmp/fileZ", "/fileZ"},
                                           TailCase{"/fileW", "/fileW"}));

TEST_F(Capture, PlantedLinkAtTheNameIsNeverFollowed) {
    TempDir elsewhere;
    elsewhere.Write("victim", "precious\n");
    ASSERT_EQ(0, ::symlink(elsewhere.File("victim").c_str(), m_dir.File("fileTaken").c_str()));
    static int s_calls;
    s_calls = 0;
    g_os.tmpnam = [](char*) -> char* { return const_cast<char*>(s_calls++ == 0 ? "/tmp/fileTaken" : "/tmp/fileFree"); };
    const std::string result = CaptureHere();
    ::unlink(m_dir.File("fileTaken").c_str());
    EXPECT_EQ(kDump, result);
    EXPECT_EQ(2, s_calls) << "a fresh name is generated for a taken one";
    FILE* pVictim = std::fopen(elsewhere.File("victim").c_str(), "r");
    char aText[32] = {};
    std::fgets(aText, sizeof aText, pVictim);
    std::fclose(pVictim);
    EXPECT_STREQ("precious\n", aText);
}

TEST_F(Capture, NameThatStaysTakenEndsAsAnOpenFailure) {
    m_dir.Write("fileTaken", "someone else's\n");
    g_os.tmpnam = [](char*) -> char* { return const_cast<char*>("/tmp/fileTaken"); };
    EXPECT_EQ(kOpenFailed, CaptureHere());
    EXPECT_EQ(kDump, m_console);
    ::unlink(m_dir.File("fileTaken").c_str());
}

TEST_F(Capture, CaptureFileIsPrivateToTheCallAndNotInherited) {
    static mode_t s_mode;
    static int s_flags;
    corvane::jvm::g_printAllStacks = [](JNIEnv* pEnv, int iFd, corvane::jvm::PrintedText*) {
        struct stat s {};
        ::fstat(iFd, &s);
        s_mode = s.st_mode & 0777;
        return StandInPrint(pEnv, iFd);
    };
    g_os.open = [](const char* p, int f, unsigned m) {
        if (f & O_CREAT) s_flags = f;
        return ::open(p, f, m);
    };
    const mode_t old = ::umask(022);
    EXPECT_EQ(kDump, CaptureHere());
    ::umask(old);
    EXPECT_EQ(0644u, s_mode);
    EXPECT_TRUE((s_flags & O_EXCL) && (s_flags & O_NOFOLLOW) && (s_flags & O_CLOEXEC));
}

TEST_F(Capture, WithoutAnyWayToPrintTheCaptureIsEmpty) {
    corvane::jvm::g_printAllStacks = m_savedPrint;  // the real print: no JVM in this process
    EXPECT_EQ(kReadFailed, CaptureHere());
    EXPECT_EQ("", m_console);
    EXPECT_GT(m_env.exceptionsRaised, 0) << "the class lookup was tried";
}

TEST_F(Capture, ConcurrentCapturesEachGetTheWholeDumpAndTheConsoleSurvives) {
    StdoutCapture console;
    const FileId before = StdoutTarget();
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            FakeEnv env;
            TempDir dir;
            for (int i = 0; i < 15; ++i) {
                jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
                    env.env(), nullptr, env.NewString(dir.path()));
                if (env.TextOf(jstr) != kDump) ++wrong;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_TRUE(StdoutTarget() == before);
    std::printf("after\n");
    EXPECT_EQ("after\n", console.Stop());
}

TEST_F(Capture, LinesPrintedDuringCapturesAreNeitherLostNorDoubled) {
    // A thread prints numbered lines straight to descriptor 1 while captures run. Each line
    // must end up once: on the console, or inside one capture.
    StdoutCapture console;
    std::atomic<bool> stop{false};
    std::atomic<int> printed{0};
    std::thread printer([&] {
        // Many lines per write, so that writes are long and often straddle a restore.
        std::string chunk;
        for (int i = 0; !stop && i < 1000000;) {
            chunk.clear();
            const int first = i;
            for (; i < first + 500; ++i) chunk += "line " + std::to_string(i) + "\n";
            if (::write(1, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) break;
            printed = i;
        }
    });
    std::string captured;
    for (int i = 0; i < 200; ++i) {
        jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(
            m_env.env(), nullptr, m_env.NewString(m_dir.path()));
        captured += m_env.TextOf(jstr);
    }
    stop = true;
    printer.join();
    const std::string all = console.Stop() + captured;
    std::vector<int> seen(static_cast<std::size_t>(printed.load()), 0);
    for (std::size_t pos = 0; (pos = all.find("line ", pos)) != std::string::npos; pos += 5) {
        const int n = std::atoi(all.c_str() + pos + 5);
        if (n >= 0 && n < printed) ++seen[static_cast<std::size_t>(n)];
    }
    int lost = 0, doubled = 0;
    for (int count : seen) {
        lost += count == 0;
        doubled += count > 1;
    }
    EXPECT_EQ(0, lost) << "of " << printed << " lines";
    EXPECT_EQ(0, doubled);
}

// The directory-less capture entry of the Solaris builds shares everything from the
// capture file on.
TEST_F(Capture, GeneratedNameEntryCapturesAndRemovesItsFile) {
    static std::string s_name;
    s_name = m_dir.File("fileG");
    g_os.tmpnam = [](char*) -> char* { return const_cast<char*>(s_name.c_str()); };
    StdoutCapture console;
    jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(m_env.env(), nullptr);
    EXPECT_EQ(kDump, m_env.TextOf(jstr));
    EXPECT_EQ("", console.Stop());
}

TEST_F(Capture, GeneratedNameEntryWithoutANamePrintsToTheConsole) {
    g_os.tmpnam = [](char*) -> char* { return nullptr; };
    StdoutCapture console;
    jstring jstr = Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDump(m_env.env(), nullptr);
    EXPECT_EQ(kOpenFailed, m_env.TextOf(jstr));
    EXPECT_EQ(kDump, console.Stop());
}

}  // namespace
