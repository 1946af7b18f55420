#include <zeph/forms/Application.h>
#include <zeph/forms/MessagePump.h>

namespace zeph::forms {

MessagePump::MessagePump(std::chrono::milliseconds interval)
    : interval_(interval), last_(std::chrono::steady_clock::now()) {}

bool MessagePump::Due() const {
    return std::chrono::steady_clock::now() - last_ >= interval_;
}

bool MessagePump::Tick() {
    if (!Due()) {
        return false;
    }
    Now();
    return true;
}

void MessagePump::Now() {
    Application()->ProcessMessages();
    // The time spent in the handlers is not work: the next interval starts now.
    last_ = std::chrono::steady_clock::now();
}

} // namespace zeph::forms
