package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.util.concurrent.CompletableFuture;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Answers that are constant on Linux whatever the process does. */
class FixedAnswersTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @Test
    void processCpuUsageIsZeroEvenWhenBusy() {
        assertEquals(0.0, NativeManager.nativeGetProcessCPUUsage());
        Busy.spinCpuMillis(50);
        assertEquals(0.0, NativeManager.nativeGetProcessCPUUsage());
    }

    @Test
    void currentThreadCpuTimeIsZeroWithoutProfilerInterface() throws Exception {
        Busy.spinCpuMillis(50);
        assertEquals(0L, NativeManager.nativeGetCurrentThreadCPUTime());
        long otherThread = CompletableFuture.supplyAsync(() -> {
            Busy.spinCpuMillis(50);
            return NativeManager.nativeGetCurrentThreadCPUTime();
        }).get();
        assertEquals(0L, otherThread);
    }

    @ParameterizedTest(name = "socket {0}, timeout {1}")
    @CsvSource({
        "0, 0",
        "-1, 1000",
        "3, -1",
        "2147483647, -2147483648",
    })
    void sendTimeoutAnswersZero(int socket, int timeout) {
        assertEquals(0, NativeManager.nativeSetSendTimeout(socket, timeout));
    }
}
