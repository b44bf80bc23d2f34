package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.util.concurrent.CompletableFuture;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

class ProcessIdTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @Test
    void matchesTheJvmsOwnPid() {
        assertEquals(ProcessHandle.current().pid(), NativeManager.nativeGetProcessID());
    }

    @Test
    void isTheSameFromAnotherThread() throws Exception {
        int fromOther = CompletableFuture.supplyAsync(NativeManager::nativeGetProcessID).get();
        assertEquals(NativeManager.nativeGetProcessID(), fromOther);
    }
}
