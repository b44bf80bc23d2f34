// The Mach calls of the macOS sampler, for builds made away from macOS: scripted replies
// (MachHostStandIn.h) in place of the kernel's.
#include "jni/macos/MachHostStandIn.h"

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace corvane::mach_standin {
namespace {

struct State {
    std::mutex lock;
    std::deque<Reply> replies;
    int iCalls = 0;
    Call last{};
    bool bSlowWrites = false;
};

State& TheState() {
    static State s_state;
    return s_state;
}

}  // namespace

Reply Ticks(natural_t uUser, natural_t uNice, natural_t uSystem, natural_t uIdle) {
    Reply reply{KERN_SUCCESS, {}};
    reply.load.cpu_ticks[CPU_STATE_USER] = uUser;
    reply.load.cpu_ticks[CPU_STATE_NICE] = uNice;
    reply.load.cpu_ticks[CPU_STATE_SYSTEM] = uSystem;
    reply.load.cpu_ticks[CPU_STATE_IDLE] = uIdle;
    return reply;
}

Reply Failure(kern_return_t kr) { return Reply{kr, {}}; }

void Push(const Reply& reply) {
    std::lock_guard<std::mutex> guard(TheState().lock);
    TheState().replies.push_back(reply);
}

void Reset() {
    std::lock_guard<std::mutex> guard(TheState().lock);
    TheState().replies.clear();
    TheState().iCalls = 0;
    TheState().last = Call{};
    TheState().bSlowWrites = false;
}

std::size_t Pending() {
    std::lock_guard<std::mutex> guard(TheState().lock);
    return TheState().replies.size();
}

int Calls() {
    std::lock_guard<std::mutex> guard(TheState().lock);
    return TheState().iCalls;
}

Call LastCall() {
    std::lock_guard<std::mutex> guard(TheState().lock);
    return TheState().last;
}

void SetSlowWrites(bool bOn) {
    std::lock_guard<std::mutex> guard(TheState().lock);
    TheState().bSlowWrites = bOn;
}

}  // namespace corvane::mach_standin

using corvane::mach_standin::Reply;
using corvane::mach_standin::TheState;

extern "C" mach_port_t mach_host_self(void) { return corvane::mach_standin::kHostPort; }

extern "C" kern_return_t host_statistics(host_t host_priv, host_flavor_t flavor, host_info_t host_info_out,
                                         mach_msg_type_number_t* host_info_outCnt) {
    Reply reply{KERN_FAILURE, {}};
    bool bSlow = false;
    {
        std::lock_guard<std::mutex> guard(TheState().lock);
        ++TheState().iCalls;
        TheState().last = {host_priv, flavor, host_info_outCnt != nullptr ? *host_info_outCnt : 0};
        if (!TheState().replies.empty()) {
            reply = TheState().replies.front();
            TheState().replies.pop_front();
        }
        bSlow = TheState().bSlowWrites;
    }
    if (reply.kr != KERN_SUCCESS) return reply.kr;
    // As the kernel does: only the CPU-load flavour, into room for the whole record.
    if (flavor != HOST_CPU_LOAD_INFO || host_info_outCnt == nullptr ||
        *host_info_outCnt < HOST_CPU_LOAD_INFO_COUNT) {
        return KERN_FAILURE;
    }
    auto* pLoad = reinterpret_cast<host_cpu_load_info_t>(host_info_out);
    for (int iState = 0; iState < CPU_STATE_MAX; ++iState) {
        pLoad->cpu_ticks[iState] = reply.load.cpu_ticks[iState];
        if (bSlow) std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    *host_info_outCnt = HOST_CPU_LOAD_INFO_COUNT;
    return KERN_SUCCESS;
}
