// Integer widths and per-build constants. Each build's types are spelled out so that the
// arithmetic of every build can be compiled and tested on this machine.
#pragma once

#include <cstdint>

#include <jni.h>

// Symbols that the library makes visible besides the JNI entries (JNIEXPORT covers those).
#if defined(_WIN32)
#define CORVANE_VISIBLE
#else
#define CORVANE_VISIBLE __attribute__((visibility("default")))
#endif

namespace corvane {

#if defined(CORVANE_MACOS)
using ClockT = std::uint32_t;  // unsigned 32-bit clock_t: differences wrap, never negative
constexpr jlong kThreadCpuTimeScale = 1000;
#elif defined(CORVANE_SOLARIS) && INTPTR_MAX == INT32_MAX  // SPARC V8+, 32-bit
using ClockT = std::int32_t;
constexpr jlong kThreadCpuTimeScale = 1;
#elif defined(CORVANE_SOLARIS)  // SPARC V9, 64-bit
using ClockT = std::int64_t;
constexpr jlong kThreadCpuTimeScale = 1;
#elif defined(_WIN32)
using ClockT = std::int64_t;  // no times() on Windows: the record is unused there
constexpr jlong kThreadCpuTimeScale = 1;
#else  // Linux x86-64
using ClockT = std::int64_t;
constexpr jlong kThreadCpuTimeScale = 1000;
#endif

// The four fields of a POSIX tms record that the process metrics use, in the build's width.
struct TmsRecord {
    ClockT tms_utime;
    ClockT tms_stime;
    ClockT tms_cutime;
    ClockT tms_cstime;
};

}  // namespace corvane
