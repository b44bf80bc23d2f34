package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.attribute.FileTime;
import java.nio.file.attribute.PosixFilePermissions;
import java.time.Duration;
import java.util.List;
import java.util.Map;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.Assumptions;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Faults injected into real JVM processes (CaptureFaultMain): each capture answers its text, the
 * stacks reach the console when the capture cannot hold them, and a line printed after the fault
 * still reaches stdout. CI runs as root, so refusals come from a read-only mount or from running the
 * child as nobody (setpriv), never from mode bits alone.
 */
class CaptureFaultTest {
    static final String DUP_FAILED =
            "Trace Error: Stack trace sent to the console; output could not be captured. Stdout dup failed";
    static final String FALLBACK = "Trace Error: Stack trace sent to the console; output could not be captured.\n"
            + "Start as service or redirect console output for Corvane integrated trace.";
    /** A descriptor limit low enough to use up quickly, high enough for the JVM to start. */
    private static final int DESCRIPTOR_LIMIT = 256;
    private static final List<String> DROP_TO_NOBODY =
            List.of("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups");
    /** The capture file's name is the directory as given followed by "/file" and six characters. */
    private static final int NAME_TAIL = "/fileAbC123".length();
    /** The kernel refuses a path of PATH_MAX (4,096) bytes or more, its terminating zero included. */
    private static final int PATH_MAX = 4096;

    /**
     * Exactly k descriptors free at the capture. None: the capture file cannot be opened. One: it is
     * opened, and saving descriptor 1 fails. Two: the capture works, only the wait for writers (which
     * needs an inotify descriptor) is skipped.
     */
    @ParameterizedTest(name = "{0} descriptors free")
    @CsvSource(nullValues = "captured", value = {
        "0, " + Dumps.OPEN_FAILED,
        "1, " + DUP_FAILED,
        "2, captured",
    })
    void descriptorLimitReached(int free, String expected, @TempDir Path tmp) throws Exception {
        assumeCommand("prlimit", "--version");
        Path captures = Files.createDirectory(tmp.resolve("captures"));
        Path out = Files.createDirectory(tmp.resolve("out"));
        ChildJvm child = runChild(List.of("prlimit", "--nofile=" + DESCRIPTOR_LIMIT), Map.of(), out,
                captures.toString(), 1, Integer.toString(free), 0);
        Map<String, String> report = ChildJvm.report(out);
        assertTrue(Integer.parseInt(report.get("dummies")) > 0, () -> "no descriptor used up: " + report);
        assertEquals(report.get("descriptors-before"), report.get("descriptors-after"),
                () -> "descriptors left open by the failed capture: " + report);
        if (expected == null) {
            assertCaptured(child, out, 1);
        } else {
            assertSentToConsole(child, out, expected);
        }
        Dumps.assertEmptyDirectory(captures);
    }

