import com.sun.management.OperatingSystemMXBean;
import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.IOException;
import java.io.RandomAccessFile;
import java.io.UncheckedIOException;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.function.LongSupplier;

/**
 * Times each metric native of the library next to its floor and the JDK's own way of getting
 * the same figure, per call, through JNI. A trivial native (nativeInit) gives the cost of the
 * JNI crossing alone. When -Dcorvane.floor names the floor library (bench/FloorNatives.cpp),
 * its natives make the same system calls as a metric inline (times(); open, read and close of
 * /proc/stat), so each metric's floor is timed in the same JVM; a native that makes no system
 * call is set against an empty floor native of its own signature.
 *
 * <p>Each operation is warmed up and calibrated to ~2 ms rounds; then every round times each
 * operation once, in turn, so an operation and its floor run a few ms apart and bursts of load
 * on a shared machine touch both alike. The table shows min / median / max of the per-call time
 * across rounds, and for a metric native the median of its per-round ratio to its floor (the
 * floor native of the same round). With -Dbench.out=FILE each row is also appended to FILE as
 * tab-separated fields (jni, Java version, group, operation, min, median, max in ns, paired
 * ratio to the floor or 0).
 *
 * <p>usage: java -Dcorvane.library=... [-Dcorvane.floor=...] JniBench [rounds]
 */
public final class JniBench {
    private static final long ROUND_NANOS = 2_000_000L;
    /** Every result is folded in here, so no call can be dropped as dead code. */
    private static volatile long sink;

    private record Op(String group, String name, LongSupplier call, String floor) {
        Op(String group, String name, LongSupplier call) {
            this(group, name, call, null);
        }
    }

    private record Result(Op op, double min, double median, double max, double paired) {
    }

    private JniBench() {
    }

    public static void main(String[] args) throws Exception {
        int rounds = args.length > 0 ? Integer.parseInt(args[0]) : 201;
        CorvaneLibrary.load();
        OperatingSystemMXBean os = (OperatingSystemMXBean) ManagementFactory.getOperatingSystemMXBean();
        Path procStat = Path.of("/proc/stat");
        byte[] buffer = new byte[64 * 1024];

        ThreadMXBean threads = ManagementFactory.getThreadMXBean();
        boolean floors = System.getProperty("corvane.floor") != null;
        if (floors) {
            BenchFloor.load();
        }
        List<Op> ops = new ArrayList<>();
        ops.add(new Op("JNI floor", "nativeInit(true)", () -> {
            NativeManager.nativeInit(true);
            return 1;
        }));
        if (floors) {
            ops.add(new Op("JNI floor", "floor: empty native", () -> {
                BenchFloor.trivial();
                return 1;
            }));
        }
        // The natives that make no system call are set against an empty native of their own
        // signature: what a crossing costs depends on what it passes and answers.
        if (floors) {
            ops.add(new Op("process id", "floor: empty native answering an int", BenchFloor::answerInt));
        }
        ops.add(new Op("process id", "nativeGetProcessID", NativeManager::nativeGetProcessID,
                floors ? "floor: empty native answering an int" : "nativeInit(true)"));
        ops.add(new Op("process id", "ProcessHandle.current().pid()", () -> ProcessHandle.current().pid()));
        ops.add(new Op("process CPU", "nativeGetProcessCPUTime", NativeManager::nativeGetProcessCPUTime,
                floors ? "floor: native times()+sysconf inline" : null));
        if (floors) {
            ops.add(new Op("process CPU", "floor: native times()+sysconf inline", BenchFloor::times));
        }
        ops.add(new Op("process CPU", "OperatingSystemMXBean.getProcessCpuTime", os::getProcessCpuTime));
        if (floors) {
            ops.add(new Op("thread CPU", "floor: empty native answering a long", BenchFloor::answerLong));
        }
        ops.add(new Op("thread CPU", "nativeGetCurrentThreadCPUTime", NativeManager::nativeGetCurrentThreadCPUTime,
                floors ? "floor: empty native answering a long" : "nativeInit(true)"));
        ops.add(new Op("thread CPU", "ThreadMXBean.getCurrentThreadCpuTime", threads::getCurrentThreadCpuTime));
        ops.add(new Op("system CPU", "nativeGetSystemCPUTime", NativeManager::nativeGetSystemCPUTime,
                floors ? "floor: native open/read/close /proc/stat" : null));
        if (floors) {
            ops.add(new Op("system CPU", "floor: native open/read/close /proc/stat", BenchFloor::procStat));
        }
        ops.add(new Op("system CPU", "Files.readAllBytes(/proc/stat)", () -> {
            try {
                return Files.readAllBytes(procStat).length;
            } catch (IOException e) {
                throw new UncheckedIOException(e);
            }
        }));
        ops.add(new Op("system CPU", "RandomAccessFile read+parse /proc/stat", () -> readBusyTicks(buffer)));
        ops.add(new Op("system CPU", "OperatingSystemMXBean.getCpuLoad", () -> (long) (os.getCpuLoad() * 1e6)));
        if (floors) {
            ops.add(new Op("per mille", "floor: empty native of (long, long) answering a short",
                    () -> BenchFloor.answerShortOfTwoLongs(101, 200)));
        }
        ops.add(new Op("per mille", "nativeGetSystemCPUTimeAsPercentage",
                () -> NativeManager.nativeGetSystemCPUTimeAsPercentage(101, 200),
                floors ? "floor: empty native of (long, long) answering a short" : "nativeInit(true)"));

        System.out.printf("Java %s, %d CPUs, %d rounds of ~%d ms per operation%n%n",
                Runtime.version(), Runtime.getRuntime().availableProcessors(), rounds, ROUND_NANOS / 1_000_000L);
        List<Result> results = measure(ops, rounds);
        double floor = results.get(0).median;
        String out = System.getProperty("bench.out");
        if (out != null) {
            StringBuilder rows = new StringBuilder();
            for (Result r : results) {
                rows.append(String.join("\t", "jni", Runtime.version().toString(), r.op.group, r.op.name,
                        Double.toString(r.min), Double.toString(r.median), Double.toString(r.max),
                        Double.toString(r.paired))).append('\n');
            }
            Files.writeString(Path.of(out), rows, java.nio.file.StandardOpenOption.CREATE,
                    java.nio.file.StandardOpenOption.APPEND);
        }

        System.out.printf("%-12s %-42s %10s %10s %10s %9s %9s%n", "figure", "operation", "min ns", "median ns",
                "max ns", "x JNI", "x floor");
        for (Result r : results) {
            System.out.printf("%-12s %-42s %10.1f %10.1f %10.1f %9.1f %9s%n", r.op.group, r.op.name, r.min, r.median,
                    r.max, r.median / floor, r.paired > 0 ? String.format("%.2f", r.paired) : "");
        }
        System.out.println("(sink " + (sink & 1) + ")");
    }

