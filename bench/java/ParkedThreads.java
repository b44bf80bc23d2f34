import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.locks.LockSupport;

/** The parked threads whose stacks the benchmarks dump: daemon threads, each some frames deep. */
final class ParkedThreads {
    private ParkedThreads() {
    }

    /**
     * Starts count threads named bench-parked-N, each parked depth recursive frames down, and
     * returns once all are parked. stackBytes sets each thread's stack size (0: the JVM's default).
     */
    static List<Thread> park(int count, int depth, long stackBytes) throws InterruptedException {
        CountDownLatch ready = new CountDownLatch(count);
        List<Thread> threads = new ArrayList<>();
        for (int i = 0; i < count; i++) {
            Thread t = new Thread(null, () -> descend(depth - 1, ready), "bench-parked-" + i, stackBytes);
            t.setDaemon(true);
            t.start();
            threads.add(t);
        }
        ready.await();
        return threads;
    }

    /** Wakes the threads for good and waits until they have ended. */
    static void release(List<Thread> threads) throws InterruptedException {
        for (Thread t : threads) {
            t.interrupt();
        }
        for (Thread t : threads) {
            t.join();
        }
    }

    private static void descend(int depth, CountDownLatch ready) {
        if (depth > 0) {
            descend(depth - 1, ready);
        } else {
            ready.countDown();
            while (!Thread.currentThread().isInterrupted()) {
                LockSupport.park();
            }
        }
    }
}
