package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/** nativeInit, with either flag, leaves every later answer as it would have been. */
class InitTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    private record Answers(int pid, double usage, long threadCpu, int sendTimeout, short perMille,
                           long processCpu, long systemCpu) {
        static Answers read() {
            return new Answers(
                    NativeManager.nativeGetProcessID(),
                    NativeManager.nativeGetProcessCPUUsage(),
                    NativeManager.nativeGetCurrentThreadCPUTime(),
                    NativeManager.nativeSetSendTimeout(5, 100),
                    NativeManager.nativeGetSystemCPUTimeAsPercentage(1, 3),
                    NativeManager.nativeGetProcessCPUTime(),
                    NativeManager.nativeGetSystemCPUTime());
        }

        /** Same constants, and the counters went on from where they were (no new baseline). */
        void assertFollowedBy(Answers later, String step) {
            assertEquals(pid, later.pid, step);
            assertEquals(usage, later.usage, step);
            assertEquals(threadCpu, later.threadCpu, step);
            assertEquals(sendTimeout, later.sendTimeout, step);
            assertEquals(perMille, later.perMille, step);
            assertTrue(later.processCpu >= processCpu, step + ": process CPU " + processCpu + " then " + later.processCpu);
            assertTrue(later.systemCpu >= systemCpu, step + ": system CPU " + systemCpu + " then " + later.systemCpu);
        }
    }

    @Test
    void initChangesNoLaterAnswer() {
        // Some CPU first, so a counter restarting from zero would show.
        Busy.spinCpuMillis(100);
        Answers before = Answers.read();
        NativeManager.nativeInit(true);
        Answers afterTrue = Answers.read();
        before.assertFollowedBy(afterTrue, "after nativeInit(true)");
        NativeManager.nativeInit(false);
        Answers afterFalse = Answers.read();
        afterTrue.assertFollowedBy(afterFalse, "after nativeInit(false)");
        NativeManager.nativeInit(true);
        afterFalse.assertFollowedBy(Answers.read(), "after a second nativeInit(true)");
    }
}
