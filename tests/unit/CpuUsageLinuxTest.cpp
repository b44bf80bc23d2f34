#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bridge/Corvane.h"
#include "metrics/CpuUsage.h"
#include "metrics/Globals.h"
#include "tests/fakes/OsSeamScope.h"
#include "tests/fakes/TempDir.h"

namespace {

using corvane::test::OsSeamScope;
using corvane::test::TempDir;

// A sampler reading a canned /proc/stat whose contents each test sets.
class LinuxSampler : public ::testing::Test {
protected:
    void SetUp() override {
        m_statPath = m_dir.File("stat");
        corvane::g_os.procStatPath = m_statPath.c_str();
    }
    void Stat(unsigned long long user, unsigned long long nice, unsigned long long system,
              unsigned long long idle) {
        m_dir.Write("stat", "cpu  " + std::to_string(user) + " " + std::to_string(nice) + " " +
                                std::to_string(system) + " " + std::to_string(idle) +
                                " 100 0 7 0 0 0\ncpu0 1 1 1 1 1 0 0 0 0 0\nintr 5\n");
    }
    void StatText(const std::string& text) { m_dir.Write("stat", text); }
    void RemoveStat() { ::unlink(m_statPath.c_str()); }

    OsSeamScope m_seam;
    TempDir m_dir;
    std::string m_statPath;
    cCpuUsage m_sampler;
};

TEST_F(LinuxSampler, FirstSampleAnswersZeroAndLaterOnesCountBusyTicksSinceIt) {
    Stat(1000, 50, 300, 90000);
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    Stat(1010, 52, 303, 99999);  // idle moves a lot and never enters the result
    EXPECT_EQ(15u, m_sampler.GetCpuTime());
    Stat(1100, 60, 400, 99999);
    EXPECT_EQ(210u, m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, UnreadableAtFirstThenReadable) {
    RemoveStat();
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    Stat(500, 0, 100, 1);
    EXPECT_EQ(0u, m_sampler.GetCpuTime()) << "the first readable sample is the reference";
    Stat(520, 0, 110, 1);
    EXPECT_EQ(30u, m_sampler.GetCpuTime());
    RemoveStat();
    EXPECT_EQ(0u, m_sampler.GetCpuTime()) << "a later unreadable sample answers 0";
    Stat(530, 0, 110, 1);
    EXPECT_EQ(40u, m_sampler.GetCpuTime()) << "and the reference is kept";
}

TEST_F(LinuxSampler, CountersThatPassed32BitsGiveTheModularDifference) {
    Stat(4294967290ull, 0, 4294967295ull, 0);
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    Stat(4294967296ull + 4, 0, 4294967296ull + 1, 0);  // 10 and 2 ticks later, past 2^32
    EXPECT_EQ(12u, m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, ResultWrapsModulo32Bits) {
    Stat(0, 0, 0, 0);
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    Stat(4000000000ull, 0, 1000000000ull, 0);
    EXPECT_EQ(static_cast<unsigned int>(5000000000ull % 4294967296ull), m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, UnreadableCountersInTheReferenceKeepTheirValues) {
    StatText("cpu 100 x\n");  // only user can be read: nice, system, idle stay 0
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    Stat(110, 5, 7, 0);
    EXPECT_EQ(22u, m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, UnreadableCountersInALaterSampleCountAsZero) {
    Stat(100, 10, 20, 0);
    EXPECT_EQ(0u, m_sampler.GetCpuTime());
    StatText("cpu 150 15\n");  // system cannot be read: 0 - 20 wraps
    EXPECT_EQ(50u + 5u + (0u - 20u), m_sampler.GetCpuTime());
    StatText("");
    EXPECT_EQ(0u - 130u, m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, GetCpuUsageCountsFromSystemStart) {
    Stat(1000, 50, 300, 90000);
    EXPECT_EQ(1350, m_sampler.GetCpuUsage());
    RemoveStat();
    EXPECT_EQ(0, m_sampler.GetCpuUsage());
}

TEST_F(LinuxSampler, ParallelCallersShareOneReference) {
    Stat(100, 0, 0, 0);
    std::atomic<int> zeros{0}, others{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) (m_sampler.GetCpuTime() == 0 ? zeros : others)++;
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(800, zeros.load()) << "the counters never moved, so every answer is 0";
    EXPECT_EQ(0, others.load());
    Stat(125, 0, 0, 0);
    EXPECT_EQ(25u, m_sampler.GetCpuTime());
}

TEST_F(LinuxSampler, NativeAnswersTheProcessSamplerWidenedFromUnsigned32Bits) {
    // g_cpuLoad's reference depends on what ran before; the difference between two calls
    // does not.
    Stat(7, 0, 0, 0);
    const jlong jlBefore = Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr);
    Stat(7 + 3, 1, 1, 0);
    const jlong jlAfter = Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr);
    for (jlong jl : {jlBefore, jlAfter}) {
        EXPECT_GE(jl, 0);
        EXPECT_LE(jl, 0xFFFFFFFFll);
    }
    EXPECT_EQ(5u, static_cast<unsigned int>(jlAfter - jlBefore));
}

}  // namespace
