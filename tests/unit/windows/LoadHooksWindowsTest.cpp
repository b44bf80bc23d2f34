#include <gtest/gtest.h>

#include <windows.h>

#include "bridge/Corvane.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/FakePerfData.h"
#include "tests/fakes/PerfBlockBuilder.h"

namespace {

using corvane::g_win;
using corvane::test::FakeJavaVm;
using corvane::test::FakeJvmpi;
using corvane::test::FakePerfData;

class WindowsLoadHooks : public ::testing::Test {
protected:
    void TearDown() override { jvmpi_interface = nullptr; }
};

TEST_F(WindowsLoadHooks, JniOnLoadStoresTheProcessValuesAndTakesTheFirstSample) {
    FakePerfData fake;
    fake.Serve(corvane::test::PerfBlockBuilder().Build());
    g_win.getCurrentProcessId = []() -> DWORD { return 4242; };
    g_win.getSystemInfo = [](LPSYSTEM_INFO pInfo) { pInfo->dwNumberOfProcessors = 6; };
    EXPECT_EQ(0x00010002, JNI_OnLoad(nullptr, nullptr));
    EXPECT_EQ(4242, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
    EXPECT_EQ(6, gs_iNumberOfProcessors);
    EXPECT_EQ(GetCurrentProcess(), gs_hProcess);
    // The sampler's first sample asked for the Processor object (Wine is NT5+).
    EXPECT_EQ(std::vector<std::string>{"238"}, fake.valueNames);
}

TEST_F(WindowsLoadHooks, JniOnLoadOnTheRealSystem) {
    EXPECT_EQ(0x00010002, JNI_OnLoad(nullptr, nullptr));
    EXPECT_EQ(static_cast<jint>(GetCurrentProcessId()),
              Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
    SYSTEM_INFO sInfo{};
    GetSystemInfo(&sInfo);
    EXPECT_EQ(static_cast<jint>(sInfo.dwNumberOfProcessors), gs_iNumberOfProcessors);
    // Wine's performance data holds no Processor object: 0, not -1.
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTime(nullptr, nullptr));
}

TEST_F(WindowsLoadHooks, JvmOnLoadKeepsOrMissesTheProfilerInterface) {
    FakeJvmpi jvmpi;
    FakeJavaVm vm(&jvmpi.table);
    EXPECT_EQ(0, JVM_OnLoad(vm.vm(), nullptr, nullptr));
    EXPECT_EQ(&jvmpi.table, jvmpi_interface);
    FakeJavaVm refusing(nullptr);
    EXPECT_EQ(-1, JVM_OnLoad(refusing.vm(), nullptr, nullptr));
    EXPECT_EQ(nullptr, jvmpi_interface);
}

TEST_F(WindowsLoadHooks, NativeInitChangesNoLaterAnswer) {
    JNI_OnLoad(nullptr, nullptr);
    const jint jiPid = Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr);
    for (jboolean jb : {JNI_TRUE, JNI_FALSE}) {
        Java_com_veldmark_corvane_trace_NativeManager_nativeInit(nullptr, nullptr, jb);
        EXPECT_EQ(jiPid, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
        EXPECT_EQ(66, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(nullptr,
                                                                                                      nullptr, 1, 3));
    }
}

}  // namespace
