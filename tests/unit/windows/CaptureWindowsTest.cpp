// The Windows capture with a stand-in jvm.dll that prints a known dump through descriptor 1
// of the Universal CRT, as current JVMs do; this library itself runs on msvcrt.
#include <gtest/gtest.h>

#include <windows.h>
#include <io.h>

#include <string>
#include <vector>

#include "bridge/Corvane.h"
#include "bridge/JvmHost.h"
#include "bridge/JvmRuntime_windows.h"
#include "bridge/OsSeam.h"
#include "capture/CaptureTexts.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"

namespace corvane::jvm {
bool WriteToConsole(int iConsoleFd, const char* pText, std::size_t uLength);  // bridge/JvmHost_windows.cpp
}  // namespace corvane::jvm

namespace {

using corvane::test::FakeEnv;
using corvane::test::OsSeamScope;

// A scratch directory, removed with its files.
class ScratchDir {
public:
    ScratchDir() {
        char aBase[MAX_PATH];
        GetTempPathA(MAX_PATH, aBase);
        m_path = std::string(aBase) + "corvane-capture-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~ScratchDir() {
        for (const std::string& name : Entries()) DeleteFileA((m_path + "\\" + name).c_str());
        RemoveDirectoryA(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA sFound;
        const HANDLE hFind = FindFirstFileA((m_path + "\\*").c_str(), &sFound);
        if (hFind == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = sFound.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(hFind, &sFound));
        FindClose(hFind);
        return names;
    }

private:
    std::string m_path;
};

using SetDumpFn = void (*)(const char*);
using SetDuringDumpFn = void (*)(void (*)());
using DumpCallsFn = int (*)();
using WriteFn = int(__cdecl*)(int, const void*, unsigned int);
using OsHandleFn = intptr_t(__cdecl*)(int);

class WindowsCapture : public ::testing::Test {
protected:
    void SetUp() override {
        m_hJvm = LoadLibraryA("jvm.dll");
        ASSERT_NE(nullptr, m_hJvm) << "the stand-in jvm.dll lies beside the test program";
        m_setDump = reinterpret_cast<SetDumpFn>(reinterpret_cast<void*>(GetProcAddress(m_hJvm, "StandInSetDump")));
        m_dumpCalls = reinterpret_cast<DumpCallsFn>(reinterpret_cast<void*>(GetProcAddress(m_hJvm, "StandInDumpCalls")));
        const HMODULE hUcrt = GetModuleHandleA("ucrtbase.dll");
        ASSERT_NE(nullptr, hUcrt);
        m_ucrtWrite = reinterpret_cast<WriteFn>(reinterpret_cast<void*>(GetProcAddress(hUcrt, "_write")));
        m_ucrtOsHandle = reinterpret_cast<OsHandleFn>(reinterpret_cast<void*>(GetProcAddress(hUcrt, "_get_osfhandle")));
        m_setDuringDump = reinterpret_cast<SetDuringDumpFn>(
            reinterpret_cast<void*>(GetProcAddress(m_hJvm, "StandInSetDuringDump")));
        m_setDump(nullptr);
        m_setDuringDump(nullptr);
        m_iCallsBefore = m_dumpCalls();
    }
    int DumpsSinceSetUp() const { return m_dumpCalls() - m_iCallsBefore; }

    std::string Capture(const std::string& directory) {
        jstring jstrPath = m_env.NewString(directory);
        return m_env.TextOf(
            Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(m_env.env(), nullptr, jstrPath));
    }

