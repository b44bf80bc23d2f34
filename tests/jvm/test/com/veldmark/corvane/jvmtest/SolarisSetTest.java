package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.debug.evaluator.Evaluator;
import com.veldmark.corvane.trace.NativeManager;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * The Solaris set, built for this machine: the JVM binds its nine natives, and the three
 * natives of the full set it lacks fail to bind with UnsatisfiedLinkError in Java, after
 * which the library still answers.
 */
class SolarisSetTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @Test
    void metricNativesBindAndAnswer() {
        NativeManager.nativeInit(true);
        NativeManager.nativeInit(false);
        assertEquals(ProcessHandle.current().pid(), NativeManager.nativeGetProcessID(),
                "the process id is stored at load");
        assertTrue(NativeManager.nativeGetProcessCPUTime() >= 0);
        assertEquals(0.0, NativeManager.nativeGetProcessCPUUsage());
        assertEquals(0L, NativeManager.nativeGetCurrentThreadCPUTime(), "no JVMPI in current JVMs");
    }

    @Test
    void systemCpuNativesAnswerZero() {
        Busy.spinCpuMillis(30);
        assertEquals(0L, NativeManager.nativeGetSystemCPUTime());
        assertEquals((short) 0, NativeManager.nativeGetSystemCPUTimeAsPercentage(1, 3));
        assertEquals((short) 0, NativeManager.nativeGetSystemCPUTimeAsPercentage((1L << 32) + 1, 2));
    }

    @Test
    void dumpAtAGeneratedNameHoldsTheCallingThread() {
        String dump = NativeManager.nativeRequestStackDump();
        assertTrue(dump.contains(Thread.currentThread().getName()), dump);
        assertTrue(dump.contains("dumpAtAGeneratedNameHoldsTheCallingThread"), dump);
    }

    @Test
    void dumpIntoADirectoryHoldsTheCallingThreadAndLeavesNoFile() throws Exception {
        Path dir = Files.createTempDirectory("corvane-solaris-set");
        try {
            String dump = NativeManager.nativeRequestStackDumpPath(dir.toString() + "/");
            assertTrue(dump.contains("dumpIntoADirectoryHoldsTheCallingThreadAndLeavesNoFile"), dump);
            try (Stream<Path> left = Files.list(dir)) {
                assertEquals(0L, left.count());
            }
        } finally {
            Files.deleteIfExists(dir);
        }
    }

    static Stream<Arguments> absentNatives() {
        return Stream.of(
                Arguments.of("nativeSetSendTimeout", (Executable) () -> NativeManager.nativeSetSendTimeout(3, 1000)),
                Arguments.of("nativeEnableGC", (Executable) Evaluator::nativeEnableGC),
                Arguments.of("nativeDisableGC", (Executable) Evaluator::nativeDisableGC));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("absentNatives")
    void absentNativeFailsToBindInJava(String name, Executable call) {
        UnsatisfiedLinkError error = assertThrows(UnsatisfiedLinkError.class, call);
        assertTrue(error.getMessage().contains(name), error.getMessage());
        assertEquals(ProcessHandle.current().pid(), NativeManager.nativeGetProcessID(),
                "the library still answers");
    }
}
