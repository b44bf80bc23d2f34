package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.io.BufferedInputStream;
import java.io.DataInputStream;
import java.io.EOFException;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * Soak and load in a child JVM (SoakMain): 2,000 captures from 8 threads while 2 threads print
 * numbered lines and 4 threads call the metric natives, after a warm-up round of 200. Every capture is a whole dump, no numbered
 * line is lost or doubled, and the process holds the same descriptors, an empty capture directory
 * and about the same resident memory afterwards. Prints its figures.
 */
class SoakTest {
    private static final int WARM_UP_CAPTURES = 200;
    private static final int CAPTURES = 2_000;
    /**
     * Resident memory may grow by this much from after the warm-up to the end. The heap is fixed and
     * touched up front (-Xms = -Xmx, AlwaysPreTouch), so growth is native: JIT code, metaspace, malloc
     * arenas of the threads of the measured round; up to about 21 MiB was seen on JDK 17. The child
     * parks 100 threads besides, so a dump is about 140 KiB: keeping one buffer or one copy of the
     * text per capture would add over 250 MiB across the 2,000 captures, far beyond the bound (the
     * test checks that the dumps are large enough for that). A leak of a few bytes per capture is not caught here.
     */
    private static final long RSS_GROWTH_BOUND_KIB = 64 * 1024;
    private static final Pattern NUMBERED_LINE =
            Pattern.compile(Pattern.quote(SoakMain.LINE_MARKER) + "([a-z])-(\\d{7})#\n");
    private static final List<String> JVM_OPTIONS =
            List.of("-XX:+UseG1GC", "-Xms128m", "-Xmx128m", "-XX:+AlwaysPreTouch");

    @Test
    void capturesUnderLoadLoseNothingAndLeakNothing(@TempDir Path out) throws Exception {
        long started = System.nanoTime();
        ChildJvm child = ChildJvm.run(List.of(), Map.of(), JVM_OPTIONS, Duration.ofSeconds(240),
                SoakMain.class, out.toString(), Integer.toString(WARM_UP_CAPTURES), Integer.toString(CAPTURES));
        double childSeconds = (System.nanoTime() - started) / 1e9;
        assertEquals(0, child.exitCode, child.describe());
        assertFalse(child.stderr.contains("WARNING"), child.describe());
        assertFalse(child.stderr.contains("FATAL ERROR"), child.describe());
        Map<String, String> report = ChildJvm.report(out);

        int[][] seen = new int[SoakMain.PRINTERS][];
        for (int p = 0; p < SoakMain.PRINTERS; p++) {
            seen[p] = new int[Integer.parseInt(report.get("printed-" + SoakMain.printerLetter(p)))];
        }
        List<String> answers = answers(out);
        assertEquals(WARM_UP_CAPTURES + CAPTURES, answers.size(), "captures answered");
        int inDumps = 0;
        long dumpBytes = 0;
        for (int i = 0; i < answers.size(); i++) {
            String answer = answers.get(i);
            dumpBytes += answer.length();
            inDumps += count(seen, answer, "capture " + i);
            String dump = NUMBERED_LINE.matcher(answer).replaceAll("");
            Dumps.assertShowsParked(dump, SoakMain.PARKED_NAME);
            Dumps.assertComplete(dump, true);
        }
        int onStdout = count(seen, child.stdout, "stdout");
        assertEquals(child.stdout.lines().count(), onStdout, "stdout holds only numbered lines");
        int printed = 0;
        for (int p = 0; p < SoakMain.PRINTERS; p++) {
            printed += seen[p].length;
            List<Integer> wrong = new ArrayList<>();
            for (int n = 0; n < seen[p].length; n++) {
                if (seen[p][n] != 1) {
                    wrong.add(n);
                }
            }
            char letter = SoakMain.printerLetter(p);
            int ofPrinter = seen[p].length;
            assertTrue(wrong.isEmpty(), () -> "printer " + letter + ": " + wrong.size() + " of " + ofPrinter
                    + " lines not found exactly once, first " + wrong.subList(0, Math.min(10, wrong.size())));
        }

        assertEquals("null", report.get("metric-error"), "a metric native answered out of range");
        assertEquals(report.get("descriptors-before"), report.get("descriptors-after"), "open descriptors");
        assertEquals("0", report.get("directory-before"));
        assertEquals("0", report.get("directory-after"), "files left in the capture directory");
        long rssBefore = Long.parseLong(report.get("rss-before-kib"));
        long rssAfter = Long.parseLong(report.get("rss-after-kib"));
        double captureSeconds = Long.parseLong(report.get("capture-nanos")) / 1e9;
        int descriptorCount = report.get("descriptors-after").split(", ").length;
        long meanDumpKib = dumpBytes / answers.size() / 1024;

        System.out.printf("soak on JDK %d: %d captures in %.1f s (%.0f captures/s, %d warm-up captures before)%n",
                Runtime.version().feature(), CAPTURES, captureSeconds, CAPTURES / captureSeconds, WARM_UP_CAPTURES);
        System.out.printf("  %d numbered lines: %d on stdout, %d inside captures, each found once%n",
                printed, onStdout, inDumps);
        System.out.printf("  %s metric native calls; a dump is %d KiB on average%n", report.get("metric-calls"),
                meanDumpKib);
        System.out.printf("  VmRSS %d KiB after warm-up, %d KiB at the end (%+d KiB, bound %d KiB)%n",
                rssBefore, rssAfter, rssAfter - rssBefore, RSS_GROWTH_BOUND_KIB);
        System.out.printf("  %d descriptors open before and after; child JVM ran %.1f s%n",
                descriptorCount, childSeconds);
        assertTrue(CAPTURES * meanDumpKib > 2 * RSS_GROWTH_BOUND_KIB, () -> "dumps of " + meanDumpKib
                + " KiB are too small for the memory bound to reveal one kept per capture");
        assertTrue(rssAfter - rssBefore <= RSS_GROWTH_BOUND_KIB, () -> "VmRSS grew from " + rssBefore + " KiB to "
                + rssAfter + " KiB, more than " + RSS_GROWTH_BOUND_KIB + " KiB");
    }

    /** Counts each numbered line of the text; answers how many there were. Each printer's lines ascend. */
    private static int count(int[][] seen, String text, String where) {
        int found = 0;
        int[] last = new int[SoakMain.PRINTERS];
        Arrays.fill(last, -1);
        Matcher m = NUMBERED_LINE.matcher(text);
        while (m.find()) {
            int printer = m.group(1).charAt(0) - 'a';
            int n = Integer.parseInt(m.group(2));
            if (printer >= SoakMain.PRINTERS || n >= seen[printer].length) {
                fail(where + ": line " + m.group() + " was never printed");
            }
            if (n <= last[printer]) {
                fail(where + ": printer " + m.group(1) + " line " + n + " after line " + last[printer]);
            }
            last[printer] = n;
            seen[printer][n]++;
            found++;
        }
        return found;
    }

    private static List<String> answers(Path out) throws IOException {
        List<String> answers = new ArrayList<>();
        try (DataInputStream in = new DataInputStream(
                new BufferedInputStream(Files.newInputStream(out.resolve("answers.bin")), 1 << 20))) {
            while (true) {
                int length;
                try {
                    length = in.readInt();
                } catch (EOFException end) {
                    return answers;
                }
                answers.add(new String(in.readNBytes(length), StandardCharsets.UTF_8));
            }
        }
    }
}
