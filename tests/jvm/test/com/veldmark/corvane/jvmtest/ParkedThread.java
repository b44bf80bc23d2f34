package com.veldmark.corvane.jvmtest;

import java.util.concurrent.locks.LockSupport;

/**
 * A named daemon thread that recurses a few frames, then parks in {@link #parkHere} until closed,
 * so that a thread dump must show its name and that method. Uses java.base only, so child JVMs
 * started with {@code --limit-modules java.base} can use it.
 */
final class ParkedThread implements AutoCloseable {
    static final String METHOD = ParkedThread.class.getName() + ".parkHere(";

    private final Thread thread;
    private volatile boolean released;

    private ParkedThread(String name, int depth) {
        thread = new Thread(() -> descend(depth), name);
        thread.setDaemon(true);
    }

    /** Starts the thread and returns once it is parked inside {@link #parkHere}. */
    static ParkedThread start(String name, int depth) throws InterruptedException {
        ParkedThread parked = new ParkedThread(name, depth);
        parked.thread.start();
        long deadline = System.nanoTime() + 10_000_000_000L;
        while (!parked.isParkedInParkHere()) {
            if (System.nanoTime() > deadline) {
                throw new IllegalStateException(name + " did not park within 10 s");
            }
            Thread.sleep(1);
        }
        return parked;
    }

    String name() {
        return thread.getName();
    }

    private boolean isParkedInParkHere() {
        if (thread.getState() != Thread.State.WAITING) {
            return false;
        }
        for (StackTraceElement frame : thread.getStackTrace()) {
            if (frame.getMethodName().equals("parkHere")) {
                return true;
            }
        }
        return false;
    }

    private void descend(int depth) {
        if (depth > 0) {
            descend(depth - 1);
        } else {
            parkHere();
        }
    }

    private void parkHere() {
        while (!released) {
            LockSupport.park(this);
        }
    }

    @Override
    public void close() {
        released = true;
        LockSupport.unpark(thread);
        try {
            thread.join(10_000);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
