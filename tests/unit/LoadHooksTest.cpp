#include <gtest/gtest.h>

#include "bridge/Corvane.h"
#include "bridge/OsSeam.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/OsSeamScope.h"

namespace {

using corvane::test::FakeJavaVm;
using corvane::test::FakeJvmpi;
using corvane::test::OsSeamScope;

class LoadHooks : public ::testing::Test {
protected:
    void TearDown() override { jvmpi_interface = nullptr; }
};

TEST_F(LoadHooks, JniOnLoadAsksForJni12WhateverTheSystemAnswers) {
    OsSeamScope seam;
    corvane::g_os.readTimes = [](corvane::TmsRecord*) { return -1; };
    corvane::g_os.getpid = [] { return -1; };
    corvane::g_os.procStatPath = "/nonexistent/stat";
    EXPECT_EQ(0x00010002, JNI_OnLoad(nullptr, nullptr));
}

TEST_F(LoadHooks, JvmOnLoadKeepsTheProfilerInterface) {
    FakeJvmpi jvmpi;
    FakeJavaVm vm(&jvmpi.table);
    EXPECT_EQ(0, JVM_OnLoad(vm.vm(), nullptr, nullptr));
    EXPECT_EQ(0x10000001, vm.lastRequestedVersion());
    EXPECT_EQ(&jvmpi.table, jvmpi_interface);
}

TEST_F(LoadHooks, JvmOnLoadFailsWhenTheJvmRefusesTheInterface) {
    FakeJavaVm vm(nullptr);
    EXPECT_EQ(-1, JVM_OnLoad(vm.vm(), nullptr, nullptr));
    EXPECT_EQ(nullptr, jvmpi_interface);
    EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
}

TEST_F(LoadHooks, NativeInitChangesNoLaterAnswer) {
    JNI_OnLoad(nullptr, nullptr);
    const jint jiPid = Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr);
    const jshort jsPerMille =
        Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(nullptr, nullptr, 1, 3);
    for (jboolean jb : {JNI_TRUE, JNI_FALSE}) {
        Java_com_veldmark_corvane_trace_NativeManager_nativeInit(nullptr, nullptr, jb);
        EXPECT_EQ(jiPid, Java_com_veldmark_corvane_trace_NativeManager_nativeGetProcessID(nullptr, nullptr));
        EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeGetCurrentThreadCPUTime(nullptr, nullptr));
        EXPECT_EQ(jsPerMille, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                                  nullptr, nullptr, 1, 3));
    }
}

}  // namespace