    static Stream<Arguments> unusableDirectories() {
        return Stream.of(
                Arguments.of("missing directory", (Directory) tmp -> tmp.resolve("missing").toString()),
                Arguments.of("regular file", (Directory) tmp -> Files.writeString(tmp.resolve("plain"), "x").toString()),
                Arguments.of("directory path of 4,096 characters", (Directory) tmp -> deepDirectory(tmp, PATH_MAX)));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("unusableDirectories")
    void unusableDirectorySendsTheStacksToTheConsole(String label, Directory directory, @TempDir Path tmp)
            throws Exception {
        Path out = Files.createDirectory(tmp.resolve("out"));
        try {
            String dir = directory.create(tmp);
            ChildJvm child = runChild(List.of(), Map.of(), out, dir, 1, "all", 0);
            assertSentToConsole(child, out, Dumps.OPEN_FAILED);
        } finally {
            removeDeepDirectory(tmp);
        }
        assertFalse(Files.exists(tmp.resolve("missing")), "the missing directory was created");
        if (Files.exists(tmp.resolve("plain"))) {
            assertEquals("x", Files.readString(tmp.resolve("plain")), "the regular file was changed");
        }
    }

    /**
     * A path as long as the kernel takes once the name is appended works: the library sets no
     * shorter limit of its own.
     */
    @Test
    void longestDirectoryPathThatFitsWorks(@TempDir Path tmp) throws Exception {
        Path out = Files.createDirectory(tmp.resolve("out"));
        try {
            String dir = deepDirectory(tmp, PATH_MAX - 1 - NAME_TAIL);
            ChildJvm child = runChild(List.of(), Map.of(), out, dir, 1, "all", 0);
            assertCaptured(child, out, 1);
            Dumps.assertEmptyDirectory(Path.of(dir));
        } finally {
            removeDeepDirectory(tmp);
        }
    }

    /** The child runs in a UTF-8 locale so that Java and the library name the directory alike. */
    @Test
    void nonAsciiDirectoryWorks(@TempDir Path tmp) throws Exception {
        capturesIntoChildMadeDirectory("non-ascii", tmp);
    }

    /**
     * A name with a character outside the BMP: Java names the file in UTF-8, the library must not
     * look for it under JNI's modified UTF-8 (the character as two encoded surrogates).
     */
    @Test
    void directoryNamedOutsideTheBmpWorks(@TempDir Path tmp) throws Exception {
        capturesIntoChildMadeDirectory("outside-bmp", tmp);
    }

    private static void capturesIntoChildMadeDirectory(String which, Path tmp) throws Exception {
        Path out = Files.createDirectory(tmp.resolve("out"));
        ChildJvm child = runChild(List.of(), Map.of("LC_ALL", "C.UTF-8"), out, which, 1, "all", 0);
        Map<String, String> report = ChildJvm.report(out);
        assertEquals("UTF-8", report.get("sun.jnu.encoding"), () -> "child file names not UTF-8: " + report);
        assertCaptured(child, out, 1);
        assertEquals("0", report.get("entries-left"), () -> "capture left files in the directory: " + report);
    }

    /** Read-only through a read-only bind mount of the directory onto itself (EROFS, even for root). */
    @Test
    void readOnlyMountSendsTheStacksToTheConsole(@TempDir Path tmp) throws Exception {
        Path dir = Files.createDirectory(tmp.resolve("read-only"));
        Path out = Files.createDirectory(tmp.resolve("out"));
        mount(List.of("-o", "bind,ro", dir.toString(), dir.toString()), dir);
        try {
            assertFalse(Files.isWritable(dir), "bind mount is not read-only");
            ChildJvm child = runChild(List.of(), Map.of(), out, dir.toString(), 1, "all", 0);
            assertSentToConsole(child, out, Dumps.OPEN_FAILED);
            Dumps.assertEmptyDirectory(dir);
        } finally {
            unmount(dir);
        }
    }

    /** Read-only through the mode bits (0555), with the child JVM run as nobody (setpriv) so they apply. */
    @Test
    void directoryWithoutWritePermissionSendsTheStacksToTheConsole(@TempDir Path tmp) throws Exception {
        assumeCommand("setpriv", "--version");
        // JUnit's temporary directory is private to root; nobody must pass through it.
        Files.setPosixFilePermissions(tmp, PosixFilePermissions.fromString("rwxr-xr-x"));
        Path dir = Files.createDirectory(tmp.resolve("not-writable"));
        Files.setPosixFilePermissions(dir, PosixFilePermissions.fromString("r-xr-xr-x"));
        Path out = Files.createDirectory(tmp.resolve("out"));
        ChildJvm.exec(List.of("chown", "65534:65534", out.toString()));
        ChildJvm.Result access = ChildJvm.exec(concat(DROP_TO_NOBODY, List.of("sh", "-c",
                "test -r \"$1\" && test -r \"$2\" && test -w \"$3\" && test ! -w \"$4\"", "sh",
                ChildJvm.libraryPath(), ChildJvm.classPath(), out.toString(), dir.toString())));
        Assumptions.assumeTrue(access.ok(), "skipped: nobody cannot read the library or classes (or write "
                + out + "), or can write " + dir + ": " + access.output());

        ChildJvm child = runChild(DROP_TO_NOBODY, Map.of(), out, dir.toString(), 1, "all", 0);
        assertSentToConsole(child, out, Dumps.OPEN_FAILED);
        Dumps.assertEmptyDirectory(dir);
    }

    /**
     * A 16 KiB tmpfs, and 300 parked threads besides, so that the dump (some hundreds of KiB) fills
     * the file system part way: the write of the dump fails with ENOSPC, the partial file is removed
     * and the whole dump goes to the console.
     */
    @Test
    void fileSystemFullMidDumpSendsTheStacksToTheConsole(@TempDir Path tmp) throws Exception {
        Path dir = Files.createDirectory(tmp.resolve("small-tmpfs"));
        Path out = Files.createDirectory(tmp.resolve("out"));
        mount(List.of("-t", "tmpfs", "-o", "size=16k,mode=0777", "corvane-full", dir.toString()), dir);
        try {
            ChildJvm child = runChild(List.of(), Map.of(), out, dir.toString(), 1, "all", 300);
            String console = assertSentToConsole(child, out, FALLBACK);
            assertTrue(console.length() > 4 * 16 * 1024, () -> "dump of " + console.length()
                    + " characters would not have filled 16 KiB");
            Dumps.assertEmptyDirectory(dir);
        } finally {
            unmount(dir);
        }
    }

    /**
     * Links planted in the capture directory, named as generated names are, to a victim file and to a
     * file that does not exist yet: 50 captures never write through them and leave them in place.
     * (A link planted at the very name a capture is about to use is covered by the unit test
     * CaptureTest.PlantedLinkAtTheNameIsNeverFollowed, which controls the generated name.)
     */
    @Test
    void plantedLinksAreNeverWrittenThrough(@TempDir Path tmp) throws Exception {
        Path dir = Files.createDirectory(tmp.resolve("captures"));
        Path out = Files.createDirectory(tmp.resolve("out"));
        Path victim = Files.writeString(tmp.resolve("victim.txt"), "victim's own content\n");
        FileTime victimTime = FileTime.fromMillis(1_000_000_000_000L);
        Files.setLastModifiedTime(victim, victimTime);
        Path notYet = tmp.resolve("not-yet-created");
        Map<Path, Path> links = Map.of(
                dir.resolve("fileAbC123"), victim,
                dir.resolve("fileXyZ789"), notYet);
        for (Map.Entry<Path, Path> link : links.entrySet()) {
            Files.createSymbolicLink(link.getKey(), link.getValue());
        }

        ChildJvm child = runChild(List.of(), Map.of(), out, dir.toString(), 50, "all", 0);
        assertCaptured(child, out, 50);
        assertArrayEquals("victim's own content\n".getBytes(StandardCharsets.UTF_8), Files.readAllBytes(victim));
        assertEquals(victimTime, Files.getLastModifiedTime(victim));
        assertFalse(Files.exists(notYet, LinkOption.NOFOLLOW_LINKS), "a capture created the link's target");
        for (Map.Entry<Path, Path> link : links.entrySet()) {
            assertEquals(link.getValue(), Files.readSymbolicLink(link.getKey()));
        }
        try (Stream<Path> entries = Files.list(dir)) {
            assertEquals(links.keySet(), entries.collect(Collectors.toSet()));
        }
    }

    /** Builds a capture directory; answers the path to hand to the library. */
    @FunctionalInterface
    interface Directory {
        String create(Path tmp) throws Exception;
    }

    private static ChildJvm runChild(List<String> prefix, Map<String, String> environment, Path out,
            String captureDir, int count, String free, int extraParked) throws Exception {
        ChildJvm child = ChildJvm.run(prefix, environment, List.of(), Duration.ofSeconds(120),
                CaptureFaultMain.class, out.toString(), captureDir, Integer.toString(count), free,
                Integer.toString(extraParked));
        assertEquals(0, child.exitCode, child.describe());
        // -Xcheck:jni reports misuse of JNI as warnings; the child must run clean.
        assertFalse(child.stderr.contains("WARNING"), child.describe());
        assertFalse(child.stderr.contains("FATAL ERROR"), child.describe());
        return child;
    }

    /** The captures answered whole dumps, and only the lines the child printed reached stdout. */
    private static void assertCaptured(ChildJvm child, Path out, int count) throws IOException {
        assertEquals("before\nafter\n", child.stdout, child.describe());
        for (int i = 0; i < count; i++) {
            String answer = Files.readString(out.resolve("answer-" + i + ".txt"), StandardCharsets.UTF_8);
            Dumps.assertShowsParked(answer, CaptureFaultMain.PARKED_NAME);
            Dumps.assertComplete(answer, true);
        }
    }

    /**
     * The capture answered the expected text, the whole dump sits between the lines printed before
     * and after it on stdout; answers the dump seen there.
     */
    private static String assertSentToConsole(ChildJvm child, Path out, String expected) throws IOException {
        assertEquals(expected, Files.readString(out.resolve("answer-0.txt"), StandardCharsets.UTF_8));
        String stdout = child.stdout;
        assertTrue(stdout.startsWith("before\n") && stdout.endsWith("\nafter\n"), child.describe());
        String console = stdout.substring("before\n".length(), stdout.length() - "after\n".length());
        Dumps.assertShowsParked(console, CaptureFaultMain.PARKED_NAME);
        Dumps.assertComplete(console, true);
        return console;
    }


    /**
     * Creates tmp/deep/... as a real directory whose path is exactly {@code length} characters, in
     * components of at most 200. mkdir -p builds it step by step, so it also goes past PATH_MAX.
     */
    private static String deepDirectory(Path tmp, int length) throws Exception {
        StringBuilder path = new StringBuilder(tmp.resolve("deep").toString());
        while (path.length() < length) {
            int remaining = length - path.length();
            int step = Math.min(remaining, 201);
            if (remaining - step == 1) {
                step--; // never leave a lone separator for the last component
            }
            path.append('/').append("d".repeat(step - 1));
        }
        ChildJvm.Result made = ChildJvm.exec(List.of("mkdir", "-p", path.toString()));
        assertTrue(made.ok(), () -> "mkdir -p of " + length + " characters: " + made.output());
        assertEquals(length, path.length());
        return path.toString();
    }

    /** rm walks a tree deeper than PATH_MAX, which JUnit's clean-up cannot. */
    private static void removeDeepDirectory(Path tmp) throws Exception {
        ChildJvm.exec(List.of("rm", "-rf", tmp.resolve("deep").toString()));
    }

    /** Mounts, or skips the test with the reason where this machine does not allow it. */
    private static void mount(List<String> arguments, Path where) throws Exception {
        ChildJvm.Result mounted = ChildJvm.exec(concat(List.of("mount"), arguments));
        Assumptions.assumeTrue(mounted.ok(), () -> "skipped: mounting is not allowed here (mount "
                + String.join(" ", arguments) + "): " + mounted.output());
        assertTrue(ChildJvm.exec(List.of("mountpoint", "-q", where.toString())).ok(), "not mounted: " + where);
    }

    private static void unmount(Path where) throws Exception {
        ChildJvm.Result result = ChildJvm.exec(List.of("umount", where.toString()));
        assertTrue(result.ok(), () -> "umount " + where + ": " + result.output());
    }

    private static void assumeCommand(String... command) throws Exception {
        boolean present;
        try {
            present = ChildJvm.exec(List.of(command)).ok();
        } catch (IOException e) {
            present = false;
        }
        Assumptions.assumeTrue(present, "skipped: " + command[0] + " is not installed");
    }

    private static List<String> concat(List<String> a, List<String> b) {
        return Stream.concat(a.stream(), b.stream()).toList();
    }
}
