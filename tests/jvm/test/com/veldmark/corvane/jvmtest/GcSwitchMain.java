package com.veldmark.corvane.jvmtest;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.debug.evaluator.Evaluator;

/** Child JVM for GcSwitchTest: switches the collector off and on, then exits normally. */
public final class GcSwitchMain {
    private GcSwitchMain() {
    }

    public static void main(String[] args) {
        CorvaneLibrary.load();
        Evaluator.nativeDisableGC();
        Evaluator.nativeEnableGC();
    }
}
