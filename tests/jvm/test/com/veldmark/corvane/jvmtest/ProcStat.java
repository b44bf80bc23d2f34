package com.veldmark.corvane.jvmtest;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;

/** Reads the machine's busy ticks the way the kernel reports them, as the reference for the library. */
final class ProcStat {
    private ProcStat() {
    }

    /** user + nice + system of the aggregate "cpu" line of /proc/stat, in USER_HZ ticks. */
    static long busyTicks() throws IOException {
        String text = new String(Files.readAllBytes(Path.of("/proc/stat")), StandardCharsets.US_ASCII);
        for (String line : text.split("\n")) {
            if (line.startsWith("cpu ")) {
                String[] f = line.trim().split("\\s+");
                return Long.parseLong(f[1]) + Long.parseLong(f[2]) + Long.parseLong(f[3]);
            }
        }
        throw new IOException("no aggregate cpu line in /proc/stat");
    }
}
