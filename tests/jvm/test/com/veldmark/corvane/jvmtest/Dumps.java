package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.regex.Pattern;
import java.util.stream.Stream;

/** Checks on the text of a captured thread dump and on the capture directory. */
final class Dumps {
    static final String OPEN_FAILED =
            "Trace Error: Stack trace sent to the console; output could not be captured. Capture file open failed";
    static final String READ_FAILED =
            "Trace Error: Stack trace sent to the console; output could not be captured. Read failed";
    static final String TEMP_PATH_UNDEFINED = "Trace Error: Temp Path Undefined";

    private static final Pattern JNI_REFS_LINE = Pattern.compile("JNI global refs: \\d+, weak refs: \\d+");
    /** The first line of a Java thread's entry: its name, then its number. */
    private static final Pattern JAVA_THREAD_LINE = Pattern.compile("\"[^\"]*\" #\\d+ ");
    /** The line of a thread the JVM runs for itself: its name, then straight to the OS priority. */
    private static final Pattern NON_JAVA_THREAD_LINE = Pattern.compile("\"[^\"]*\" os_prio=\\d+ ");

    private Dumps() {
    }

    /** One whole dump that shows the parked thread by name and by the method it is parked in. */
    static void assertShowsParked(String dump, String parkedName) {
        assertEquals(1, occurrences(dump, "Full thread dump"), () -> "one dump header expected:\n" + dump);
        assertTrue(dump.contains("\"" + parkedName + "\""), () -> "no thread " + parkedName + " in:\n" + dump);
        assertTrue(dump.contains(ParkedThread.METHOD), () -> "no frame " + ParkedThread.METHOD + " in:\n" + dump);
    }

    /**
     * The dump runs to its end, which depends on what printed it. A JVM with java.management prints
     * the DiagnosticCommand's threadPrint, which ends with the line counting JNI references. A JVM
     * without it (java.base only) prints through JVM_DumpAllStacks where the JVM has it (JDK 17),
     * which ends with the block of non-Java threads, in the order they registered: the last line
     * is one of them, and the block holds the VM thread, the periodic task thread and the first
     * G1 worker (the child must run G1).
     */
    static void assertComplete(String dump, boolean withManagement) {
        List<String> lines = dump.strip().lines().toList();
        String last = lines.isEmpty() ? "" : lines.get(lines.size() - 1);
        if (withManagement) {
            assertTrue(JNI_REFS_LINE.matcher(last).matches(), () -> "last line " + last + " of:\n" + dump);
        } else {
            assertTrue(NON_JAVA_THREAD_LINE.matcher(last).lookingAt(), () -> "last line " + last + " of:\n" + dump);
            int lastJavaThread = -1;
            for (int i = 0; i < lines.size(); i++) {
                if (JAVA_THREAD_LINE.matcher(lines.get(i)).lookingAt()) {
                    lastJavaThread = i;
                }
            }
            List<String> tail = lines.subList(lastJavaThread + 1, lines.size());
            for (String thread : List.of("VM Thread", "VM Periodic Task Thread", "GC Thread#0")) {
                assertTrue(tail.stream().anyMatch(line -> line.startsWith("\"" + thread + "\" os_prio=")),
                        () -> "no " + thread + " after the Java threads of:\n" + dump);
            }
        }
        assertTrue(dump.endsWith("\n"), () -> "dump does not end a line:\n" + dump);
    }

    static void assertEmptyDirectory(Path dir) throws IOException {
        try (Stream<Path> entries = Files.list(dir)) {
            List<Path> left = entries.toList();
            if (!left.isEmpty()) {
                fail("capture left files behind in " + dir + ": " + left);
            }
        }
    }

    static int occurrences(String text, String part) {
        int count = 0;
        for (int at = text.indexOf(part); at >= 0; at = text.indexOf(part, at + part.length())) {
            count++;
        }
        return count;
    }
}
