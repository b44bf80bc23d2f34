package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertTrue;

import com.sun.management.OperatingSystemMXBean;
import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.lang.management.ManagementFactory;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * The library's process CPU time (ms, clock-tick based) against the JVM's own process CPU time.
 * Both count every thread of the process, so deltas over the same span agree up to the 10 ms
 * tick of each reading; the JVM's reads are placed around the library's so that one span lies
 * inside and one outside.
 */
class ProcessCpuTimeTest {
    /** One tick of truncation per reading, both ends, plus the ms rounding. */
    private static final long SLACK_MS = 25;

    private static final OperatingSystemMXBean OS =
            (OperatingSystemMXBean) ManagementFactory.getOperatingSystemMXBean();

    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    private static long jvmCpuMillis() {
        return OS.getProcessCpuTime() / 1_000_000L;
    }

    @Test
    void deltaOverBusyLoopMatchesJvmProcessCpuTime() {
        long outerStart = jvmCpuMillis();
        long nativeStart = NativeManager.nativeGetProcessCPUTime();
        long innerStart = jvmCpuMillis();
        Busy.spinCpuMillis(300);
        long innerEnd = jvmCpuMillis();
        long nativeEnd = NativeManager.nativeGetProcessCPUTime();
        long outerEnd = jvmCpuMillis();

        long nativeDelta = nativeEnd - nativeStart;
        long inner = innerEnd - innerStart;
        long outer = outerEnd - outerStart;
        String figures = "native " + nativeDelta + " ms, JVM inner " + inner + " ms, outer " + outer + " ms";
        assertTrue(inner >= 250, "busy loop too short to measure: " + figures);
        assertTrue(nativeDelta >= inner - SLACK_MS, "too little: " + figures);
        assertTrue(nativeDelta <= outer + SLACK_MS, "too much: " + figures);
    }

    @Test
    void countsFromLibraryLoadNotFromProcessStart() {
        long sinceLoad = NativeManager.nativeGetProcessCPUTime();
        long sinceStart = jvmCpuMillis();
        assertTrue(sinceLoad >= 0, "negative: " + sinceLoad);
        // The JVM burns CPU starting up before the library is loaded.
        assertTrue(sinceLoad <= sinceStart + SLACK_MS,
                "library " + sinceLoad + " ms > JVM total " + sinceStart + " ms");
    }

    @Test
    void neverGoesBackwards() {
        long previous = NativeManager.nativeGetProcessCPUTime();
        long deadline = System.nanoTime() + 200_000_000L;
        while (System.nanoTime() < deadline) {
            long now = NativeManager.nativeGetProcessCPUTime();
            assertTrue(now >= previous, previous + " then " + now);
            previous = now;
        }
    }
}
