package com.veldmark.corvane.debug.evaluator;

/** The debugger's garbage-collector switch, implemented by the native library. */
public class Evaluator {
    private Evaluator() {
    }

    public static native void nativeEnableGC();

    public static native void nativeDisableGC();
}
