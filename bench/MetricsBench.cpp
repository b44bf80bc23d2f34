// Each metric next to its floor: the system calls it cannot avoid, made inline.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/times.h>
#include <unistd.h>

#include <cstdio>

#include "bridge/Corvane.h"
#include "metrics/Globals.h"

namespace {

void BM_ProcessCpuTime(benchmark::State& state) {
    JNI_OnLoad(nullptr, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessCPUTime(nullptr, nullptr));
}
BENCHMARK(BM_ProcessCpuTime);

void BM_Floor_TimesAndSysconf(benchmark::State& state) {
    for (auto _ : state) {
        struct tms s;
        benchmark::DoNotOptimize(::times(&s));
        benchmark::DoNotOptimize(::sysconf(_SC_CLK_TCK));
    }
}
BENCHMARK(BM_Floor_TimesAndSysconf);

void BM_SystemCpuTime(benchmark::State& state) {
    JNI_OnLoad(nullptr, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr));
}
BENCHMARK(BM_SystemCpuTime);

void BM_Floor_ProcStatOpenReadClose(benchmark::State& state) {
    char aBuf[512];
    for (auto _ : state) {
        const int fd = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::read(fd, aBuf, sizeof aBuf));
        ::close(fd);
    }
}
BENCHMARK(BM_Floor_ProcStatOpenReadClose);

void BM_Reference_ProcStatThroughStdio(benchmark::State& state) {
    unsigned u[4];
    char aLabel[64];
    for (auto _ : state) {
        FILE* f = std::fopen("/proc/stat", "r");
        benchmark::DoNotOptimize(std::fscanf(f, "%63s%u%u%u%u", aLabel, &u[0], &u[1], &u[2], &u[3]));
        std::fclose(f);
    }
}
BENCHMARK(BM_Reference_ProcStatThroughStdio);

void BM_TimeAsPercent(benchmark::State& state) {
    jlong a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(nullptr, nullptr, a, 3));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TimeAsPercent);

}  // namespace
