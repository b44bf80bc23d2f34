// Scripting the Mach stand-in of builds made away from macOS (see MachHost.h).
//
// host_statistics answers the scripted replies in order, one per call; with none left it
// fails with KERN_FAILURE. The stand-in records what each call was given, so tests can
// check the port, flavour and room the sampler passes.
#pragma once

#include <cstddef>

#include "jni/macos/MachHost.h"

namespace corvane::mach_standin {

// The port mach_host_self answers.
inline constexpr mach_port_t kHostPort = 0x0b03;

struct Reply {
    kern_return_t kr;
    host_cpu_load_info_data_t load;  // written to the caller's record when kr is KERN_SUCCESS
};

// A successful reply with these tick counters.
Reply Ticks(natural_t uUser, natural_t uNice, natural_t uSystem, natural_t uIdle);
// A failing reply (the caller's record is left as it was).
Reply Failure(kern_return_t kr = KERN_FAILURE);

void Push(const Reply& reply);
// Forgets the replies not yet given and the recorded calls; turns slow writes off.
void Reset();
std::size_t Pending();

struct Call {
    host_t host;
    host_flavor_t flavor;
    mach_msg_type_number_t countIn;
};
int Calls();
Call LastCall();

// When on, a successful reply is written one counter at a time with a pause after each,
// so that overlapping readers of one record would see a mix of two replies.
void SetSlowWrites(bool bOn);

}  // namespace corvane::mach_standin
