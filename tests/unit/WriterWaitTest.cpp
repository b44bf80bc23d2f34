// The wait for writers still holding a capture file: it ends when the last writing
// descriptor is closed, not before, and events an earlier wait left behind do not end it.
// Bounds are one-sided or far apart (a 10 s timeout against a 5 s bound), so a slow
// machine cannot fail them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "capture/Capture.h"
#include "capture/WriterWait.h"
#include "tests/fakes/Descriptors.h"
#include "tests/fakes/TempDir.h"

namespace {

using corvane::capture::CaptureLock;
using corvane::capture::WriterWait;
using corvane::test::TempDir;
using Clock = std::chrono::steady_clock;

long long MillisSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int CreateFile(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

// Creates a capture file at path whose second writer (as descriptor 1 would be while a
// write is in flight) closes 200 ms after the capture's own descriptor; answers how long
// the wait armed on it lasted, with a 10 s timeout.
long long WaitForALateWriter(const std::string& path) {
    const int iFd = CreateFile(path);
    const int iOtherWriter = ::dup(iFd);
    if (iFd < 0 || iOtherWriter < 0) {
        ADD_FAILURE() << "cannot create " << path;
        return -1;
    }
    WriterWait writers(path.c_str());
    ::close(iFd);
    std::thread late([iOtherWriter] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(iOtherWriter);
    });
    const auto start = Clock::now();
    writers.Wait(10000);
    const long long llWaited = MillisSince(start);
    late.join();
    return llWaited;
}

TEST(WriterWait, EndsWhenTheLastWriterClosesAndNotBefore) {
    std::lock_guard<std::mutex> lock(CaptureLock());
    TempDir dir;
    const long long llWaited = WaitForALateWriter(dir.File("capture"));
    EXPECT_GE(llWaited, 150) << "the wait ended while a writer still held the file";
    EXPECT_LT(llWaited, 5000) << "the wait missed the last close and ran to its timeout";
}

TEST(WriterWait, WhatAnEarlierWaitLeftBehindDoesNotEndTheNextOne) {
    std::lock_guard<std::mutex> lock(CaptureLock());
    TempDir dir;
    // A first wait that times out while a writer still holds its file; the writer closes
    // afterwards, so that file's events arrive after its wait has ended.
    const std::string first = dir.File("first");
    const int iFirst = CreateFile(first);
    ASSERT_GE(iFirst, 0);
    const int iFirstWriter = ::dup(iFirst);
    {
        WriterWait writers(first.c_str());
        ::close(iFirst);
        writers.Wait(20);
    }
    ::close(iFirstWriter);

    const long long llWaited = WaitForALateWriter(dir.File("second"));
    EXPECT_GE(llWaited, 150) << "an event of the first file ended the second wait";
    EXPECT_LT(llWaited, 5000);
}

TEST(WriterWait, KeepsOneInstanceForEveryWait) {
    std::lock_guard<std::mutex> lock(CaptureLock());
    corvane::capture::PrepareWriterWaits();
    TempDir dir;
    const int iFreeBefore = corvane::test::LowestFreeDescriptor();
    for (int i = 0; i < 50; ++i) {
        const std::string path = dir.File("capture-" + std::to_string(i));
        const int iFd = CreateFile(path);
        ASSERT_GE(iFd, 0);
        WriterWait writers(path.c_str());
        ::close(iFd);
        writers.Wait(10000);
        ::unlink(path.c_str());
    }
    EXPECT_EQ(iFreeBefore, corvane::test::LowestFreeDescriptor()) << "a wait kept a descriptor";
}

}  // namespace
