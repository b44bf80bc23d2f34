package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.function.Function;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * Captures in this JVM: the answer is the whole dump, the capture file is gone afterwards and no
 * descriptor is left open. What reaches the console is watched from outside, in StackDumpConsoleTest.
 */
class StackDumpTest {
    private static final String PARKED_NAME = "corvane-parked-in-test";
    private static ParkedThread parked;

    @BeforeAll
    static void load() throws InterruptedException {
        CorvaneLibrary.load();
        parked = ParkedThread.start(PARKED_NAME, 5);
    }

    @AfterAll
    static void release() {
        parked.close();
    }

    /** The generated file name is appended to the directory as given; a trailing separator is harmless. */
    @ParameterizedTest(name = "directory{0}")
    @ValueSource(strings = {"", "/"})
    void captureAnswersTheDumpAndLeavesTheDirectoryEmpty(String suffix, @TempDir Path dir) throws IOException {
        String dump = NativeManager.nativeRequestStackDumpPath(dir + suffix);
        Dumps.assertShowsParked(dump, PARKED_NAME);
        Dumps.assertEmptyDirectory(dir);
    }

    @Test
    void repeatedCapturesLeaveNoDescriptorOpen(@TempDir Path dir) throws Exception {
        // A first capture loads whatever the printing path needs once per JVM.
        Dumps.assertShowsParked(NativeManager.nativeRequestStackDumpPath(dir.toString()), PARKED_NAME);
        List<String> before = Descriptors.open();
        for (int i = 0; i < 20; i++) {
            Dumps.assertShowsParked(NativeManager.nativeRequestStackDumpPath(dir.toString()), PARKED_NAME);
        }
        List<String> after = Descriptors.openSettledTo(before);
        assertEquals(before, after, "what the open descriptors refer to");
        Dumps.assertEmptyDirectory(dir);
    }

    static Stream<Arguments> unusableDirectories() {
        Function<Path, String> none = dir -> null;
        Function<Path, String> missing = dir -> dir.resolve("missing").toString();
        Function<Path, String> regularFile = dir -> {
            try {
                return Files.writeString(dir.resolve("plain-file"), "x").toString();
            } catch (IOException e) {
                throw new IllegalStateException(e);
            }
        };
        return Stream.of(
                Arguments.of("null", none, Dumps.TEMP_PATH_UNDEFINED),
                Arguments.of("missing directory", missing, Dumps.OPEN_FAILED),
                Arguments.of("regular file", regularFile, Dumps.OPEN_FAILED));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("unusableDirectories")
    void unusableDirectoryAnswersTraceError(String label, Function<Path, String> directory, String expected,
            @TempDir Path dir) throws IOException {
        String path = directory.apply(dir);
        List<Path> entriesBefore = entries(dir);
        assertEquals(expected, NativeManager.nativeRequestStackDumpPath(path));
        assertEquals(entriesBefore, entries(dir));
    }

    private static List<Path> entries(Path dir) throws IOException {
        try (Stream<Path> entries = Files.list(dir)) {
            return entries.sorted().toList();
        }
    }
}
