// Installs the crash filter and then fails in the way its argument names, so that tests can read
// the log and dump files it leaves. "name LIMIT" prints CMiniDumper::GetFileName(LIMIT) instead.
//
// The program replaces the allocator and flock(2) with locking or failing versions, so that a
// failure can be provoked while the allocator's lock or the log's lock is held.

#include <tollund/CFunction.h>
#include <tollund/CMiniDumper.h>

#include <link.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define CRASH_HELPER_OWN_ALLOCATOR 0 // the sanitizer owns the allocator
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CRASH_HELPER_OWN_ALLOCATOR 0
#endif
#endif
#ifndef CRASH_HELPER_OWN_ALLOCATOR
#define CRASH_HELPER_OWN_ALLOCATOR 1
#endif

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {

pthread_mutex_t heapLock = PTHREAD_MUTEX_INITIALIZER;
std::atomic<bool> failInAllocator{false};
std::atomic<bool> failInLogLock{false};

// A real invalid access: a small non-null address, which no sanitizer reports before the fault.
volatile uintptr_t invalidAddress = 16;

[[noreturn]] void Fault() {
    *reinterpret_cast<volatile int*>(invalidAddress) = 1;
    __builtin_trap();
}

class HeapGuard {
public:
    HeapGuard() {
        pthread_mutex_lock(&heapLock);
        if (failInAllocator.load()) {
            Fault(); // the lock stays held
        }
    }
    ~HeapGuard() { pthread_mutex_unlock(&heapLock); }
};

// The processor's own division fault, not a sanitizer's report of it.
__attribute__((no_sanitize("undefined"))) int Divide(int a, int b) {
    return a / b;
}

volatile int recursionLimit = 1 << 30;

int Recurse(int depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    if (depth >= recursionLimit) {
        return 0;
    }
    return Recurse(depth + 1) + block[0]; // not a tail call: every level keeps its frame
}

} // namespace

extern "C" {
#if CRASH_HELPER_OWN_ALLOCATOR
__attribute__((visibility("default"))) void* malloc(size_t size) {
    HeapGuard guard;
    return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(size_t count, size_t size) {
    HeapGuard guard;
    return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* pointer, size_t size) {
    HeapGuard guard;
    return __libc_realloc(pointer, size);
}
__attribute__((visibility("default"))) void free(void* pointer) {
    HeapGuard guard;
    __libc_free(pointer);
}
#endif
// The log takes this lock while it holds its own.
__attribute__((visibility("default"))) int flock(int fd, int operation) {
    if (failInLogLock.load()) {
        Fault();
    }
    return static_cast<int>(syscall(SYS_flock, fd, operation));
}
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MODE\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "name") {
        std::string path = "(unchanged)";
        CMiniDumper::GetFileName(argc > 2 ? std::atoi(argv[2]) : 10, path);
        std::printf("%s\n", path.c_str());
        return 0;
    }
    CMiniDumper::SetUnhandledExceptionFilter();
    if (mode == "segv") {
        Fault();
    } else if (mode == "bus") {
        const int fd = memfd_create("empty", 0);
        auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
        return page[0];
    } else if (mode == "ill") {
        __builtin_trap();
    } else if (mode == "fpe") {
        volatile int zero = 0;
        volatile int one = 1;
        return Divide(one, zero);
    } else if (mode == "abort") {
        std::abort();
    } else if (mode == "stack-overflow") {
        return Recurse(0);
    } else if (mode == "thread-stack-overflow") {
        // A second call gives this thread an alternate stack of its own.
        std::thread([] {
            CMiniDumper::SetUnhandledExceptionFilter();
            Recurse(0);
        }).join();
    } else if (mode == "in-allocator") {
        if (!CRASH_HELPER_OWN_ALLOCATOR) {
            return 77; // cannot replace the allocator here
        }
        failInAllocator = true;
        std::free(std::malloc(16));
    } else if (mode == "in-log") {
        failInLogLock = true;
        CFunction::RLog("never written");
    } else if (mode == "in-loader") {
        dl_iterate_phdr([](dl_phdr_info*, size_t, void*) -> int { Fault(); }, nullptr);
    } else if (mode == "stdio-locked") {
        flockfile(stdout);
        flockfile(stderr);
        Fault();
    } else if (mode == "two-threads") {
        std::thread other([] { Fault(); });
        Fault();
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
