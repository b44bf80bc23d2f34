// The writer that puts the diagnostic command's thread print (a Java string) on the console
// descriptor: the bytes it writes, across the refills of its buffer, and its failures.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "bridge/JvmHost.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/TempDir.h"

namespace {

using corvane::jvm::PrintOutcome;
using corvane::jvm::WriteStringToConsole;
using corvane::test::FakeEnv;
using corvane::test::TempDir;

enum class Units { kAscii, kSomeTwoBytes, kAllThreeBytes };

// A text of n dump-like characters. Under FakeEnv::wideUtf, kSomeTwoBytes makes every
// seventh character take two bytes and kAllThreeBytes every character three, the most a
// UTF-16 unit can take.
std::string Text(std::size_t n, Units units) {
    if (units == Units::kAllThreeBytes) return std::string(n, '\xFF');
    const std::string line = "\tat com.example.Worker.step(Worker.java:42)\n";
    std::string text;
    text.reserve(n);
    for (std::size_t i = 0; i < n; ++i) text += units == Units::kSomeTwoBytes && i % 7 == 3 ? '\xE9' : line[i % line.size()];
    return text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WriterCase {
    const char* name;
    std::size_t chars;
    Units units;
};

void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

class ThreadPrintWriter : public ::testing::TestWithParam<WriterCase> {};

TEST_P(ThreadPrintWriter, WritesTheWholeTextInModifiedUtf8AndCountsItsBytes) {
    const WriterCase& c = GetParam();
    FakeEnv env;
    env.wideUtf = true;
    TempDir dir;
    const std::string path = dir.File("out");
    const int iFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(iFd, 0);
    const std::string text = Text(c.chars, c.units);
    unsigned long long ullBytes = 0;
    EXPECT_EQ(PrintOutcome::kWhole, WriteStringToConsole(env.env(), env.NewString(text), iFd, &ullBytes));
    ::close(iFd);
    const std::string expected = corvane::test::ModifiedUtf8Of(text);
    const std::string written = ReadFile(path);
    EXPECT_EQ(expected.size(), written.size());
    EXPECT_TRUE(expected == written) << "the bytes differ from the text's modified UTF-8";
    EXPECT_EQ(expected.size(), ullBytes);
    EXPECT_FALSE(env.exceptionPending);
}

// The buffer holds 64 KiB; a slice asks for at most a third of the room left.
INSTANTIATE_TEST_SUITE_P(
    Table, ThreadPrintWriter,
    ::testing::Values(WriterCase{"empty", 0, Units::kAscii}, WriterCase{"one_character", 1, Units::kAscii},
                      WriterCase{"one_full_first_slice", 21845, Units::kAscii},
                      WriterCase{"one_more_than_the_first_slice", 21846, Units::kAscii},
                      WriterCase{"about_one_buffer", 65535, Units::kAscii},
                      WriterCase{"a_megabyte", 1 << 20, Units::kAscii},
                      WriterCase{"some_two_byte_units", 40000, Units::kSomeTwoBytes},
                      WriterCase{"a_megabyte_some_two_byte_units", 1 << 20, Units::kSomeTwoBytes},
                      WriterCase{"three_byte_units_filling_each_slice", 200000, Units::kAllThreeBytes}),
    [](const ::testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.name); });

TEST(ThreadPrintWriterFailures, AFailedWriteIsAShortPrint) {
    FakeEnv env;
    const int iFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);  // every write fails
    ASSERT_GE(iFd, 0);
    unsigned long long ullBytes = 0;
    EXPECT_EQ(PrintOutcome::kShort, WriteStringToConsole(env.env(), env.NewString(Text(200000, Units::kAscii)), iFd, &ullBytes));
    ::close(iFd);
    EXPECT_EQ(0u, ullBytes);
}

TEST(ThreadPrintWriterFailures, AnExceptionWhileConvertingIsAShortPrintAndIsCleared) {
    FakeEnv env;
    env.failGetStringUtfRegion = true;
    TempDir dir;
    const int iFd = ::open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(iFd, 0);
    unsigned long long ullBytes = 0;
    EXPECT_EQ(PrintOutcome::kShort, WriteStringToConsole(env.env(), env.NewString("text"), iFd, &ullBytes));
    ::close(iFd);
    EXPECT_EQ(1, env.exceptionsRaised);
    EXPECT_FALSE(env.exceptionPending);
    EXPECT_EQ("", ReadFile(dir.File("out")));
}

}  // namespace
