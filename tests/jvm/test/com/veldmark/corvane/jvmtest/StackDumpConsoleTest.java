package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Captures in child JVMs (StackDumpMain), where the real stdout can be read: the dump goes into
 * the answer and not to the console, except when the capture fails, and the console works after.
 */
class StackDumpConsoleTest {
    /** G1 fixes the threads a dump through JVM_DumpAllStacks ends with (see Dumps.assertComplete). */
    private static final String G1 = "-XX:+UseG1GC";
    private static final Pattern NUMBERED_LINE =
            Pattern.compile(Pattern.quote(StackDumpMain.LINE_MARKER) + "(\\d{6})#\n");

    static Stream<Arguments> moduleSets() {
        return Stream.of(
                Arguments.of("all modules", List.of(G1)),
                Arguments.of("java.base only", List.of(G1, "--limit-modules", "java.base")));
    }

    /**
     * Lines printed around two captures reach stdout in order, and nothing else does. With java.base
     * alone there is no DiagnosticCommand: JDK 17 still prints through JVM_DumpAllStacks; JDK 25 has
     * no way to print, so the capture answers "Read failed", prints nothing and leaves no exception.
     */
    @ParameterizedTest(name = "{0}")
    @MethodSource("moduleSets")
    void linesPrintedAroundCapturesReachStdoutInOrder(String label, List<String> options, @TempDir Path out)
            throws Exception {
        ChildJvm child = ChildJvm.run(options, StackDumpMain.class, "around", out.toString());
        assertEquals(0, child.exitCode, child.describe());
        assertEquals("before\nafter-1\nafter-2\n", child.stdout, child.describe());
        assertCleanStderr(child);
        for (String name : List.of("capture-0.txt", "capture-1.txt")) {
            assertCaptureAnswer(read(out.resolve(name)), options);
        }
        Dumps.assertEmptyDirectory(out.resolve("captures"));
    }

    /**
     * A capture's answer in a child started with these module options: a whole dump, or, where the
     * JVM has no way to print (JDK 25 with java.base alone), "Read failed".
     */
    private static void assertCaptureAnswer(String answer, List<String> options) {
        boolean withManagement = options.size() == 1;
        if (withManagement || Runtime.version().feature() < 25) {
            Dumps.assertShowsParked(answer, StackDumpMain.PARKED_NAME);
            Dumps.assertComplete(answer, withManagement);
        } else {
            assertEquals(Dumps.READ_FAILED, answer);
        }
    }

    @Test
    void failedCaptureSendsTheStacksToStdout(@TempDir Path out) throws Exception {
        ChildJvm child = ChildJvm.run(List.of(G1), StackDumpMain.class, "missing", out.toString());
        assertEquals(0, child.exitCode, child.describe());
        assertEquals(Dumps.OPEN_FAILED, read(out.resolve("capture-0.txt")));
        assertCleanStderr(child);
        String stdout = child.stdout;
        assertTrue(stdout.startsWith("before\n") && stdout.endsWith("\nafter\n"), child.describe());
        String console = stdout.substring("before\n".length(), stdout.length() - "after\n".length());
        Dumps.assertShowsParked(console, StackDumpMain.PARKED_NAME);
        Dumps.assertComplete(console, true);
        assertFalse(Files.exists(out.resolve("missing")));
    }

    /** Captures from several threads at once are taken one after the other: each answer is one whole dump. */
    @ParameterizedTest(name = "{0}")
    @MethodSource("moduleSets")
    void concurrentCapturesEachAnswerOneWholeDump(String label, List<String> options, @TempDir Path out)
            throws Exception {
        ChildJvm child = ChildJvm.run(options, StackDumpMain.class, "concurrent", out.toString());
        assertEquals(0, child.exitCode, child.describe());
        assertEquals("after\n", child.stdout, child.describe());
        assertCleanStderr(child);
        for (int t = 0; t < StackDumpMain.CONCURRENT_THREADS; t++) {
            for (int i = 0; i < StackDumpMain.CAPTURES_PER_THREAD; i++) {
                assertCaptureAnswer(read(out.resolve("capture-" + t + "-" + i + ".txt")), options);
            }
        }
        Dumps.assertEmptyDirectory(out.resolve("captures"));
    }

    /**
     * A line printed while descriptor 1 points at the capture file lands in that dump, any other on
     * stdout: each numbered line is found exactly once across stdout and all dumps. Inside a dump it
     * may follow part of a line the JVM wrote in pieces, but it still ends a line.
     */
    @Test
    void linesPrintedDuringCapturesAreNeitherLostNorDoubled(@TempDir Path out) throws Exception {
        ChildJvm child = ChildJvm.run(List.of(G1), StackDumpMain.class, "interleave", out.toString());
        assertEquals(0, child.exitCode, child.describe());
        assertCleanStderr(child);
        int printed = Integer.parseInt(read(out.resolve("printed.txt")));
        int[] seen = new int[printed];

        List<Integer> onStdout = numbers(child.stdout);
        assertEquals(child.stdout.lines().count(), onStdout.size(), "stdout holds only numbered lines");
        assertAscending("stdout", onStdout);
        count(seen, onStdout, "stdout");
        int inDumps = 0;
        for (int i = 0; i < StackDumpMain.INTERLEAVED_CAPTURES; i++) {
            String dump = read(out.resolve("capture-" + i + ".txt"));
            Dumps.assertShowsParked(dump, StackDumpMain.PARKED_NAME);
            List<Integer> inDump = numbers(dump);
            assertAscending("capture " + i, inDump);
            count(seen, inDump, "capture " + i);
            inDumps += inDump.size();
        }
        List<Integer> wrong = new ArrayList<>();
        for (int n = 0; n < printed; n++) {
            if (seen[n] != 1) {
                wrong.add(n);
            }
        }
        assertTrue(wrong.isEmpty(), () -> wrong.size() + " of " + printed + " lines not found exactly once, first "
                + wrong.subList(0, Math.min(10, wrong.size())));
        System.out.printf("%d numbered lines: %d on stdout, %d inside dumps%n", printed, onStdout.size(), inDumps);
        Dumps.assertEmptyDirectory(out.resolve("captures"));
    }

    private static List<Integer> numbers(String text) {
        List<Integer> found = new ArrayList<>();
        Matcher m = NUMBERED_LINE.matcher(text);
        while (m.find()) {
            found.add(Integer.parseInt(m.group(1)));
        }
        return found;
    }

    private static void assertAscending(String where, List<Integer> numbers) {
        for (int i = 1; i < numbers.size(); i++) {
            if (numbers.get(i) <= numbers.get(i - 1)) {
                fail(where + ": line " + numbers.get(i) + " after line " + numbers.get(i - 1));
            }
        }
    }

    private static void count(int[] seen, List<Integer> numbers, String where) {
        for (int n : numbers) {
            if (n >= seen.length) {
                fail(where + ": line " + n + " beyond the " + seen.length + " printed");
            }
            seen[n]++;
        }
    }

    /** -Xcheck:jni reports misuse of JNI as warnings; the child must run clean. */
    private static void assertCleanStderr(ChildJvm child) {
        assertFalse(child.stderr.contains("WARNING"), child.describe());
        assertFalse(child.stderr.contains("FATAL ERROR"), child.describe());
    }

    private static String read(Path file) throws IOException {
        return Files.readString(file, StandardCharsets.UTF_8);
    }
}
