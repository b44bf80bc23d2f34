import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.IOException;
import java.io.UncheckedIOException;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import java.util.function.ToLongFunction;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import javax.management.MBeanServer;
import javax.management.ObjectName;

/**
 * Times one thread-dump capture (NativeManager.nativeRequestStackDumpPath) with 100 and 1,000
 * parked threads, each about 20 frames deep, next to the JDK's own ways of getting a dump in the
 * same JVM: the DiagnosticCommand MBean's threadPrint called from Java, and
 * ThreadMXBean.dumpAllThreads(false, false). It also times the capture with its directory on
 * tmpfs, and, in a child JVM whose stdout is /dev/null, the JVM printing the same dump straight
 * to the console (a capture into a missing directory prints the stacks to descriptor 1 and
 * captures nothing): the difference to a capture is what the capture file round trip costs.
 *
 * <p>Memory: in a child JVM whose heap is fixed and touched up front (-Xms = -Xmx,
 * -XX:+AlwaysPreTouch, Serial GC) and whose malloc serves every block of 64 KiB and more by a
 * fresh mapping (MALLOC_MMAP_THRESHOLD_=65536), the peak resident set is reset before each
 * operation (writing 5 to /proc/self/clear_refs) and read from VmHWM after it. The growth is
 * the native memory the operation touched at its peak (buffers, copies of the text, thread
 * stacks grown), not Java heap, which is already resident.
 *
 * <p>usage: java -Dcorvane.library=... CaptureBench [rounds]
 */
public final class CaptureBench {
    private static final int DEPTH = 20;
    private static final int WARMUP = 5;
    private static final Pattern NUMBERS = Pattern.compile("([A-Z]+)((?: -?\\d+)+)");

