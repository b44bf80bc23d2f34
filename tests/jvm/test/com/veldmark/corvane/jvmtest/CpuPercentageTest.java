package com.veldmark.corvane.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.veldmark.corvane.CorvaneLibrary;
import com.veldmark.corvane.trace.NativeManager;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Per-mille = trunc(a / (double) b * 1000) as int32, answered as its low 16 bits. */
class CpuPercentageTest {
    @BeforeAll
    static void load() {
        CorvaneLibrary.load();
    }

    @ParameterizedTest(name = "({0}, {1}) -> {2}")
    @CsvSource({
        // ordinary fractions, truncated toward zero
        "1, 3, 333",
        "2, 3, 666",
        "-1, 3, -333",
        "1, -3, -333",
        "1, 2, 500",
        "1, 3000, 0",
        "-1, 3000, 0",
        // past 16 bits: the low half of the int32
        "40, 1, -25536",
        "-40, 1, 25536",
        // int32 edges: 2147483000 fits, 2147484000 does not
        "2147483, 1, -648",
        "-2147483, 1, 648",
        "2147484, 1, 0",
        "-2147484, 1, 0",
        "4294967297, 2, 0",
        // a zero argument answers 0
        "0, 5, 0",
        "5, 0, 0",
        "0, 0, 0",
    })
    void perMille(long timeDelta, long captureDelta, short expected) {
        assertEquals(expected, NativeManager.nativeGetSystemCPUTimeAsPercentage(timeDelta, captureDelta));
    }
}
