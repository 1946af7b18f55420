// Per-thread message queues of the library's own, reached by kernel thread id.

#include "MessageQueuePosix.h"

#include <tollund/CFunction.h>

#include <unistd.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using tollund::detail::MessageQueue;

std::mutex& QueuesLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<uint32_t, std::shared_ptr<MessageQueue>>& Queues() {
    static auto* queues = new std::unordered_map<uint32_t, std::shared_ptr<MessageQueue>>;
    return *queues;
}

struct QueueOwner {
    std::shared_ptr<MessageQueue> queue;
    uint32_t threadId = 0;
    ~QueueOwner() {
        if (queue) {
            const std::lock_guard<std::mutex> guard(QueuesLock());
            Queues().erase(threadId);
        }
    }
};

} // namespace

namespace tollund::detail {

MessageQueue& ThisThreadQueue() {
    thread_local QueueOwner owner;
    if (!owner.queue) {
        owner.queue = std::make_shared<MessageQueue>();
        owner.threadId = CFunction::GetCurrentThreadId();
        const std::lock_guard<std::mutex> guard(QueuesLock());
        Queues()[owner.threadId] = owner.queue;
    }
    return *owner.queue;
}

std::shared_ptr<MessageQueue> QueueOfThread(uint32_t threadId) {
    const std::lock_guard<std::mutex> guard(QueuesLock());
    const auto it = Queues().find(threadId);
    return it == Queues().end() ? nullptr : it->second;
}

} // namespace tollund::detail

using tollund::detail::QueueOfThread;
using tollund::detail::ThisThreadQueue;

uint32_t CFunction::GetCurrentThreadId() {
    return static_cast<uint32_t>(gettid());
}

void CFunction::SetMessageHandler(MessageHandler handler, void* context) {
    MessageQueue& queue = ThisThreadQueue();
    const std::lock_guard<std::mutex> guard(queue.lock);
    queue.handler = handler;
    queue.context = context;
}

int CFunction::PostThreadMessage(uint32_t threadId, uint32_t message, uint32_t wParam,
                                 int32_t lParam) {
    const std::shared_ptr<MessageQueue> queue = QueueOfThread(threadId);
    if (!queue) {
        return 0;
    }
    const std::lock_guard<std::mutex> guard(queue->lock);
    queue->messages.push_back({message, wParam, lParam});
    return 1;
}

void CFunction::MsgProcess() {
    MessageQueue& queue = ThisThreadQueue();
    // The messages waiting now; those that handlers post meanwhile wait for the next call.
    std::deque<Message> waiting;
    MessageHandler handler = nullptr;
    void* context = nullptr;
    {
        const std::lock_guard<std::mutex> guard(queue.lock);
        waiting.swap(queue.messages);
        handler = queue.handler;
        context = queue.context;
    }
    for (const Message& message : waiting) {
        if (handler != nullptr) {
            handler(message, context);
        }
    }
}
