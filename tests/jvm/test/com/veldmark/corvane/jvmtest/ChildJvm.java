package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import java.io.File;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;

/**
 * Runs a main class in a fresh JVM (this JVM's own java binary, with -Xcheck:jni and the same
 * library), for behaviour that only shows on the C standard streams, at process exit or under
 * another process's limits: optionally started through a command prefix (a lower descriptor
 * limit with prlimit, other credentials with setpriv), with extra environment variables and its
 * own time limit.
 */
final class ChildJvm {
    final int exitCode;
    final String stdout;
    final String stderr;

    private ChildJvm(int exitCode, String stdout, String stderr) {
        this.exitCode = exitCode;
        this.stdout = stdout;
        this.stderr = stderr;
    }

    static ChildJvm run(Class<?> mainClass, String... args) throws Exception {
        return run(List.of(), mainClass, args);
    }

    /** As {@link #run(Class, String...)}, with extra JVM options placed before the main class. */
    static ChildJvm run(List<String> jvmOptions, Class<?> mainClass, String... args) throws Exception {
        return run(List.of(), Map.of(), jvmOptions, Duration.ofSeconds(120), mainClass, args);
    }

    static ChildJvm run(List<String> prefix, Map<String, String> environment, List<String> jvmOptions,
            Duration timeout, Class<?> mainClass, String... args) throws Exception {
        List<String> cmd = new ArrayList<>(prefix);
        cmd.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
        cmd.add("-Xcheck:jni");
        // No hsperfdata file: the child may run as a user who owns nothing in the temp directory.
        cmd.add("-XX:-UsePerfData");
        // JDK 22+ warns on System.load unless native access is granted; pass on what this JVM got.
        for (String arg : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (arg.startsWith("--enable-native-access")) {
                cmd.add(arg);
            }
        }
        cmd.add("-D" + CorvaneLibrary.PATH_PROPERTY + "=" + libraryPath());
        cmd.addAll(jvmOptions);
        cmd.add("-cp");
        cmd.add(classPath());
        cmd.add(mainClass.getName());
        cmd.addAll(List.of(args));

        Path out = Files.createTempFile("corvane-child", ".out");
        Path err = Files.createTempFile("corvane-child", ".err");
        try {
            ProcessBuilder builder = new ProcessBuilder(cmd)
                    .redirectInput(ProcessBuilder.Redirect.from(new File("/dev/null")))
                    .redirectOutput(out.toFile())
                    .redirectError(err.toFile());
            builder.environment().putAll(environment);
            Process p = builder.start();
            if (!p.waitFor(timeout.toMillis(), TimeUnit.MILLISECONDS)) {
                p.destroyForcibly();
                p.waitFor(10, TimeUnit.SECONDS);
                throw new AssertionError("child JVM did not finish in " + timeout + ": " + cmd + "\n--- stderr ---\n"
                        + read(err));
            }
            return new ChildJvm(p.exitValue(), read(out), read(err));
        } finally {
            Files.deleteIfExists(out);
            Files.deleteIfExists(err);
        }
    }

    static String libraryPath() {
        return System.getProperty(CorvaneLibrary.PATH_PROPERTY);
    }

    /** The directory the test classes were compiled into (child mains use nothing else). */
    static String classPath() throws Exception {
        return Path.of(ChildJvm.class.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }

    /** Runs a short command; its exit code, with its output merged into the message on failure. */
    static Result exec(List<String> cmd) throws Exception {
        Process p = new ProcessBuilder(cmd).redirectErrorStream(true).start();
        String output = new String(p.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        if (!p.waitFor(60, TimeUnit.SECONDS)) {
            p.destroyForcibly();
            throw new AssertionError("did not finish in 60 s: " + cmd);
        }
        return new Result(p.exitValue(), output);
    }

    record Result(int exitCode, String output) {
        boolean ok() {
            return exitCode == 0;
        }
    }

    /** The key=value lines a child main wrote to report.txt in the folder out, by key. */
    static Map<String, String> report(Path out) throws IOException {
        Map<String, String> report = new HashMap<>();
        for (String line : Files.readAllLines(out.resolve("report.txt"), StandardCharsets.UTF_8)) {
            int eq = line.indexOf('=');
            report.put(line.substring(0, eq), line.substring(eq + 1));
        }
        return report;
    }

    private static String read(Path p) throws IOException {
        return new String(Files.readAllBytes(p), StandardCharsets.UTF_8);
    }

    String describe() {
        String shownOut = stdout.length() > 20_000 ? stdout.substring(0, 20_000) + "\n[...]\n" : stdout;
        return "exit " + exitCode + "\n--- stdout ---\n" + shownOut + "--- stderr ---\n" + stderr;
    }
}
