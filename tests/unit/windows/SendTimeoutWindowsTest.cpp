// The send time-out on real Windows sockets.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <cstdint>

#include "bridge/Corvane.h"

namespace {

class SendTimeout : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA sData;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &sData));
        m_hSocket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ASSERT_NE(INVALID_SOCKET, m_hSocket);
    }
    void TearDown() override {
        if (m_hSocket != INVALID_SOCKET) closesocket(m_hSocket);
        WSACleanup();
    }
    jint Set(jint jiTimeOut) {
        return Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(
            nullptr, nullptr, static_cast<jint>(m_hSocket), jiTimeOut);
    }
    std::uint32_t Current() {
        std::uint32_t uValue = 0xDEADBEEF;
        int iLength = sizeof uValue;
        EXPECT_EQ(0, getsockopt(m_hSocket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<char*>(&uValue), &iLength));
        return uValue;
    }
    SOCKET m_hSocket = INVALID_SOCKET;
};

TEST_F(SendTimeout, SetsTheTimeOutOfARealSocket) {
    EXPECT_EQ(0, Set(1500));
    EXPECT_EQ(1500u, Current());
    EXPECT_EQ(0, Set(0));  // 0: no time-out
    EXPECT_EQ(0u, Current());
}

TEST_F(SendTimeout, HandsANegativeTimeOutOnBitForBit) {
    EXPECT_EQ(0, Set(-5));
    EXPECT_EQ(0xFFFFFFFBu, Current());
}

TEST_F(SendTimeout, MinusOneIsNoSocket) {
    EXPECT_EQ(-1, Java_com_veldmark_corvane_trace_NativeManager_nativeSetSendTimeout(nullptr, nullptr, -1, 0));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
}

}  // namespace
