package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.locks.LockSupport;

/**
 * Child JVM for StackDumpConsoleTest: captures thread dumps while a thread named
 * {@link #PARKED_NAME} is parked, in the way the mode asks. Every answer of a capture is written to
 * {@code OUT_DIR/capture-*.txt} for the parent to judge; the capture directory is
 * {@code OUT_DIR/captures}. Stdout carries only the lines this class prints (and whatever the
 * library sends to the console), so the parent can check it exactly. Uses java.base only.
 *
 * <p>usage: StackDumpMain MODE OUT_DIR, MODE one of around, missing, concurrent, interleave.
 */
public final class StackDumpMain {
    static final String PARKED_NAME = "corvane-parked-child";
    static final int CONCURRENT_THREADS = 4;
    static final int CAPTURES_PER_THREAD = 15;
    static final int INTERLEAVED_CAPTURES = 60;
    /** A numbered line of the interleave mode: the marker, six digits, a closing '#'. */
    static final String LINE_MARKER = "corvane-line-";

    private StackDumpMain() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        Path out = Path.of(args[1]);
        Path captures = Files.createDirectories(out.resolve("captures"));
        ParkedThread parked = ParkedThread.start(PARKED_NAME, 5);
        try {
            switch (args[0]) {
                case "around" -> around(out, captures);
                case "missing" -> missing(out);
                case "concurrent" -> concurrent(out, captures);
                case "interleave" -> interleave(out, captures);
                default -> throw new IllegalArgumentException("unknown mode " + args[0]);
            }
        } finally {
            parked.close();
        }
    }

    /** Lines printed before, between and after two captures. */
    private static void around(Path out, Path captures) throws Exception {
        System.out.println("before");
        save(out, "capture-0.txt", NativeManager.nativeRequestStackDumpPath(captures.toString()));
        System.out.println("after-1");
        save(out, "capture-1.txt", NativeManager.nativeRequestStackDumpPath(captures.toString()));
        System.out.println("after-2");
    }

    /** A capture into a directory that does not exist: the stacks go to the console. */
    private static void missing(Path out) throws Exception {
        System.out.println("before");
        save(out, "capture-0.txt", NativeManager.nativeRequestStackDumpPath(out.resolve("missing").toString()));
        System.out.println("after");
    }

    /** CONCURRENT_THREADS threads released together, each capturing CAPTURES_PER_THREAD times. */
    private static void concurrent(Path out, Path captures) throws Exception {
        CountDownLatch go = new CountDownLatch(1);
        List<Thread> threads = new ArrayList<>();
        List<Throwable> failures = new ArrayList<>();
        for (int t = 0; t < CONCURRENT_THREADS; t++) {
            int thread = t;
            Thread worker = new Thread(() -> {
                try {
                    go.await();
                    for (int i = 0; i < CAPTURES_PER_THREAD; i++) {
                        save(out, "capture-" + thread + "-" + i + ".txt",
                                NativeManager.nativeRequestStackDumpPath(captures.toString()));
                    }
                } catch (Throwable e) {
                    synchronized (failures) {
                        failures.add(e);
                    }
                }
            }, "corvane-capturer-" + t);
            worker.start();
            threads.add(worker);
        }
        go.countDown();
        for (Thread worker : threads) {
            worker.join();
        }
        if (!failures.isEmpty()) {
            throw new AssertionError("a capturing thread failed", failures.get(0));
        }
        System.out.println("after");
    }

    /**
     * INTERLEAVED_CAPTURES captures while another thread prints numbered lines to System.out
     * without pause; the count of lines printed is saved as printed.txt.
     */
    private static void interleave(Path out, Path captures) throws Exception {
        CountDownLatch started = new CountDownLatch(1);
        int[] printed = new int[1];
        Thread printer = new Thread(() -> {
            int n = 0;
            started.countDown();
            while (!Thread.currentThread().isInterrupted()) {
                System.out.println(String.format("%s%06d#", LINE_MARKER, n++));
                LockSupport.parkNanos(20_000);
            }
            printed[0] = n;
        }, "corvane-printer");
        printer.start();
        started.await();
        for (int i = 0; i < INTERLEAVED_CAPTURES; i++) {
            save(out, "capture-" + i + ".txt", NativeManager.nativeRequestStackDumpPath(captures.toString()));
        }
        printer.interrupt();
        printer.join();
        save(out, "printed.txt", Integer.toString(printed[0]));
    }

    private static void save(Path out, String name, String text) throws Exception {
        Files.writeString(out.resolve(name), String.valueOf(text), StandardCharsets.UTF_8);
    }
}
