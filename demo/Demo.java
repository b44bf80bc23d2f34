import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.stream.Stream;

/**
 * Loads the Corvane library (path in -Dcorvane.library) and shows what it answers, next to
 * the JVM's own figures where there are any.
 */
public final class Demo {
    /** Linux reports CPU time in USER_HZ ticks, 100 per second on every Linux ABI. */
    private static final int TICKS_PER_SECOND = 100;
    private static volatile long sink;

    private Demo() {
    }

    public static void main(String[] args) throws Exception {
        CorvaneLibrary.load();
        NativeManager.nativeInit(true);
        System.out.printf("Corvane on Java %s (%s)%n%n", Runtime.version(), System.getProperty("java.vm.name"));

        System.out.println("Process");
        System.out.printf("  process id            %d   (Java says %d)%n",
                NativeManager.nativeGetProcessID(), ProcessHandle.current().pid());
        long cpuBefore = NativeManager.nativeGetProcessCPUTime();
        System.out.printf("  CPU time since load   %d ms%n", cpuBefore);
        System.out.printf("  CPU usage             %.1f   (not measured on Linux)%n",
                NativeManager.nativeGetProcessCPUUsage());
        System.out.printf("  this thread's CPU     %d ms   (needs the old JVMPI interface, which no current JVM offers)%n",
                NativeManager.nativeGetCurrentThreadCPUTime());
        System.out.println();

        int cpus = Runtime.getRuntime().availableProcessors();
        System.out.printf("Machine load while this demo keeps one of %d CPUs busy for 1 s%n", cpus);
        long busyBefore = NativeManager.nativeGetSystemCPUTime();
        long start = System.nanoTime();
        spin(1000);
        long wallMillis = (System.nanoTime() - start) / 1_000_000L;
        long busyAfter = NativeManager.nativeGetSystemCPUTime();
        long cpuAfter = NativeManager.nativeGetProcessCPUTime();

        // The counter wraps at 2^32 ticks, so the difference is taken modulo 2^32.
        long busyTicks = Math.floorMod(busyAfter - busyBefore, 1L << 32);
        long wallTicks = wallMillis * TICKS_PER_SECOND / 1000;
        long availableTicks = wallTicks * cpus;
        short perMille = NativeManager.nativeGetSystemCPUTimeAsPercentage(busyTicks, availableTicks);
        System.out.printf("  busy ticks            %d -> %d: %d ticks (1 tick = 1/%d s, all CPUs together)%n",
                busyBefore, busyAfter, busyTicks, TICKS_PER_SECOND);
        System.out.printf("  ticks available       %d ms wall = %d ticks x %d CPUs = %d ticks%n",
                wallMillis, wallTicks, cpus, availableTicks);
        System.out.printf("  machine busy          %d per mille (%.1f %%), from nativeGetSystemCPUTimeAsPercentage(%d, %d)%n",
                perMille, perMille / 10.0, busyTicks, availableTicks);
        System.out.printf("  this process's CPU    %d ms during the busy second (%d ms in all since load)%n",
                cpuAfter - cpuBefore, cpuAfter);
        System.out.println();

        System.out.println("Thread dump");
        Path dir = Files.createTempDirectory("corvane-demo");
        try {
            String dump = NativeManager.nativeRequestStackDumpPath(dir + "/");
            summarize(dump);
        } finally {
            deleteTree(dir);
        }
    }

    private static void summarize(String dump) {
        if (dump == null) {
            System.out.println("  (no answer)");
            return;
        }
        if (dump.startsWith("Trace Error: ")) {
            System.out.println("  the library answered an error: " + dump.strip());
            return;
        }
        List<String> names = new ArrayList<>();
        for (String line : dump.split("\\R")) {
            if (line.startsWith("\"")) {
                int end = line.indexOf('"', 1);
                names.add(end > 0 ? line.substring(1, end) : line.substring(1));
            }
        }
        System.out.printf("  %d threads, %d characters of text%n", names.size(), dump.length());
        int shown = Math.min(5, names.size());
        for (int i = 0; i < shown; i++) {
            System.out.println("    \"" + names.get(i) + "\"");
        }
        if (names.size() > shown) {
            System.out.printf("    ... and %d more%n", names.size() - shown);
        }
    }

    private static void spin(long millis) {
        long end = System.nanoTime() + millis * 1_000_000L;
        long x = 1;
        while (System.nanoTime() < end) {
            for (int i = 0; i < 10_000; i++) {
                x = x * 6364136223846793005L + 1442695040888963407L;
            }
        }
        sink = x;
    }

    private static void deleteTree(Path dir) throws IOException {
        try (Stream<Path> paths = Files.walk(dir)) {
            for (Path p : (Iterable<Path>) paths.sorted(Comparator.reverseOrder())::iterator) {
                Files.deleteIfExists(p);
            }
        }
    }
}
