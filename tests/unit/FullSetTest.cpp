// Natives of the full set (Linux, macOS) that the Solaris set does not carry.
#include <gtest/gtest.h>

#include <utility>

#include "bridge/Corvane.h"

namespace {

TEST(FullSet, SendTimeoutAnswersZero) {
    for (auto [jiSocket, jiTimeOut] : {std::pair{3, 0}, std::pair{-1, -1}, std::pair{0, 5000}}) {
        EXPECT_EQ(0, Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(nullptr, nullptr,
                                                                                        jiSocket, jiTimeOut));
    }
}

TEST(FullSet, NativeInitLeavesThePerMilleRatio) {
    for (jboolean jb : {JNI_TRUE, JNI_FALSE}) {
        Java_com_veldmark_corvane_trace_NativeManager_nativeInit(nullptr, nullptr, jb);
        EXPECT_EQ(333, Java_com_veldmark_corvane_trace_NativeManager_nativeGetSystemCPUTimeAsPercentage(
                           nullptr, nullptr, 1, 3));
    }
}

}  // namespace
