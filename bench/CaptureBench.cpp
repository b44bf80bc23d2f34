// One capture with a stand-in JVM print of a given size: the capture's own cost (file,
// switch, read-back, string) on top of writing the dump.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "bridge/Corvane.h"
#include "bridge/JvmHost.h"
#include "tests/fakes/FakeJni.h"

namespace {

std::string g_dump;

bool WriteDump(JNIEnv*, int, corvane::jvm::PrintedText*) {
    const char* p = g_dump.data();
    std::size_t uLeft = g_dump.size();
    while (uLeft > 0) {
        const ssize_t n = ::write(1, p, uLeft);
        if (n <= 0) return false;
        p += n;
        uLeft -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string MakeDump(std::size_t uBytes) {
    std::string dump;
    while (dump.size() < uBytes) dump += "\tat com.example.Worker.step(Worker.java:42)\n";
    return dump;
}

// The dump written alone, to a file: what producing the text costs without the capture.
void BM_DumpWrittenToAFile(benchmark::State& state) {
    g_dump = MakeDump(static_cast<std::size_t>(state.range(0)));
    const int fd = ::open("/tmp/corvane-bench-dump", O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    for (auto _ : state) {
        ::lseek(fd, 0, SEEK_SET);
        ::write(fd, g_dump.data(), g_dump.size());
    }
    ::close(fd);
    ::unlink("/tmp/corvane-bench-dump");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DumpWrittenToAFile)->Arg(4 << 10)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20);

void BM_Capture(benchmark::State& state) {
    g_dump = MakeDump(static_cast<std::size_t>(state.range(0)));
    corvane::jvm::g_printAllStacks = &WriteDump;
    // Descriptor 1 of this process goes to a scratch file while we measure.
    const int iSaved = ::dup(1);
    const int iSink = ::open("/dev/null", O_WRONLY);
    ::dup2(iSink, 1);
    corvane::test::FakeEnv env;
    jstring jstrDir = env.NewString("/tmp");
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Java_com_veldmark_corvane_trace_NativeManager_nativeRequestStackDumpPath(env.env(), nullptr, jstrDir));
        state.PauseTiming();
        env.DropStrings();
        jstrDir = env.NewString("/tmp");
        state.ResumeTiming();
    }
    ::dup2(iSaved, 1);
    ::close(iSaved);
    ::close(iSink);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Capture)->Arg(4 << 10)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20);

}  // namespace
