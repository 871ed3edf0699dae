#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <system_error>
#include <type_traits>

namespace tw::platform {

// Runs work on a thread of its own and calls pump on this one every `every` until the work
// is over, so that a host can keep its events going while the work waits for a device.
// Returns what the work returns. The work must not touch what the pump may touch. Whatever
// way the wait ends (an exception from the pump or the work), the work has ended by then.
// Without a pump, or without a thread to be had, the work runs here.
template <typename Work>
std::invoke_result_t<Work&> runWhilePumping(Work work, const std::function<void()>& pump,
                                            std::chrono::milliseconds every) {
    if (!pump)
        return work();
    std::future<std::invoke_result_t<Work&>> done;
    try {
        done = std::async(std::launch::async, std::ref(work));
    } catch (const std::system_error&) {
        return work();
    }
    try {
        while (done.wait_for(every) != std::future_status::ready)
            pump();
    } catch (...) {
        done.wait();
        throw;
    }
    return done.get();
}

} // namespace tw::platform
