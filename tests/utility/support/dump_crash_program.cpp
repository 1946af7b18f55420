// Installs the crash filter and fails on purpose inside a function with a known name, so that a
// test can open the dump with a debugger and look for that name in the failing thread's
// backtrace. Modes: null-write, abort, stack-overflow, worker-thread (a second thread fails
// while the main thread waits), signal-blocking-thread (a thread that blocks every signal, then
// a null write), threads THREADS (that many idle threads, then a null write).

#include <tollund/CMiniDumper.h>

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// A small address in the null page: a real fault, which no sanitizer reports before it happens.
volatile uintptr_t nullPageAddress = 16;
volatile int recursionLimit = 1 << 30;
std::atomic<int> started{0};

} // namespace

// Outside any namespace, so a backtrace shows the bare names.

extern "C" __attribute__((noinline)) void ZephCrashByNullWrite() {
    *reinterpret_cast<volatile int*>(nullPageAddress) = 42;
    std::abort(); // not reached
}

extern "C" __attribute__((noinline)) void ZephCrashByAbort() {
    std::abort();
}

extern "C" __attribute__((noinline)) int ZephCrashByStackOverflow(int depth) {
    volatile char block[1024];
    block[0] = static_cast<char>(depth);
    if (depth >= recursionLimit) {
        return 0;
    }
    return ZephCrashByStackOverflow(depth + 1) + block[0]; // each level keeps its frame
}

extern "C" __attribute__((noinline)) void ZephCrashInWorkerThread() {
    CMiniDumper::SetUnhandledExceptionFilter(); // this thread's own alternate stack
    ZephCrashByNullWrite();
}

// Blocks every signal, so it cannot be stopped by one and is described from /proc instead.
extern "C" __attribute__((noinline)) void ZephSignalBlockingThread() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    started.fetch_add(1);
    while (true) {
        pause();
    }
}

extern "C" __attribute__((noinline)) void ZephIdleThread() {
    started.fetch_add(1);
    while (true) {
        pause();
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MODE [THREADS]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    CMiniDumper::SetUnhandledExceptionFilter();
    if (mode == "null-write") {
        ZephCrashByNullWrite();
    } else if (mode == "abort") {
        ZephCrashByAbort();
    } else if (mode == "stack-overflow") {
        return ZephCrashByStackOverflow(0);
    } else if (mode == "worker-thread") {
        std::thread(ZephCrashInWorkerThread).join();
    } else if (mode == "signal-blocking-thread") {
        std::thread(ZephSignalBlockingThread).detach();
        while (started.load() < 1) {
            usleep(1000);
        }
        ZephCrashByNullWrite();
    } else if (mode == "threads" && argc > 2) {
        const int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i) {
            std::thread(ZephIdleThread).detach();
        }
        while (started.load() < count) {
            usleep(1000);
        }
        ZephCrashByNullWrite();
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
