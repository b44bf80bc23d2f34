package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

class StackDumpTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @Test
    void nullPathAnswersTraceError() {
        String answer = NativeManager.nativeRequestStackDumpPath(null);
        assertNotNull(answer);
        assertTrue(answer.startsWith("Trace Error: "), answer);
    }
}
