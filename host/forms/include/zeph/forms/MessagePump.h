// Lets events through from inside a long loop at a steady pace: a loop calls Tick once per
// step, and every interval of work the application processes its pending messages, so windows
// keep painting and a Cancel button is taken while the loop runs.
#pragma once

#include <zeph/forms/Types.h>

#include <chrono>
#include <future>
#include <type_traits>
#include <utility>

namespace zeph::forms {

class ZEPH_HOST_API MessagePump {
public:
    // Well under the 100 ms after which a person sees a window as frozen.
    static constexpr std::chrono::milliseconds kDefaultInterval{25};

    explicit MessagePump(std::chrono::milliseconds interval = kDefaultInterval);

    // Processes messages when an interval has passed since the last time; true when it did.
    bool Tick();
    // An interval has passed since messages were last processed.
    bool Due() const;
    // Processes messages now.
    void Now();

    // Runs work on a thread of its own and lets events through at this pace until it returns;
    // gives its result, or raises what it raised. For a call that cannot be cut into steps.
    // The work touches nothing the handlers of those events may touch: no window, no control.
    template <typename Work>
    std::invoke_result_t<Work&> RunAside(Work work) {
        auto result = std::async(std::launch::async, std::move(work));
        while (result.wait_for(interval_) != std::future_status::ready) {
            Now();
        }
        return result.get();
    }

private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_;
};

} // namespace zeph::forms
