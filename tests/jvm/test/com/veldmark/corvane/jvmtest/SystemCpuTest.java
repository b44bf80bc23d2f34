package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertTrue;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * The library's machine busy ticks against /proc/stat read directly. Reads of /proc/stat are placed
 * around the library's reads, so the library's delta must lie between the inner and outer deltas.
 */
class SystemCpuTest {
    private static final long MOD = 1L << 32;
    /** Per-CPU counters summed into the aggregate line may move by a tick between reads. */
    private static final long SLACK_TICKS = 2;

    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @Test
    void deltaOverBusyLoopMatchesProcStat() throws Exception {
        long outerStart = ProcStat.busyTicks();
        long nativeStart = NativeManager.nativeGetSystemCPUTime();
        long innerStart = ProcStat.busyTicks();
        Busy.spinCpuMillis(300);
        long innerEnd = ProcStat.busyTicks();
        long nativeEnd = NativeManager.nativeGetSystemCPUTime();
        long outerEnd = ProcStat.busyTicks();

        long nativeDelta = Math.floorMod(nativeEnd - nativeStart, MOD);
        long inner = innerEnd - innerStart;
        long outer = outerEnd - outerStart;
        String figures = "native " + nativeDelta + " ticks, /proc/stat inner " + inner + ", outer " + outer;
        // 300 ms of one busy thread is 30 ticks at USER_HZ 100.
        assertTrue(inner >= 20, "busy loop not seen in /proc/stat: " + figures);
        assertTrue(nativeDelta >= inner - SLACK_TICKS, "too little: " + figures);
        assertTrue(nativeDelta <= outer + SLACK_TICKS, "too much: " + figures);
    }

    @Test
    void staysWithinUnsigned32Bits() {
        for (int i = 0; i < 1000; i++) {
            long v = NativeManager.nativeGetSystemCPUTime();
            assertTrue(v >= 0 && v < MOD, "out of range: " + v);
        }
    }

    @Test
    void countsFromLibraryLoad() throws Exception {
        long sinceLoad = NativeManager.nativeGetSystemCPUTime();
        long sinceBoot = ProcStat.busyTicks();
        assertTrue(sinceLoad <= sinceBoot, "library " + sinceLoad + " > since boot " + sinceBoot);
    }
}