    HMODULE m_hJvm = nullptr;
    SetDumpFn m_setDump = nullptr;
    SetDuringDumpFn m_setDuringDump = nullptr;
    DumpCallsFn m_dumpCalls = nullptr;
    WriteFn m_ucrtWrite = nullptr;
    OsHandleFn m_ucrtOsHandle = nullptr;
    int m_iCallsBefore = 0;
    FakeEnv m_env;
    ScratchDir m_dir;
};

TEST_F(WindowsCapture, TheJvmRuntimeIsTheUniversalCrt) {
    EXPECT_STREQ("ucrtbase.dll", corvane::jvm::ImportedCrt(m_hJvm));
    EXPECT_STREQ("ucrtbase.dll", corvane::jvm::JvmRuntime().pModule);
    EXPECT_STREQ("msvcrt.dll", corvane::jvm::ImportedCrt(GetModuleHandleA(nullptr)));
    EXPECT_NE(nullptr, corvane::jvm::FindDumpAllStacks());
}

TEST_F(WindowsCapture, CrLfComesBackAsLfAndTheFileIsGone) {
    static std::string s_created;
    s_created.clear();
    OsSeamScope seam;
    static decltype(corvane::g_os.open) s_realOpen = corvane::g_os.open;
    s_realOpen = corvane::g_os.open;
    corvane::g_os.open = [](const char* pPath, int iFlags, unsigned int uMode) {
        if (s_created.empty()) s_created = pPath;
        return s_realOpen(pPath, iFlags, uMode);
    };
    const std::string dump = Capture(m_dir.path());
    EXPECT_EQ("\"main\" #1 prio=5 runnable\n\tat Known.dump(Known.java:1)\n\nend of dump\n", dump);
    EXPECT_EQ(1, DumpsSinceSetUp());
    // The file lay directly in the directory under the runtime's generated name ("\s...").
    ASSERT_GT(s_created.size(), m_dir.path().size() + 2);
    EXPECT_EQ(m_dir.path() + "\\s", s_created.substr(0, m_dir.path().size() + 2));
    EXPECT_EQ(std::string::npos, s_created.find('\\', m_dir.path().size() + 1));
    EXPECT_TRUE(m_dir.Entries().empty());
}

TEST_F(WindowsCapture, TheConsoleHandleSurvivesForEveryRuntime) {
    const auto hStdOut = GetStdHandle(STD_OUTPUT_HANDLE);
    const auto hOurs = reinterpret_cast<HANDLE>(_get_osfhandle(1));
    ASSERT_EQ(hStdOut, hOurs);  // both runtimes and the process share one handle
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(std::string::npos, Capture(m_dir.path()).find("end of dump")) << i;
        DWORD dwFlags = 0;
        ASSERT_TRUE(GetHandleInformation(hStdOut, &dwFlags)) << "the shared handle was closed";
        EXPECT_EQ(0u, dwFlags & HANDLE_FLAG_PROTECT_FROM_CLOSE);
        EXPECT_EQ(hStdOut, GetStdHandle(STD_OUTPUT_HANDLE));
        EXPECT_EQ(hStdOut, reinterpret_cast<HANDLE>(_get_osfhandle(1)));
        // Both runtimes still write to the console, not into a capture file.
        EXPECT_EQ(1, _write(1, "\n", 1));
        EXPECT_EQ(1, m_ucrtWrite(1, "\n", 1));
    }
    EXPECT_TRUE(m_dir.Entries().empty());
}

// While the JVM's descriptor 1 points at the capture file, the process's standard output
// handle (which this library's runtime and Java's FileDescriptor.out write through) still
// refers to the console: nothing written there lands in the capture, and nothing is lost.
struct DuringDump {
    static inline HANDLE s_hStdOut = nullptr;
    static inline DWORD s_dwTypeBefore = 0;
    static inline DWORD s_dwTypeDuring = 0;
    static inline int s_iWritten = 0;
    static void Check() {
        s_dwTypeDuring = GetFileType(s_hStdOut);
        s_iWritten = _write(1, "other runtime\n", 14);
    }
};

TEST_F(WindowsCapture, OtherRuntimesKeepTheConsoleDuringTheDump) {
    DuringDump::s_hStdOut = GetStdHandle(STD_OUTPUT_HANDLE);
    DuringDump::s_dwTypeBefore = GetFileType(DuringDump::s_hStdOut);
    ASSERT_NE(static_cast<DWORD>(FILE_TYPE_DISK), DuringDump::s_dwTypeBefore) << "run with the console on a pipe";
    m_setDuringDump(&DuringDump::Check);
    const std::string dump = Capture(m_dir.path());
    EXPECT_EQ(std::string::npos, dump.find("other runtime"));
    EXPECT_NE(std::string::npos, dump.find("end of dump"));
    EXPECT_EQ(DuringDump::s_dwTypeBefore, DuringDump::s_dwTypeDuring);
    EXPECT_EQ(14, DuringDump::s_iWritten);
}

TEST_F(WindowsCapture, AnEmptyDumpFailsAndGoesToTheConsole) {
    m_setDump("");
    EXPECT_EQ(corvane::capture::kReadFailed, Capture(m_dir.path()));
    EXPECT_EQ(2, DumpsSinceSetUp());  // once into the file, once to the console
    EXPECT_TRUE(m_dir.Entries().empty());
}

TEST_F(WindowsCapture, AMissingDirectoryPrintsToTheConsole) {
    EXPECT_EQ(corvane::capture::kOpenFailed, Capture(m_dir.path() + "\\no\\such\\dir"));
    EXPECT_EQ(1, DumpsSinceSetUp());
}

TEST_F(WindowsCapture, DumpWithoutLineEndsOrWithLoneCarriageReturns) {
    m_setDump("a\rb\r\nc");
    EXPECT_EQ("a\rb\nc", Capture(m_dir.path()));
}

TEST_F(WindowsCapture, TheDiagnosticCommandPrintLandsInTheCaptureToo) {
    // A JVM without JVM_DumpAllStacks: the thread print the library writes itself goes
    // through the same descriptor of the JVM's runtime as the JVM's own print would.
    const corvane::jvm::PrintAllStacksFn saved = corvane::jvm::g_printAllStacks;
    corvane::jvm::g_printAllStacks = [](JNIEnv*, int iConsoleFd, corvane::jvm::PrintedText*) {
        const char aText[] = "\"worker\" #9\r\n\tat Printed.byTheLibrary\r\n";
        return corvane::jvm::WriteToConsole(iConsoleFd, aText, sizeof aText - 1);
    };
    const std::string dump = Capture(m_dir.path());
    corvane::jvm::g_printAllStacks = saved;
    EXPECT_EQ("\"worker\" #9\n\tat Printed.byTheLibrary\n", dump);
    EXPECT_EQ(0, DumpsSinceSetUp());
    EXPECT_TRUE(m_dir.Entries().empty());
}

TEST(WindowsCaptureNoJvm, NoJvmLibraryNoDumpFunctionAndOurOwnRuntime) {
    if (GetModuleHandleA("jvm.dll") != nullptr) GTEST_SKIP() << "a jvm.dll is loaded in this process";
    EXPECT_EQ(nullptr, corvane::jvm::FindDumpAllStacks());
    EXPECT_STREQ("msvcrt.dll", corvane::jvm::JvmRuntime().pModule);
}

TEST(WindowsFlush, DoFlushallWritesOutEveryBufferedStream) {
    char aPath[MAX_PATH];
    GetTempPathA(MAX_PATH, aPath);
    const std::string path = std::string(aPath) + "corvane-flush-" + std::to_string(GetCurrentProcessId());
    FILE* pFile = std::fopen(path.c_str(), "w");
    ASSERT_NE(nullptr, pFile);
    std::fputs("buffered", pFile);
    doFlushall();
    FILE* pReader = std::fopen(path.c_str(), "r");
    char aText[16] = {};
    std::fgets(aText, sizeof aText, pReader);
    std::fclose(pReader);
    std::fclose(pFile);
    DeleteFileA(path.c_str());
    EXPECT_STREQ("buffered", aText);
}

}  // namespace
