package com.veldmark.corvane.jvmtest;

import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;

/** Burns CPU on the calling thread until it has used a given amount, whatever else runs on the machine. */
final class Busy {
    static volatile long sink;

    private Busy() {
    }

    static void spinCpuMillis(long millis) {
        ThreadMXBean threads = ManagementFactory.getThreadMXBean();
        long end = threads.getCurrentThreadCpuTime() + millis * 1_000_000L;
        long x = sink;
        while (threads.getCurrentThreadCpuTime() < end) {
            for (int i = 0; i < 10_000; i++) {
                x = x * 6364136223846793005L + 1442695040888963407L;
            }
        }
        sink = x;
    }
}