    private static List<Result> measure(List<Op> ops, int rounds) {
        // Warm-up and calibration: get the call sites compiled, then size each operation's
        // round to ~20 ms.
        long[] calls = new long[ops.size()];
        for (int o = 0; o < ops.size(); o++) {
            LongSupplier call = ops.get(o).call;
            long n = 1;
            while (true) {
                long t = timeCalls(call, n);
                if (t >= ROUND_NANOS / 4) {
                    n = Math.max(1, n * ROUND_NANOS / Math.max(1, t));
                    break;
                }
                n *= 2;
            }
            for (int i = 0; i < 3; i++) {
                timeCalls(call, n);
            }
            calls[o] = n;
        }
        double[][] perCall = new double[ops.size()][rounds];
        for (int r = 0; r < rounds; r++) {
            for (int o = 0; o < ops.size(); o++) {
                perCall[o][r] = (double) timeCalls(ops.get(o).call, calls[o]) / calls[o];
            }
        }
        List<Result> results = new ArrayList<>();
        for (int o = 0; o < ops.size(); o++) {
            double paired = 0;
            String floor = ops.get(o).floor;
            for (int f = 0; floor != null && f < ops.size(); f++) {
                if (ops.get(f).name.equals(floor)) {
                    double[] ratios = new double[rounds];
                    for (int r = 0; r < rounds; r++) {
                        ratios[r] = perCall[o][r] / perCall[f][r];
                    }
                    Arrays.sort(ratios);
                    paired = ratios[rounds / 2];
                }
            }
            double[] v = perCall[o].clone();
            Arrays.sort(v);
            results.add(new Result(ops.get(o), v[0], v[rounds / 2], v[rounds - 1], paired));
        }
        return results;
    }

    private static long timeCalls(LongSupplier call, long calls) {
        long acc = 0;
        long start = System.nanoTime();
        for (long i = 0; i < calls; i++) {
            acc += call.getAsLong();
        }
        long elapsed = System.nanoTime() - start;
        sink += acc;
        return elapsed;
    }

    /** user + nice + system of the aggregate "cpu" line, read with one open/read/close. */
    private static long readBusyTicks(byte[] buffer) {
        int n;
        try (RandomAccessFile f = new RandomAccessFile("/proc/stat", "r")) {
            n = f.read(buffer);
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        int i = 3; // past "cpu"
        long sum = 0;
        for (int field = 0; field < 3 && i < n; field++) {
            while (i < n && buffer[i] == ' ') {
                i++;
            }
            long v = 0;
            while (i < n && buffer[i] >= '0' && buffer[i] <= '9') {
                v = v * 10 + (buffer[i++] - '0');
            }
            sum += v;
        }
        return sum;
    }
}
