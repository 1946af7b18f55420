#include "ThreadStopperLinux.h"

#include "ProcFileLinux.h"
#include "TaskSyscallLinux.h"
#include "ThreadContextLinuxX86_64.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace dbghelp {

namespace {

// A real-time signal near the top of the range: programs rarely use or block these.
int StopSignal() {
    return SIGRTMAX - 1;
}

constexpr int64_t AnswerWaitMs = 1000;
constexpr int64_t ParkMarginMs = 1000;

ThreadRecord records[ThreadCapacity];
std::atomic<int> answered[ThreadCapacity];
std::atomic<size_t> recordCount{0};
std::atomic<int> released{0};
std::atomic<bool> accepting{false};
std::atomic<int64_t> parkUntilNs{0};
bool allAnswered = true;
struct sigaction previousAction;
bool handlerInstalled = false;

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

pid_t CurrentTid() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

int* FutexWord(std::atomic<int>& word) {
    static_assert(sizeof(std::atomic<int>) == sizeof(int));
    return reinterpret_cast<int*>(&word);
}

void FutexWait(std::atomic<int>& word, int expected, int64_t timeoutNs) {
    timespec timeout{static_cast<time_t>(timeoutNs / 1000000000),
                     static_cast<long>(timeoutNs % 1000000000)};
    syscall(SYS_futex, FutexWord(word), FUTEX_WAIT_PRIVATE, expected, &timeout, nullptr, 0);
}

void FutexWakeAll(std::atomic<int>& word) {
    syscall(SYS_futex, FutexWord(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

// Runs on each stopped thread: save the interrupted registers, then park.
void OnStopSignal(int, siginfo_t*, void* rawContext) {
    const int savedErrno = errno;
    if (accepting.load(std::memory_order_acquire)) {
        const pid_t self = CurrentTid();
        const size_t count = recordCount.load(std::memory_order_acquire);
        for (size_t i = 0; i < count; ++i) {
            if (records[i].tid != self || answered[i].load() != 0) {
                continue;
            }
            ContextFromSignal(*static_cast<const ucontext_t*>(rawContext), records[i].context);
            records[i].hasContext = true;
            answered[i].store(1, std::memory_order_release);
            FutexWakeAll(answered[i]);
            // Parked until released; the bound frees the thread should the dumper never return.
            while (released.load(std::memory_order_acquire) == 0) {
                const int64_t left = parkUntilNs.load() - MonotonicNs();
                if (left <= 0) {
                    break;
                }
                FutexWait(released, 0, left < 100000000 ? left : 100000000);
            }
            break;
        }
    }
    errno = savedErrno;
}

size_t ListThreads() {
    const int folder = open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return 0;
    }
    alignas(8) static char entries[16 * 1024];
    size_t count = 0;
    while (count < ThreadCapacity) {
        const ssize_t got = getdents64(folder, entries, sizeof entries);
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got && count < ThreadCapacity;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] < '0' || name[0] > '9') {
                continue;
            }
            long tid = 0;
            for (const char* c = name; *c >= '0' && *c <= '9'; ++c) {
                tid = tid * 10 + (*c - '0');
            }
            std::memset(&records[count], 0, sizeof records[count]);
            records[count].tid = static_cast<pid_t>(tid);
            answered[count].store(0);
            ++count;
        }
    }
    close(folder);
    return count;
}

// For a thread that did not stop: where it waits in the kernel, if it does.
void DescribeFromProc(ThreadRecord& record) {
    char path[64];
    char text[256];
    if (!TaskFilePath(record.tid, "syscall", path, sizeof path)) {
        return;
    }
    const size_t length = ReadProcFile(path, text, sizeof text);
    uint64_t stackPointer = 0;
    uint64_t instructionPointer = 0;
    if (ParseTaskSyscall(text, length, stackPointer, instructionPointer)) {
        ContextFromPointers(stackPointer, instructionPointer, record.context);
        record.hasContext = true;
    }
}

// The caller's own registers, for a dump taken without a failing thread's context. Apart, as
// getcontext returns like setjmp and would endanger the caller's locals.
__attribute__((noinline)) bool CaptureOwnContext(format::ContextAmd64Data& context) {
    ucontext_t own;
    if (getcontext(&own) != 0) {
        return false;
    }
    ContextFromSignal(own, context);
    return true;
}

} // namespace

void ThreadStopper::StopAll(pid_t exceptionTid, const ucontext_t* exceptionContext,
                            const DumpDeadline& deadline) {
    released.store(0);
    allAnswered = true;
    const size_t count = ListThreads();
    recordCount.store(count, std::memory_order_release);
    parkUntilNs.store(MonotonicNs() + (deadline.RemainingMs() + ParkMarginMs) * 1000000);

    struct sigaction action {};
    action.sa_sigaction = OnStopSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigfillset(&action.sa_mask);
    if (!handlerInstalled) {
        handlerInstalled = sigaction(StopSignal(), &action, &previousAction) == 0;
    }
    accepting.store(true, std::memory_order_release);

    const pid_t self = CurrentTid();
    const pid_t process = static_cast<pid_t>(syscall(SYS_getpid));
    bool signalled[ThreadCapacity] = {};
    for (size_t i = 0; i < count; ++i) {
        if (records[i].tid == self) {
            continue;
        }
        signalled[i] =
            handlerInstalled && syscall(SYS_tgkill, process, records[i].tid, StopSignal()) == 0;
        if (!signalled[i] && errno == ESRCH) {
            records[i].tid = 0; // ended meanwhile
        }
    }
    const int64_t waitMs =
        deadline.RemainingMs() < AnswerWaitMs ? deadline.RemainingMs() : AnswerWaitMs;
    const int64_t waitUntil = MonotonicNs() + waitMs * 1000000;
    for (size_t i = 0; i < count; ++i) {
        while (signalled[i] && answered[i].load(std::memory_order_acquire) == 0) {
            const int64_t left = waitUntil - MonotonicNs();
            if (left <= 0 || deadline.Expired()) {
                break;
            }
            FutexWait(answered[i], 0, left);
        }
    }
    accepting.store(false, std::memory_order_release);

    for (size_t i = 0; i < count; ++i) {
        if (records[i].tid == 0) {
            continue;
        }
        const bool isException = records[i].tid == exceptionTid && exceptionContext != nullptr;
        if (isException) {
            ContextFromSignal(*exceptionContext, records[i].context);
            records[i].hasContext = true;
        } else if (records[i].tid == self) {
            records[i].hasContext = CaptureOwnContext(records[i].context);
        } else if (answered[i].load(std::memory_order_acquire) == 0) {
            allAnswered = false;
            DescribeFromProc(records[i]);
        }
    }
    // Threads that ended drop out of the list.
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        if (records[i].tid != 0) {
            if (kept != i) {
                records[kept] = records[i];
            }
            ++kept;
        }
    }
    recordCount.store(kept);
}

void ThreadStopper::ResumeAll() {
    released.store(1, std::memory_order_release);
    FutexWakeAll(released);
    // A thread that never answered may still take the signal later; the handler stays then, as
    // the default action of this signal would end the process.
    if (handlerInstalled && allAnswered) {
        sigaction(StopSignal(), &previousAction, nullptr);
        handlerInstalled = false;
    }
}

size_t ThreadStopper::Count() const {
    return recordCount.load();
}

const ThreadRecord& ThreadStopper::At(size_t index) const {
    return records[index];
}

} // namespace dbghelp
