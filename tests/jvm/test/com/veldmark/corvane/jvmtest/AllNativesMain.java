package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.debug.evaluator.Evaluator;
import com.veldmark.corvane.trace.NativeManager;
import java.nio.file.Files;
import java.nio.file.Path;

/** Child JVM for CheckJniTest: calls every native of the library once or more. */
public final class AllNativesMain {
    private AllNativesMain() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        NativeManager.nativeInit(true);
        NativeManager.nativeInit(false);
        NativeManager.nativeGetProcessID();
        NativeManager.nativeGetProcessCPUTime();
        NativeManager.nativeGetProcessCPUUsage();
        NativeManager.nativeGetCurrentThreadCPUTime();
        NativeManager.nativeGetSystemCPUTime();
        NativeManager.nativeGetSystemCPUTimeAsPercentage(1, 3);
        NativeManager.nativeGetSystemCPUTimeAsPercentage(5, 0);
        NativeManager.nativeSetSendTimeout(-1, 1000);
        NativeManager.nativeRequestStackDumpPath(null);
        Path dir = Files.createTempDirectory("corvane-dump");
        try {
            NativeManager.nativeRequestStackDumpPath(dir.toString() + "/");
        } finally {
            try (var files = Files.list(dir)) {
                for (Path f : (Iterable<Path>) files::iterator) {
                    Files.deleteIfExists(f);
                }
            }
            Files.deleteIfExists(dir);
        }
        Evaluator.nativeDisableGC();
        Evaluator.nativeEnableGC();
    }
}
