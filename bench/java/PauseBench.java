import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;

/**
 * The workload of one child JVM of the pause benchmark (driven by bench/report.py, which
 * starts it with -Xlog:safepoint and reads the JVM's safepoint log afterwards).
 *
 * <p>{@code pause THREADS DEPTH WARMUP ROUNDS OPS}: parks THREADS threads, each DEPTH recursive
 * frames below its park, then runs WARMUP + ROUNDS rounds; a round runs each operation of the
 * comma-separated OPS once, in turn (starting one operation later each round), each after a
 * quiet gap of {@value #GAP_MS} ms. Each call's
 * start and end (System.nanoTime, the clock of the log's timenanos decoration) are reported, so
 * the driver gives each safepoint to the call it fell in. Operations:
 * {@code capture} (nativeRequestStackDumpPath into a fresh temporary directory),
 * {@code threadprint} (the DiagnosticCommand MBean's threadPrint, called from Java) and
 * {@code dumpall} (ThreadMXBean.dumpAllThreads(false, false)) and {@code copytext} (threadPrint,
 * then its text copied out and into a new String through JNI as the capture does, by the
 * floor library named in -Dcorvane.floor). All but the capture need java.management; a JVM
 * started with --limit-modules java.base runs only the capture.
 *
 * <p>{@code first THREADS LATER}: in this fresh JVM, times the first capture (which pays for
 * the platform MBean server where the capture uses the diagnostic command), then LATER more.
 *
 * <p>Figures go to stderr, one "KEY op n n n" line each: TIMES (ns per round, warm-up
 * included, in order), STARTS and ENDS (System.nanoTime at each call's start and end), BYTES
 * (UTF-8 size of the text the operation answered, last round).
 */
public final class PauseBench {
    static final long GAP_MS = 150;

    private PauseBench() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        if (System.getProperty("corvane.floor") != null) {
            BenchFloor.load();
        }
        Path dir = Files.createTempDirectory("corvane-pause");
        try {
            if (args[0].equals("pause")) {
                pause(dir, Integer.parseInt(args[1]), Integer.parseInt(args[2]), Integer.parseInt(args[3]),
                        Integer.parseInt(args[4]), args[5].split(","));
            } else if (args[0].equals("first")) {
                first(dir, Integer.parseInt(args[1]), Integer.parseInt(args[2]));
            } else {
                throw new IllegalArgumentException("mode pause or first: " + args[0]);
            }
        } finally {
            Files.deleteIfExists(dir);
        }
    }

    private static void pause(Path dir, int threads, int depth, int warmup, int rounds, String[] ops)
            throws Exception {
        List<Thread> parked = ParkedThreads.park(threads, depth, 256 * 1024);
        int total = warmup + rounds;
        long[][] nanos = new long[ops.length][total];
        long[][] starts = new long[ops.length][total];
        long[] bytes = new long[ops.length];
        for (int r = 0; r < total; r++) {
            // Each round starts one operation later than the one before, so that every
            // operation runs after each of the others equally often (one that leaves garbage
            // behind, say, does not always burden the same one).
            for (int k = 0; k < ops.length; k++) {
                int o = (r + k) % ops.length;
                Thread.sleep(GAP_MS);
                long start = System.nanoTime();
                String text = run(ops[o], dir);
                nanos[o][r] = System.nanoTime() - start;
                starts[o][r] = start;
                bytes[o] = text == null ? 0 : text.getBytes(StandardCharsets.UTF_8).length;
            }
        }
        Thread.sleep(GAP_MS);
        for (int o = 0; o < ops.length; o++) {
            report("TIMES " + ops[o], nanos[o]);
            report("STARTS " + ops[o], starts[o]);
            report("BYTES " + ops[o], new long[] {bytes[o]});
        }
        ParkedThreads.release(parked);
    }

    private static void first(Path dir, int threads, int later) throws Exception {
        List<Thread> parked = ParkedThreads.park(threads, 10, 256 * 1024);
        long[] nanos = new long[1 + later];
        for (int i = 0; i < nanos.length; i++) {
            long start = System.nanoTime();
            run("capture", dir);
            nanos[i] = System.nanoTime() - start;
        }
        report("TIMES capture", nanos);
        ParkedThreads.release(parked);
    }

    private static String run(String op, Path dir) {
        switch (op) {
            case "capture": {
                String dump = NativeManager.nativeRequestStackDumpPath(dir.toString());
                if (!dump.contains("Full thread dump")) {
                    throw new IllegalStateException("capture failed: " + dump);
                }
                return dump;
            }
            case "threadprint":
                return Management.threadPrint();
            case "copytext":
                return BenchFloor.copyText(Management.threadPrint());
            case "dumpall":
                Management.dumpAll();
                return null;
            default:
                throw new IllegalArgumentException("unknown operation " + op);
        }
    }

    private static void report(String key, long[] values) {
        StringBuilder line = new StringBuilder(key);
        for (long v : values) {
            line.append(' ').append(v);
        }
        System.err.println(line);
    }

    /** The java.management operations, in a class of their own so a java.base-only JVM never loads it. */
    private static final class Management {
        private Management() {
        }

        static String threadPrint() {
            try {
                return (String) java.lang.management.ManagementFactory.getPlatformMBeanServer().invoke(
                        new javax.management.ObjectName("com.sun.management:type=DiagnosticCommand"), "threadPrint",
                        new Object[] {new String[0]}, new String[] {String[].class.getName()});
            } catch (javax.management.JMException e) {
                throw new IllegalStateException(e);
            }
        }

        static void dumpAll() {
            java.lang.management.ManagementFactory.getThreadMXBean().dumpAllThreads(false, false);
        }
    }
}
