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

    private Dumps() {
    }

    /** One whole dump that shows the parked thread by name and by the method it is parked in. */
    static void assertShowsParked(String dump, String parkedName) {
        assertEquals(1, occurrences(dump, "Full thread dump"), () -> "one dump header expected:\n" + dump);
        assertTrue(dump.contains("\"" + parkedName + "\""), () -> "no thread " + parkedName + " in:\n" + dump);
        assertTrue(dump.contains(ParkedThread.METHOD), () -> "no frame " + ParkedThread.METHOD + " in:\n" + dump);
    }

    /**
     * The dump runs to its last line. JDK 17 prints through JVM_DumpAllStacks, which ends with the
     * non-Java threads in reverse order of creation, so the first G1 worker comes last (the child
     * must run G1); later JDKs print the DiagnosticCommand's threadPrint, which ends with the line
     * counting JNI references.
     */
    static void assertComplete(String dump) {
        List<String> lines = dump.strip().lines().toList();
        String last = lines.isEmpty() ? "" : lines.get(lines.size() - 1);
        if (Runtime.version().feature() < 25) {
            assertTrue(last.startsWith("\"GC Thread#0\" "), () -> "last line " + last + " of:\n" + dump);
        } else {
            assertTrue(JNI_REFS_LINE.matcher(last).matches(), () -> "last line " + last + " of:\n" + dump);
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
