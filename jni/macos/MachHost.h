// The Mach host interface the macOS sampler uses: the host port and its CPU-load statistics.
//
// On macOS the system's own Mach headers are used. Builds made away from macOS (the
// emulated macos-i386 preset) get the small stand-in below, written from what the sampler
// needs: the Mach integer types, the CPU-load record (four 32-bit tick counters indexed by
// CPU state) and the two calls. jni/macos/MachHostStandIn.cpp implements the calls for those
// builds, answering samples that tests script.
#pragma once

#if defined(__APPLE__)
#include <mach/mach.h>
#else

#include <cstdint>

typedef std::uint32_t natural_t;
typedef std::int32_t integer_t;
typedef natural_t mach_port_t;
typedef mach_port_t host_t;
typedef natural_t mach_msg_type_number_t;
typedef int kern_return_t;
typedef int boolean_t;
typedef integer_t host_flavor_t;
typedef integer_t* host_info_t;

#define KERN_SUCCESS 0
#define KERN_FAILURE 5

#define CPU_STATE_USER 0
#define CPU_STATE_SYSTEM 1
#define CPU_STATE_IDLE 2
#define CPU_STATE_NICE 3
#define CPU_STATE_MAX 4

// Host statistics flavour of the CPU-load record, and the record's size in integer_t units.
#define HOST_CPU_LOAD_INFO 3
#define HOST_CPU_LOAD_INFO_COUNT \
    ((mach_msg_type_number_t)(sizeof(host_cpu_load_info_data_t) / sizeof(integer_t)))

struct host_cpu_load_info {
    natural_t cpu_ticks[CPU_STATE_MAX];
};
typedef struct host_cpu_load_info host_cpu_load_info_data_t;
typedef struct host_cpu_load_info* host_cpu_load_info_t;

extern "C" {
// The send right of the host port of the calling task.
mach_port_t mach_host_self(void);
// Fills *host_info_out with the statistics of the given flavour; *host_info_outCnt holds
// the room in integer_t units on entry and the size written on return.
kern_return_t host_statistics(host_t host_priv, host_flavor_t flavor, host_info_t host_info_out,
                              mach_msg_type_number_t* host_info_outCnt);
}

#endif