    private CaptureBench() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        if (args.length > 0 && args[0].equals("--child")) {
            child(args[1], Integer.parseInt(args[2]), Integer.parseInt(args[3]));
            return;
        }
        int rounds = args.length > 0 ? Integer.parseInt(args[0]) : 15;
        System.out.printf("Java %s, %d CPUs, %d timed rounds per operation after %d warm-up rounds%n",
                Runtime.version(), Runtime.getRuntime().availableProcessors(), rounds, WARMUP);
        for (int threads : new int[] {100, 1000}) {
            timeAll(threads, rounds);
        }
        for (int threads : new int[] {100, 1000}) {
            memory(threads, Math.max(5, rounds / 2));
        }
    }

    // ---------------------------------------------------------------- timing

    private static void timeAll(int threads, int rounds) throws Exception {
        Path onDisk = Files.createTempDirectory("corvane-bench");
        Path onTmpfs = Files.createTempDirectory(Path.of("/dev/shm"), "corvane-bench");
        List<Thread> parked = ParkedThreads.park(threads, DEPTH, 0);
        try {
            MBeanServer server = ManagementFactory.getPlatformMBeanServer();
            ThreadMXBean mx = ManagementFactory.getThreadMXBean();
            String dump = NativeManager.nativeRequestStackDumpPath(onDisk.toString());
            int dumpBytes = dump.getBytes(StandardCharsets.UTF_8).length;
            List<String> names = List.of(
                    "capture, directory on " + fsOf(onDisk),
                    "capture, directory on tmpfs",
                    "DiagnosticCommand threadPrint (Java)",
                    "ThreadMXBean.dumpAllThreads(false,false)");
            List<ToLongFunction<Void>> ops = List.of(
                    v -> check(NativeManager.nativeRequestStackDumpPath(onDisk.toString())),
                    v -> check(NativeManager.nativeRequestStackDumpPath(onTmpfs.toString())),
                    v -> threadPrint(server).length(),
                    v -> mx.dumpAllThreads(false, false).length);
            long[][] nanos = new long[ops.size()][rounds];
            for (int r = -WARMUP; r < rounds; r++) {
                // One round runs every operation once, so drift on the machine touches all alike.
                for (int o = 0; o < ops.size(); o++) {
                    long start = System.nanoTime();
                    ops.get(o).applyAsLong(null);
                    long took = System.nanoTime() - start;
                    if (r >= 0) {
                        nanos[o][r] = took;
                    }
                }
            }
            long[] console = childNumbers("devnull", threads, rounds, false).get("TIMES");

            System.out.printf("%n%d parked threads (%d frames deep), dump %,d bytes%n", threads, DEPTH, dumpBytes);
            System.out.printf("%-44s %9s %9s %9s %9s%n", "operation", "min ms", "median ms", "max ms", "x capture");
            double base = median(nanos[0]);
            for (int o = 0; o < ops.size(); o++) {
                row(names.get(o), nanos[o], base);
            }
            row("JVM printing it to /dev/null (child JVM)", console, base);
        } finally {
            ParkedThreads.release(parked);
            Files.deleteIfExists(onDisk);
            Files.deleteIfExists(onTmpfs);
        }
    }

    private static void row(String name, long[] nanos, double base) {
        long[] sorted = nanos.clone();
        Arrays.sort(sorted);
        System.out.printf("%-44s %9.2f %9.2f %9.2f %9.2f%n", name, sorted[0] / 1e6, median(sorted) / 1e6,
                sorted[sorted.length - 1] / 1e6, median(sorted) / base);
    }

    private static long check(String dump) {
        if (!dump.contains("Full thread dump")) {
            throw new IllegalStateException("capture failed: " + dump);
        }
        return dump.length();
    }

    private static String threadPrint(MBeanServer server) {
        try {
            return (String) server.invoke(new ObjectName("com.sun.management:type=DiagnosticCommand"), "threadPrint",
                    new Object[] {new String[0]}, new String[] {String[].class.getName()});
        } catch (Exception e) {
            throw new IllegalStateException(e);
        }
    }

    // ---------------------------------------------------------------- memory

    private static void memory(int threads, int rounds) throws Exception {
        Map<String, long[]> kib = childNumbers("memory", threads, rounds, true);
        long dumpBytes = kib.get("DUMP")[0];
        System.out.printf("%nPeak native memory touched, %d parked threads, dump %,d bytes (%,d KiB); %d rounds%n",
                threads, dumpBytes, dumpBytes / 1024, rounds);
        System.out.printf("%-44s %9s %9s %9s %11s%n", "operation", "min KiB", "median KiB", "max KiB", "median/dump");
        for (String op : List.of("CAPTURE", "THREADPRINT", "DUMPALL")) {
            long[] v = kib.get(op).clone();
            Arrays.sort(v);
            String name = switch (op) {
                case "CAPTURE" -> "capture";
                case "THREADPRINT" -> "DiagnosticCommand threadPrint (Java)";
                default -> "ThreadMXBean.dumpAllThreads(false,false)";
            };
            System.out.printf("%-44s %9d %9d %9d %11.2f%n", name, v[0], (long) median(v), v[v.length - 1],
                    median(v) * 1024 / dumpBytes);
        }
    }

    // ---------------------------------------------------------------- child JVMs

    /**
     * Runs this class in a child JVM in the given mode and answers the numbers it reports on
     * stderr, one "KEY n n n" line per figure. The child's stdout goes to /dev/null.
     */
    private static Map<String, long[]> childNumbers(String mode, int threads, int rounds, boolean memory)
            throws Exception {
        List<String> cmd = new ArrayList<>();
        cmd.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
        for (String arg : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (arg.startsWith("--enable-native-access")) {
                cmd.add(arg);
            }
        }
        if (memory) {
            cmd.addAll(List.of("-Xms1g", "-Xmx1g", "-XX:+AlwaysPreTouch", "-XX:+UseSerialGC"));
        }
        cmd.add("-D" + CorvaneLibrary.PATH_PROPERTY + "=" + System.getProperty(CorvaneLibrary.PATH_PROPERTY));
        cmd.addAll(List.of("-cp", System.getProperty("java.class.path"), CaptureBench.class.getName(), "--child",
                mode, Integer.toString(threads), Integer.toString(rounds)));
        ProcessBuilder pb = new ProcessBuilder(cmd)
                .redirectInput(ProcessBuilder.Redirect.from(new java.io.File("/dev/null")))
                .redirectOutput(ProcessBuilder.Redirect.to(new java.io.File("/dev/null")));
        if (memory) {
            pb.environment().put("MALLOC_MMAP_THRESHOLD_", "65536");
        }
        Path err = Files.createTempFile("corvane-bench", ".err");
        try {
            Process p = pb.redirectError(err.toFile()).start();
            if (!p.waitFor(600, TimeUnit.SECONDS) || p.exitValue() != 0) {
                p.destroyForcibly();
                throw new IllegalStateException("child failed: " + Files.readString(err));
            }
            Map<String, long[]> numbers = new HashMap<>();
            for (String line : Files.readAllLines(err)) {
                Matcher m = NUMBERS.matcher(line);
                if (m.matches()) {
                    numbers.put(m.group(1), Arrays.stream(m.group(2).trim().split(" ")).mapToLong(Long::parseLong).toArray());
                }
            }
            for (String key : memory ? List.of("DUMP", "CAPTURE", "THREADPRINT", "DUMPALL") : List.of("TIMES")) {
                if (!numbers.containsKey(key)) {
                    throw new IllegalStateException("child reported no " + key + ":\n" + Files.readString(err));
                }
            }
            return numbers;
        } finally {
            Files.deleteIfExists(err);
        }
    }

    private static void child(String mode, int threads, int rounds) throws Exception {
        List<Thread> parked = ParkedThreads.park(threads, DEPTH, 0);
        Path dir = Files.createTempDirectory("corvane-bench");
        try {
            if (mode.equals("devnull")) {
                String missing = dir.resolve("missing").toString();
                long[] nanos = new long[rounds];
                for (int r = -WARMUP; r < rounds; r++) {
                    long start = System.nanoTime();
                    NativeManager.nativeRequestStackDumpPath(missing);
                    long took = System.nanoTime() - start;
                    if (r >= 0) {
                        nanos[r] = took;
                    }
                }
                report("TIMES", nanos);
            } else {
                MBeanServer server = ManagementFactory.getPlatformMBeanServer();
                ThreadMXBean mx = ManagementFactory.getThreadMXBean();
                String dump = NativeManager.nativeRequestStackDumpPath(dir.toString());
                report("DUMP", new long[] {dump.getBytes(StandardCharsets.UTF_8).length});
                List<Runnable> ops = List.of(
                        () -> check(NativeManager.nativeRequestStackDumpPath(dir.toString())),
                        () -> threadPrint(server),
                        () -> mx.dumpAllThreads(false, false));
                long[][] kib = new long[ops.size()][rounds];
                for (int r = -WARMUP; r < rounds; r++) {
                    for (int o = 0; o < ops.size(); o++) {
                        resetPeak();
                        long before = status("VmHWM");
                        ops.get(o).run();
                        long grown = status("VmHWM") - before;
                        if (r >= 0) {
                            kib[o][r] = grown;
                        }
                    }
                }
                report("CAPTURE", kib[0]);
                report("THREADPRINT", kib[1]);
                report("DUMPALL", kib[2]);
            }
        } finally {
            ParkedThreads.release(parked);
            Files.deleteIfExists(dir);
        }
    }

    private static void report(String key, long[] values) {
        StringBuilder line = new StringBuilder(key);
        for (long v : values) {
            line.append(' ').append(v);
        }
        System.err.println(line);
    }

    /** Sets VmHWM back to the current resident set (Linux 4.0 and later). */
    private static void resetPeak() {
        try {
            Files.writeString(Path.of("/proc/self/clear_refs"), "5");
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    /** A figure of /proc/self/status in KiB. */
    private static long status(String key) {
        try {
            for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
                if (line.startsWith(key + ":")) {
                    return Long.parseLong(line.substring(key.length() + 1).replace("kB", "").trim());
                }
            }
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        throw new IllegalStateException("no " + key + " in /proc/self/status");
    }

        private static String fsOf(Path dir) throws IOException {
        return Files.getFileStore(dir).type() + " (" + dir.getParent() + ")";
    }

    private static double median(long[] values) {
        long[] sorted = values.clone();
        Arrays.sort(sorted);
        int n = sorted.length;
        return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
    }
}
