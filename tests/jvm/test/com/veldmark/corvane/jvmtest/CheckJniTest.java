package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;

import org.junit.jupiter.api.Test;

/** -Xcheck:jni reports misuse of JNI as warnings on the child's streams; there must be none. */
class CheckJniTest {
    @Test
    void everyNativeRunsCleanUnderCheckJni() throws Exception {
        ChildJvm child = ChildJvm.run(AllNativesMain.class);
        assertEquals(0, child.exitCode, child.describe());
        String all = child.stdout + child.stderr;
        assertFalse(all.contains("WARNING"), child.describe());
        assertFalse(all.contains("FATAL ERROR"), child.describe());
    }
}
