#pragma once

#include <tollund/CFunction.h>

#include <deque>
#include <memory>
#include <mutex>

namespace tollund::detail {

struct MessageQueue {
    std::mutex lock;
    std::deque<CFunction::Message> messages;
    CFunction::MessageHandler handler = nullptr;
    void* context = nullptr;
};

// The calling thread's queue, made on first use and unregistered when the thread ends.
MessageQueue& ThisThreadQueue();

// The queue of a thread that has one, kept alive while the caller holds it; null otherwise.
std::shared_ptr<MessageQueue> QueueOfThread(uint32_t threadId);

} // namespace tollund::detail
