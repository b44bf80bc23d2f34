package com.veldmark.corvane.trace;

/**
 * The agent's metric and trace entry points, implemented by the native library.
 * The library must be loaded (see {@link com.veldmark.corvane.CorvaneLibrary}) before any call.
 */
public class NativeManager {
    private NativeManager() {
    }

    public static native void nativeInit(boolean b);

    public static native int nativeGetProcessID();

    /** Milliseconds of CPU used by this process (and its waited-for children) since the library was loaded. */
    public static native long nativeGetProcessCPUTime();

    public static native double nativeGetProcessCPUUsage();

    public static native long nativeGetCurrentThreadCPUTime();

    /** Machine-wide busy clock ticks since the library was loaded, modulo 2^32. */
    public static native long nativeGetSystemCPUTime();

    /** Per-mille of {@code jlTimeDelta} over {@code jlCapureDelta}, as a 16-bit value. */
    public static native short nativeGetSystemCPUTimeAsPercentage(long jlTimeDelta, long jlCapureDelta);

    public static native int nativeSetSendTimeout(int jiSocket, int jiTimeOut);

    /** A text dump of every Java thread, or a text starting with "Trace Error: ". */
    public static native String nativeRequestStackDumpPath(String jstrPath);

    /** As nativeRequestStackDumpPath, into a file at a generated name (Solaris set only). */
    public static native String nativeRequestStackDump();
}
