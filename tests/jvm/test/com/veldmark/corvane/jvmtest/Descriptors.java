package com.veldmark.corvane.jvmtest;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.stream.Stream;

/** The descriptors a process holds, for the checks that nothing leaked (no JUnit: child JVMs use it too). */
final class Descriptors {
    private Descriptors() {
    }

    /**
     * What the open descriptors of this process refer to, sorted. Numbers are left out, and so
     * are the listing's own descriptor and any that closed while the directory was read: a
     * descriptor the JVM opens for a moment must not shift a comparison.
     */
    static List<String> open() throws IOException {
        try (Stream<Path> fds = Files.list(Path.of("/proc/self/fd"))) {
            return fds.map(fd -> {
                try {
                    return Files.readSymbolicLink(fd).toString();
                } catch (IOException e) {
                    return "";
                }
            }).filter(target -> !target.isEmpty() && !target.matches("/proc/\\d+/fd")).sorted().toList();
        }
    }

    /**
     * The open descriptors, listed again for up to a second until they match {@code expected}:
     * one the JVM holds for a moment (its own work, not the library's) has closed by then, a
     * leaked one never does. Answers the last listing.
     */
    static List<String> openSettledTo(List<String> expected) throws IOException, InterruptedException {
        List<String> now = open();
        for (int i = 0; i < 20 && !now.equals(expected); i++) {
            Thread.sleep(50);
            now = open();
        }
        return now;
    }
}
