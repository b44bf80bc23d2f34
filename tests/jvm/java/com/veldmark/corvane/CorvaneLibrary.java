package com.veldmark.corvane;

/**
 * Loads the native library named by the system property {@code corvane.library}
 * (an absolute path), once per JVM.
 */
public final class CorvaneLibrary {
    public static final String PATH_PROPERTY = "corvane.library";

    private static boolean loaded;

    private CorvaneLibrary() {
    }

    public static synchronized void load() {
        if (loaded) {
            return;
        }
        String path = System.getProperty(PATH_PROPERTY);
        if (path == null || path.isEmpty()) {
            throw new IllegalStateException(
                    "set -D" + PATH_PROPERTY + "=<absolute path of Corvane.so.0>");
        }
        System.load(path);
        loaded = true;
    }
}
