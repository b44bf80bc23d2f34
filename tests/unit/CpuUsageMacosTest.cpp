// The macOS sampler over the scripted Mach stand-in: the constructor's reference sample,
// 32-bit wrapping tick arithmetic, single-precision percentages, failed samples, and
// concurrent readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "bridge/Corvane.h"
#include "jni/macos/MachHostStandIn.h"
#include "metrics/CpuUsage.h"
#include "metrics/Globals.h"

// Reads the members no native exposes (a friend of cCpuUsage in the macOS build).
struct cCpuUsageProbe {
    static float User(const cCpuUsage& s) { return s.m_fCpuUser; }
    static float Sys(const cCpuUsage& s) { return s.m_fCpuSys; }
    static float Idle(const cCpuUsage& s) { return s.m_fCpuIdle; }
    static long UserTicks(const cCpuUsage& s) { return s.m_liUserTicks; }
    static long SysTicks(const cCpuUsage& s) { return s.m_liSysTicks; }
    static long IdleTicks(const cCpuUsage& s) { return s.m_liIdleTicks; }
    static long TotalTicks(const cCpuUsage& s) { return s.m_liTotalTicks; }
    static mach_port_t Port(const cCpuUsage& s) { return s.m_libtop_port; }
    static boolean_t LoadGet(cCpuUsage& s, host_cpu_load_info_t pLoad) { return s.libtop_p_load_get(pLoad); }
};

namespace {

namespace mach = corvane::mach_standin;
using Probe = cCpuUsageProbe;

// The percentage as the sampler forms it: 100 x ticks in 32-bit integers, then a
// single-precision quotient.
float Percent(std::int64_t iTicks, std::int64_t iTotal) {
    const auto iProduct = static_cast<std::int32_t>(static_cast<std::uint32_t>(100 * iTicks));
    return static_cast<float>(iProduct) / static_cast<float>(static_cast<std::int32_t>(iTotal));
}

class MacSampler : public ::testing::Test {
protected:
    void SetUp() override { mach::Reset(); }
    void TearDown() override { mach::Reset(); }

    // A sampler whose constructor gets the given reply.
    cCpuUsage& Make(const mach::Reply& reference) {
        mach::Push(reference);
        m_sampler = std::make_unique<cCpuUsage>();
        EXPECT_EQ(0u, mach::Pending()) << "the constructor takes one sample";
        return *m_sampler;
    }

