package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.api.Test;

/** The GC switch traces to C stdio, so it is watched from outside a child JVM. */
class GcSwitchTest {
    @Test
    void tracesEachSwitchInOrder() throws Exception {
        ChildJvm child = ChildJvm.run(GcSwitchMain.class);
        assertEquals(0, child.exitCode, child.describe());
        assertEquals("DisableGC();\nDisableGC(Done);\nEnableGC();\nEnableGC(Done);\n", child.stdout, child.describe());
    }
}
