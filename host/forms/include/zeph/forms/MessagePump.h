// Lets events through from inside a long loop at a steady pace: a loop calls Tick once per
// step, and every interval of work the application processes its pending messages, so windows
// keep painting and a Cancel button is taken while the loop runs.
#pragma once

#include <zeph/forms/Types.h>

#include <chrono>

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

private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_;
};

} // namespace zeph::forms
