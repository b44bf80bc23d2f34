#include <gtest/gtest.h>

#include "bridge/Corvane.h"
#include "tests/fakes/FakeJni.h"
#include "tests/fakes/StdoutCapture.h"

namespace {

using corvane::test::FakeJvmpi;
using corvane::test::StdoutCapture;

class GcSwitch : public ::testing::Test {
protected:
    void SetUp() override { FakeJvmpi::Reset(); }
    void TearDown() override { jvmpi_interface = nullptr; }
};

TEST_F(GcSwitch, TraceLinesSurroundTheJvmCall) {
    FakeJvmpi jvmpi;
    jvmpi_interface = &jvmpi.table;
    StdoutCapture out;
    Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeDisableGC(nullptr, nullptr);
    Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeEnableGC(nullptr, nullptr);
    Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeEnableGC(nullptr, nullptr);  // unpaired: passed on
    EXPECT_EQ(
        "DisableGC();\n<DisableGC called>\nDisableGC(Done);\n"
        "EnableGC();\n<EnableGC called>\nEnableGC(Done);\n"
        "EnableGC();\n<EnableGC called>\nEnableGC(Done);\n",
        out.Stop());
    EXPECT_EQ(1, FakeJvmpi::s_iDisableCalls);
    EXPECT_EQ(2, FakeJvmpi::s_iEnableCalls);
}

TEST_F(GcSwitch, WithoutTheInterfaceOnlyTheLinesAreWritten) {
    jvmpi_interface = nullptr;
    StdoutCapture out;
    Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeDisableGC(nullptr, nullptr);
    Java_com_veldmark_corvane_debug_evaluator_Evaluator_nativeEnableGC(nullptr, nullptr);
    EXPECT_EQ("DisableGC();\nDisableGC(Done);\nEnableGC();\nEnableGC(Done);\n", out.Stop());
}

}  // namespace