    std::unique_ptr<cCpuUsage> m_sampler;
};

TEST_F(MacSampler, ConstructorSamplesTheHostPortOnce) {
    cCpuUsage& sampler = Make(mach::Ticks(100, 10, 50, 1000));
    EXPECT_EQ(1, mach::Calls());
    EXPECT_EQ(mach::kHostPort, Probe::Port(sampler));
    const mach::Call call = mach::LastCall();
    EXPECT_EQ(mach::kHostPort, call.host);
    EXPECT_EQ(HOST_CPU_LOAD_INFO, call.flavor);
    EXPECT_EQ(4u, call.countIn);
}

TEST_F(MacSampler, BusyTicksSinceTheConstructorsSampleWithSinglePrecisionShares) {
    cCpuUsage& sampler = Make(mach::Ticks(100, 10, 50, 1000));
    mach::Push(mach::Ticks(130, 15, 60, 1100));
    EXPECT_EQ(45u, sampler.GetCpuTime());  // user + nice 35, system 10; idle never counts
    EXPECT_EQ(35, Probe::UserTicks(sampler));
    EXPECT_EQ(10, Probe::SysTicks(sampler));
    EXPECT_EQ(100, Probe::IdleTicks(sampler));
    EXPECT_EQ(145, Probe::TotalTicks(sampler));
    EXPECT_EQ(static_cast<float>(3500) / static_cast<float>(145), Probe::User(sampler));
    EXPECT_EQ(static_cast<float>(1000) / static_cast<float>(145), Probe::Sys(sampler));
    EXPECT_EQ(static_cast<float>(10000) / static_cast<float>(145), Probe::Idle(sampler));
    EXPECT_NE(static_cast<double>(Probe::User(sampler)), 3500.0 / 145.0) << "single precision, not double";

    // The reference never moves: a later call still counts from the constructor's sample.
    mach::Push(mach::Ticks(200, 20, 80, 1200));
    EXPECT_EQ(140u, sampler.GetCpuTime());
}

TEST_F(MacSampler, NoTickSinceTheReferenceGivesZeroAndZeroShares) {
    cCpuUsage& sampler = Make(mach::Ticks(100, 10, 50, 1000));
    mach::Push(mach::Ticks(110, 10, 50, 1010));
    EXPECT_EQ(10u, sampler.GetCpuTime());
    mach::Push(mach::Ticks(100, 10, 50, 1000));
    EXPECT_EQ(0u, sampler.GetCpuTime());
    EXPECT_EQ(0.0f, Probe::User(sampler));
    EXPECT_EQ(0.0f, Probe::Sys(sampler));
    EXPECT_EQ(0.0f, Probe::Idle(sampler));
    EXPECT_EQ(0, Probe::TotalTicks(sampler));
}

TEST_F(MacSampler, FailedSampleAnswersZeroAndKeepsTheFigures) {
    cCpuUsage& sampler = Make(mach::Ticks(100, 10, 50, 1000));
    mach::Push(mach::Ticks(130, 15, 60, 1100));
    ASSERT_EQ(45u, sampler.GetCpuTime());
    const float fUser = Probe::User(sampler);
    mach::Push(mach::Failure());
    EXPECT_EQ(0u, sampler.GetCpuTime());
    EXPECT_EQ(35, Probe::UserTicks(sampler));
    EXPECT_EQ(10, Probe::SysTicks(sampler));
    EXPECT_EQ(145, Probe::TotalTicks(sampler));
    EXPECT_EQ(fUser, Probe::User(sampler));
    mach::Push(mach::Ticks(140, 15, 60, 1100));
    EXPECT_EQ(55u, sampler.GetCpuTime()) << "a later sample counts from the same reference";
}

TEST_F(MacSampler, FailedConstructorSampleCountsFromTheHostsStart) {
    cCpuUsage& sampler = Make(mach::Failure());
    mach::Push(mach::Ticks(100, 10, 50, 1000));
    EXPECT_EQ(160u, sampler.GetCpuTime());
}

TEST_F(MacSampler, CountersThatPassed2To32GiveTheModularDifference) {
    cCpuUsage& sampler = Make(mach::Ticks(UINT32_MAX - 9, UINT32_MAX, 7, UINT32_MAX - 1));
    mach::Push(mach::Ticks(5, 3, 9, 2));  // user +15, nice +4, system +2, idle +4
    EXPECT_EQ(21u, sampler.GetCpuTime());
    EXPECT_EQ(19, Probe::UserTicks(sampler));
    EXPECT_EQ(4, Probe::IdleTicks(sampler));
    EXPECT_EQ(Percent(19, 25), Probe::User(sampler));
}

TEST_F(MacSampler, TickFiguresAreSigned32BitAndTheResultUnsigned32Bit) {
    cCpuUsage& sampler = Make(mach::Failure());
    // 3,000,000,000 user ticks: a negative 32-bit long, whose product 100 x ticks wraps too.
    mach::Push(mach::Ticks(3000000000u, 0, 1000, 0));
    EXPECT_EQ(3000001000u, sampler.GetCpuTime());
    EXPECT_EQ(static_cast<long>(static_cast<std::int32_t>(3000000000u)), Probe::UserTicks(sampler));
    EXPECT_LT(Probe::UserTicks(sampler), 0);
    EXPECT_EQ(Percent(static_cast<std::int32_t>(3000000000u), static_cast<std::int32_t>(3000001000u)),
              Probe::User(sampler));
    EXPECT_EQ(Percent(1000, static_cast<std::int32_t>(3000001000u)), Probe::Sys(sampler));
}

TEST_F(MacSampler, ProductOfTicksIsFormedIn32Bits) {
    cCpuUsage& sampler = Make(mach::Failure());
    mach::Push(mach::Ticks(30000000, 0, 0, 0));  // 100 x ticks = 3,000,000,000 wraps negative
    EXPECT_EQ(30000000u, sampler.GetCpuTime());
    EXPECT_EQ(static_cast<float>(static_cast<std::int32_t>(3000000000u)) / 30000000.0f, Probe::User(sampler));
    EXPECT_LT(Probe::User(sampler), 0.0f);
}

TEST_F(MacSampler, GetCpuUsageAnswersZeroWithoutSampling) {
    cCpuUsage& sampler = Make(mach::Ticks(100, 10, 50, 1000));
    mach::Push(mach::Ticks(500, 50, 500, 5000));
    EXPECT_EQ(0, sampler.GetCpuUsage());
    EXPECT_EQ(1u, mach::Pending());
}

TEST_F(MacSampler, LoadGetReportsFailureAsTrue) {
    cCpuUsage& sampler = Make(mach::Failure());
    host_cpu_load_info_data_t load{};
    mach::Push(mach::Ticks(1, 2, 3, 4));
    EXPECT_FALSE(Probe::LoadGet(sampler, &load));
    EXPECT_EQ(1u, load.cpu_ticks[CPU_STATE_USER]);
    EXPECT_EQ(2u, load.cpu_ticks[CPU_STATE_NICE]);
    EXPECT_EQ(3u, load.cpu_ticks[CPU_STATE_SYSTEM]);
    EXPECT_EQ(4u, load.cpu_ticks[CPU_STATE_IDLE]);
    mach::Push(mach::Failure(KERN_FAILURE));
    EXPECT_TRUE(Probe::LoadGet(sampler, &load));
    EXPECT_EQ(1u, load.cpu_ticks[CPU_STATE_USER]) << "a failed sample leaves the record";
}

TEST_F(MacSampler, ConcurrentCallsEachGiveTheResultOfTheirOwnSample) {
    cCpuUsage& sampler = Make(mach::Failure());
    constexpr int kThreads = 8;
    std::vector<unsigned int> expected;
    for (unsigned int k = 1; k <= kThreads; ++k) {
        mach::Push(mach::Ticks(k * 1000, k * 100, k * 10, k));
        expected.push_back(k * 1110);
    }
    // Each sample is written one counter at a time: unserialised readers would mix them.
    mach::SetSlowWrites(true);
    std::vector<unsigned int> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&sampler, &results, i] { results[i] = sampler.GetCpuTime(); });
    }
    for (std::thread& t : threads) t.join();
    std::sort(results.begin(), results.end());
    EXPECT_EQ(expected, results);
}

TEST_F(MacSampler, NativeAnswersTheProcessSamplerWidenedFromUnsigned32Bits) {
    // g_cpuLoad's constructor ran unscripted at start-up: its sample failed, so its reference
    // is the zero record, and JNI_OnLoad takes no sample of its own.
    JNI_OnLoad(nullptr, nullptr);
    EXPECT_EQ(0, mach::Calls());
    mach::Push(mach::Ticks(3000000000u, 0, 1000000000u, 7));
    EXPECT_EQ(INT64_C(4000000000),
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr));
    mach::Push(mach::Failure());
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr));
}

}  // namespace
