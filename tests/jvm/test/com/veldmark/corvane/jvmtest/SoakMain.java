package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.BufferedOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;
import java.util.concurrent.atomic.AtomicReference;
import java.util.concurrent.locks.LockSupport;
import java.util.stream.Stream;

/**
 * Child JVM for SoakTest: {@link #CAPTURE_THREADS} threads share out the captures while
 * {@link #PRINTERS} threads print numbered lines to System.out and {@link #METRIC_THREADS} threads call
 * the metric natives in a loop. A warm-up round of the same load runs first; descriptors, the
 * capture directory and resident memory are measured after it, with every thread stopped, and again
 * after the measured round.
 *
 * <p>Every answer is appended to {@code OUT_DIR/answers.bin} (a 4-byte length, then the UTF-8 text);
 * the figures go to {@code OUT_DIR/report.txt} as {@code key=value} lines. Stdout carries only the
 * numbered lines.
 *
 * <p>usage: SoakMain OUT_DIR WARM_UP_CAPTURES CAPTURES
 */
public final class SoakMain {
    static final String PARKED_NAME = "corvane-parked-soak";
    static final int CAPTURE_THREADS = 8;
    static final int PRINTERS = 2;
    static final int METRIC_THREADS = 4;
    /** A numbered line: the marker, the printer's letter, '-', seven digits, a closing '#'. */
    static final String LINE_MARKER = "corvane-soak-";
    /** Parked threads besides PARKED_NAME, so that each dump is about 140 KiB (see SoakTest's memory bound). */
    static final int EXTRA_PARKED = 100;

    private final Path captures;
    private final DataOutputStream answers;
    private final int[] printed = new int[PRINTERS];
    private final AtomicLong metricCalls = new AtomicLong();
    private final AtomicReference<String> metricError = new AtomicReference<>();
    private final List<Throwable> failures = new ArrayList<>();

    private SoakMain(Path captures, DataOutputStream answers) {
        this.captures = captures;
        this.answers = answers;
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        Path out = Path.of(args[0]);
        int warmUp = Integer.parseInt(args[1]);
        int count = Integer.parseInt(args[2]);
        Path captures = Files.createDirectory(out.resolve("captures"));
        StringBuilder report = new StringBuilder();
        List<ParkedThread> parked = new ArrayList<>();
        parked.add(ParkedThread.start(PARKED_NAME, 5));
        for (int i = 0; i < EXTRA_PARKED; i++) {
            parked.add(ParkedThread.start("corvane-parked-extra-" + i, 5));
        }
        try (DataOutputStream answers = new DataOutputStream(
                        new BufferedOutputStream(Files.newOutputStream(out.resolve("answers.bin")), 1 << 20))) {
            SoakMain soak = new SoakMain(captures, answers);
            soak.round(warmUp);
            System.gc();
            report.append("rss-before-kib=").append(residentKib()).append('\n');
            List<String> descriptorsBefore = Descriptors.open();
            report.append("descriptors-before=").append(descriptorsBefore).append('\n');
            report.append("directory-before=").append(entries(captures)).append('\n');

            long nanos = soak.round(count);
            System.gc();
            report.append("rss-after-kib=").append(residentKib()).append('\n');
            report.append("descriptors-after=").append(Descriptors.openSettledTo(descriptorsBefore)).append('\n');
            report.append("directory-after=").append(entries(captures)).append('\n');
            report.append("capture-nanos=").append(nanos).append('\n');
            for (int p = 0; p < PRINTERS; p++) {
                report.append("printed-").append(printerLetter(p)).append('=').append(soak.printed[p]).append('\n');
            }
            report.append("metric-calls=").append(soak.metricCalls.get()).append('\n');
            report.append("metric-error=").append(soak.metricError.get()).append('\n');
            if (!soak.failures.isEmpty()) {
                throw new AssertionError(soak.failures.size() + " soak threads failed", soak.failures.get(0));
            }
        } finally {
            for (ParkedThread thread : parked) {
                thread.close();
            }
        }
        Files.writeString(out.resolve("report.txt"), report, StandardCharsets.UTF_8);
    }

    static char printerLetter(int printer) {
        return (char) ('a' + printer);
    }

