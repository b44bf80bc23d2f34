import com.sun.management.OperatingSystemMXBean;
import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.IOException;
import java.io.RandomAccessFile;
import java.io.UncheckedIOException;
import java.lang.management.ManagementFactory;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.function.LongSupplier;

/**
 * Times each metric native of the library next to the JDK's own way of getting the same figure,
 * per call, through JNI. A trivial native (nativeInit) gives the cost of the JNI crossing alone.
 * Each operation is warmed up, calibrated to ~20 ms rounds, then timed over many rounds; the
 * table shows min / median / max of the per-call time across rounds.
 *
 * usage: java -Dcorvane.library=... JniBench [rounds]
 */
public final class JniBench {
    private static final long ROUND_NANOS = 20_000_000L;
    /** Every result is folded in here, so no call can be dropped as dead code. */
    private static volatile long sink;

    private record Op(String group, String name, LongSupplier call) {
    }

    private record Result(Op op, double min, double median, double max) {
    }

    private JniBench() {
    }

    public static void main(String[] args) throws Exception {
        int rounds = args.length > 0 ? Integer.parseInt(args[0]) : 31;
        CorvaneLibrary.load();
        OperatingSystemMXBean os = (OperatingSystemMXBean) ManagementFactory.getOperatingSystemMXBean();
        Path procStat = Path.of("/proc/stat");
        byte[] buffer = new byte[64 * 1024];

        List<Op> ops = List.of(
                new Op("JNI floor", "nativeInit(true)", () -> {
                    NativeManager.nativeInit(true);
                    return 1;
                }),
                new Op("process id", "nativeGetProcessID", NativeManager::nativeGetProcessID),
                new Op("process id", "ProcessHandle.current().pid()", () -> ProcessHandle.current().pid()),
                new Op("process CPU", "nativeGetProcessCPUTime", NativeManager::nativeGetProcessCPUTime),
                new Op("process CPU", "OperatingSystemMXBean.getProcessCpuTime", os::getProcessCpuTime),
                new Op("system CPU", "nativeGetSystemCPUTime", NativeManager::nativeGetSystemCPUTime),
                new Op("system CPU", "Files.readAllBytes(/proc/stat)", () -> {
                    try {
                        return Files.readAllBytes(procStat).length;
                    } catch (IOException e) {
                        throw new UncheckedIOException(e);
                    }
                }),
                new Op("system CPU", "RandomAccessFile read+parse /proc/stat", () -> readBusyTicks(buffer)),
                new Op("per mille", "nativeGetSystemCPUTimeAsPercentage",
                        () -> NativeManager.nativeGetSystemCPUTimeAsPercentage(101, 200)));

        System.out.printf("Java %s, %d CPUs, %d rounds of ~%d ms per operation%n%n",
                Runtime.version(), Runtime.getRuntime().availableProcessors(), rounds, ROUND_NANOS / 1_000_000L);
        List<Result> results = new ArrayList<>();
        for (Op op : ops) {
            results.add(measure(op, rounds));
        }
        double floor = results.get(0).median;

        System.out.printf("%-12s %-40s %10s %10s %10s %9s%n", "figure", "operation", "min ns", "median ns", "max ns", "x floor");
        for (Result r : results) {
            System.out.printf("%-12s %-40s %10.1f %10.1f %10.1f %9.1f%n",
                    r.op.group, r.op.name, r.min, r.median, r.max, r.median / floor);
        }
        System.out.println("(sink " + (sink & 1) + ")");
    }

    private static Result measure(Op op, int rounds) {
        // Warm-up: get the call sites compiled before anything is timed.
        long calls = 1;
        while (true) {
            long t = timeCalls(op.call, calls);
            if (t >= ROUND_NANOS / 4) {
                calls = Math.max(1, calls * ROUND_NANOS / Math.max(1, t));
                break;
            }
            calls *= 2;
        }
        for (int i = 0; i < 5; i++) {
            timeCalls(op.call, calls);
        }
        double[] perCall = new double[rounds];
        for (int i = 0; i < rounds; i++) {
            perCall[i] = (double) timeCalls(op.call, calls) / calls;
        }
        Arrays.sort(perCall);
        return new Result(op, perCall[0], perCall[rounds / 2], perCall[rounds - 1]);
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
