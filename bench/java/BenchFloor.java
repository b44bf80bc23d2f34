/**
 * The floor natives of bench/FloorNatives.cpp (library corvane_benchfloor, path in the system
 * property {@code corvane.floor}): what each metric native cannot avoid, timed through JNI.
 */
final class BenchFloor {
    private BenchFloor() {
    }

    static void load() {
        String path = System.getProperty("corvane.floor");
        if (path == null || path.isEmpty()) {
            throw new IllegalStateException("set -Dcorvane.floor=<absolute path of libcorvane_benchfloor.so>");
        }
        System.load(path);
    }

    /** Nothing: the JNI crossing alone. */
    static native void trivial();

    /** The crossing alone, as a native answering an int it holds (the process id). */
    static native int answerInt();

    /** The crossing alone, as a native answering a long it holds (a thread CPU time of 0). */
    static native long answerLong();

    /** The crossing alone, as a native computing a short from two longs (a per-mille share). */
    static native short answerShortOfTwoLongs(long a, long b);

    /** times() and sysconf(_SC_CLK_TCK), the process CPU time in ms. */
    static native long times();

    /** One open, read and close of /proc/stat; the busy ticks of its "cpu" line. */
    static native long procStat();

    /** The text as modified UTF-8 (GetStringUTFChars) and back into a new String (NewStringUTF). */
    static native String copyText(String text);
}