    /**
     * One round: captures shared out among the capturing threads, printers and metric threads running
     * from before the first capture to after the last. Answers the nanoseconds the captures took.
     */
    private long round(int count) throws InterruptedException {
        AtomicInteger tickets = new AtomicInteger(count);
        CountDownLatch go = new CountDownLatch(1);
        CountDownLatch backgroundStarted = new CountDownLatch(PRINTERS + METRIC_THREADS);
        List<Thread> background = new ArrayList<>();
        for (int p = 0; p < PRINTERS; p++) {
            int printer = p;
            background.add(thread("corvane-soak-printer-" + p, () -> print(printer, backgroundStarted)));
        }
        for (int m = 0; m < METRIC_THREADS; m++) {
            background.add(thread("corvane-soak-metrics-" + m, () -> callMetrics(backgroundStarted)));
        }
        List<Thread> capturers = new ArrayList<>();
        for (int c = 0; c < CAPTURE_THREADS; c++) {
            capturers.add(thread("corvane-soak-capturer-" + c, () -> capture(tickets, go)));
        }
        backgroundStarted.await();
        long start = System.nanoTime();
        go.countDown();
        for (Thread capturer : capturers) {
            capturer.join();
        }
        long nanos = System.nanoTime() - start;
        for (Thread thread : background) {
            thread.interrupt();
        }
        for (Thread thread : background) {
            thread.join();
        }
        return nanos;
    }

    private Thread thread(String name, Work work) {
        Thread thread = new Thread(() -> {
            try {
                work.run();
            } catch (Throwable e) {
                synchronized (failures) {
                    failures.add(e);
                }
            }
        }, name);
        thread.start();
        return thread;
    }

    @FunctionalInterface
    private interface Work {
        void run() throws Exception;
    }

    private void capture(AtomicInteger tickets, CountDownLatch go) throws Exception {
        go.await();
        while (tickets.getAndDecrement() > 0) {
            String answer = String.valueOf(NativeManager.nativeRequestStackDumpPath(captures.toString()));
            byte[] bytes = answer.getBytes(StandardCharsets.UTF_8);
            synchronized (answers) {
                answers.writeInt(bytes.length);
                answers.write(bytes);
            }
        }
    }

    /** Numbered lines, one println each, with a short pause so the files stay a few MiB. */
    private void print(int printer, CountDownLatch started) {
        String prefix = LINE_MARKER + printerLetter(printer) + "-";
        int n = printed[printer];
        started.countDown();
        while (!Thread.currentThread().isInterrupted()) {
            System.out.println(prefix + String.format("%07d", n++) + "#");
            LockSupport.parkNanos(100_000);
        }
        printed[printer] = n;
    }

    /** The six metric natives in a loop; the first answer out of its range is kept. */
    private void callMetrics(CountDownLatch started) {
        long pid = ProcessHandle.current().pid();
        long lastProcessCpu = 0;
        started.countDown();
        while (!Thread.currentThread().isInterrupted()) {
            int id = NativeManager.nativeGetProcessID();
            long processCpu = NativeManager.nativeGetProcessCPUTime();
            long systemCpu = NativeManager.nativeGetSystemCPUTime();
            short perMille = NativeManager.nativeGetSystemCPUTimeAsPercentage(1, 2);
            double usage = NativeManager.nativeGetProcessCPUUsage();
            long threadCpu = NativeManager.nativeGetCurrentThreadCPUTime();
            metricCalls.addAndGet(6);
            if (id != pid) {
                metricError.compareAndSet(null, "process id " + id + ", not " + pid);
            } else if (processCpu < lastProcessCpu) {
                metricError.compareAndSet(null, "process CPU time " + lastProcessCpu + " then " + processCpu);
            } else if (systemCpu < 0 || systemCpu >= 1L << 32) {
                metricError.compareAndSet(null, "system CPU time " + systemCpu + " beyond 32 bits");
            } else if (perMille != 500) {
                metricError.compareAndSet(null, "1 of 2 answered " + perMille + " per mille");
            } else if (usage != 0.0 || threadCpu != 0) {
                metricError.compareAndSet(null, "fixed answers " + usage + ", " + threadCpu + " not 0");
            }
            lastProcessCpu = processCpu;
            LockSupport.parkNanos(50_000);
        }
    }

    private static long residentKib() throws IOException {
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith("VmRSS:")) {
                return Long.parseLong(line.replaceAll("[^0-9]", ""));
            }
        }
        throw new IllegalStateException("no VmRSS in /proc/self/status");
    }

    private static long entries(Path dir) throws IOException {
        try (Stream<Path> list = Files.list(dir)) {
            return list.count();
        }
    }
}
