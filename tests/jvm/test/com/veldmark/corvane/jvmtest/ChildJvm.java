package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;

/**
 * Runs a main class in a fresh JVM (this JVM's own java binary, with -Xcheck:jni and the same
 * library), for behaviour that only shows on the C standard streams or at process exit.
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
        List<String> cmd = new ArrayList<>();
        cmd.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
        cmd.add("-Xcheck:jni");
        // JDK 22+ warns on System.load unless native access is granted; pass on what this JVM got.
        for (String arg : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (arg.startsWith("--enable-native-access")) {
                cmd.add(arg);
            }
        }
        cmd.add("-D" + CorvaneLibrary.PATH_PROPERTY + "=" + System.getProperty(CorvaneLibrary.PATH_PROPERTY));
        cmd.addAll(jvmOptions);
        cmd.add("-cp");
        cmd.add(classPathOf(mainClass));
        cmd.add(mainClass.getName());
        cmd.addAll(List.of(args));

        Path out = Files.createTempFile("corvane-child", ".out");
        Path err = Files.createTempFile("corvane-child", ".err");
        try {
            Process p = new ProcessBuilder(cmd)
                    .redirectInput(ProcessBuilder.Redirect.from(new java.io.File("/dev/null")))
                    .redirectOutput(out.toFile())
                    .redirectError(err.toFile())
                    .start();
            if (!p.waitFor(120, TimeUnit.SECONDS)) {
                p.destroyForcibly();
                throw new AssertionError("child JVM did not finish in 120 s: " + cmd);
            }
            return new ChildJvm(p.exitValue(), read(out), read(err));
        } finally {
            Files.deleteIfExists(out);
            Files.deleteIfExists(err);
        }
    }

    private static String classPathOf(Class<?> c) throws Exception {
        return Path.of(c.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }

    private static String read(Path p) throws IOException {
        return new String(Files.readAllBytes(p), StandardCharsets.UTF_8);
    }

    String describe() {
        return "exit " + exitCode + "\n--- stdout ---\n" + stdout + "--- stderr ---\n" + stderr;
    }
}
