package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.FileInputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Stream;

/**
 * Child JVM for CaptureFaultTest: prints "before", captures COUNT thread dumps into the capture
 * directory, prints "after". Each answer is saved as {@code OUT_DIR/answer-I.txt}; facts the parent
 * cannot see from outside go to {@code OUT_DIR/report.txt} as {@code key=value} lines. Stdout carries
 * "before", "after" and whatever the library sends to the console.
 *
 * <p>usage: CaptureFaultMain OUT_DIR CAPTURE_DIR COUNT FREE_DESCRIPTORS PARKED_THREADS
 * <ul>
 * <li>CAPTURE_DIR: the directory handed to the library, or {@code non-ascii} / {@code outside-bmp}:
 *     the child creates {@code OUT_DIR/}{@link #NON_ASCII_NAME} / {@link #OUTSIDE_BMP_NAME} itself
 *     (the name never passes through a command line or the parent's file-name encoding) and deletes
 *     it at the end.
 * <li>FREE_DESCRIPTORS: {@code all}, or k: before the captures, descriptors are used up by opening
 *     /dev/null until none is left, then k of them are closed, so exactly k are free.
 * <li>PARKED_THREADS: parked threads started besides {@link #PARKED_NAME}, to make the dump larger.
 * </ul>
 */
public final class CaptureFaultMain {
    static final String PARKED_NAME = "corvane-parked-fault";
    static final String NON_ASCII_NAME = "düşün-目录";
    /** A character outside the Basic Multilingual Plane: a surrogate pair in Java. */
    static final String OUTSIDE_BMP_NAME = "emoji-\uD83D\uDE00";

    private CaptureFaultMain() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        Path out = Path.of(args[0]);
        int count = Integer.parseInt(args[2]);
        String free = args[3];
        int extraParked = Integer.parseInt(args[4]);
        String childMade = switch (args[1]) {
            case "non-ascii" -> NON_ASCII_NAME;
            case "outside-bmp" -> OUTSIDE_BMP_NAME;
            default -> null;
        };
        boolean nonAscii = childMade != null;
        Path dir = nonAscii ? Files.createDirectory(out.resolve(childMade)) : null;
        String captureDir = nonAscii ? dir.toString() : args[1];

        List<ParkedThread> parked = new ArrayList<>();
        parked.add(ParkedThread.start(PARKED_NAME, 5));
        for (int i = 0; i < extraParked; i++) {
            parked.add(ParkedThread.start("corvane-parked-extra-" + i, 5));
        }
        StringBuilder report = new StringBuilder();
        report.append("sun.jnu.encoding=").append(System.getProperty("sun.jnu.encoding")).append('\n');

        // A first capture loads and creates what printing needs (classes, the MBean server), so
        // that the captures below see only the fault they are given.
        Path warmUp = Files.createDirectory(out.resolve("warm-up"));
        String first = NativeManager.nativeRequestStackDumpPath(warmUp.toString());
        report.append("warm-up=").append(first.contains(PARKED_NAME) ? "dump" : first).append('\n');
        Files.delete(warmUp);

        List<String> descriptorsBefore = Descriptors.open();
        List<FileInputStream> dummies = free.equals("all") ? List.of() : useUpDescriptorsBut(Integer.parseInt(free));
        String[] answers = new String[count];
        System.out.println("before");
        for (int i = 0; i < count; i++) {
            answers[i] = NativeManager.nativeRequestStackDumpPath(captureDir);
        }
        System.out.println("after");
        for (FileInputStream dummy : dummies) {
            dummy.close();
        }
        report.append("descriptors-before=").append(descriptorsBefore).append('\n');
        report.append("descriptors-after=").append(Descriptors.openSettledTo(descriptorsBefore)).append('\n');
        report.append("dummies=").append(dummies.size()).append('\n');

        for (int i = 0; i < count; i++) {
            Files.writeString(out.resolve("answer-" + i + ".txt"), String.valueOf(answers[i]), StandardCharsets.UTF_8);
        }
        if (nonAscii) {
            try (Stream<Path> left = Files.list(dir)) {
                report.append("entries-left=").append(left.count()).append('\n');
            }
            Files.delete(dir);
        }
        Files.writeString(out.resolve("report.txt"), report, StandardCharsets.UTF_8);
        for (ParkedThread thread : parked) {
            thread.close();
        }
    }

    /** Opens /dev/null until the descriptor limit refuses, then closes {@code free} of them again. */
    private static List<FileInputStream> useUpDescriptorsBut(int free) throws IOException {
        List<FileInputStream> opened = new ArrayList<>();
        while (true) {
            try {
                opened.add(new FileInputStream("/dev/null"));
            } catch (IOException e) {
                if (!String.valueOf(e.getMessage()).contains("Too many open files")) {
                    throw e;
                }
                break;
            }
            if (opened.size() > 100_000) {
                throw new IllegalStateException("no descriptor limit: start this JVM under a lowered limit");
            }
        }
        for (int i = 0; i < free; i++) {
            opened.remove(opened.size() - 1).close();
        }
        return opened;
    }
}
