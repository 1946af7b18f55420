// libdbghelp.so: the debug-help library of this platform. MiniDumpWriteDump writes a standard
// minidump of the calling process, from inside a signal handler: no allocation, no locks, no
// stdio, only system calls and fixed static storage, and a time limit on the whole.

#include "DumpDeadlineLinux.h"
#include "MinidumpEmitterLinux.h"
#include "ProcessSnapshotLinux.h"
#include "ThreadStopperLinux.h"

#include <tollund/CMiniDumper.h>

#include <signal.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr uint32_t DefaultTimeLimitMs = 10000;

uint32_t timeLimitMs = DefaultTimeLimitMs;
std::atomic<bool> busy{false};

// Read while the library is loaded, as the environment may be unsafe to read at the failure.
__attribute__((constructor)) void ReadTimeLimit() {
    const char* text = std::getenv("DBGHELP_TIME_LIMIT_MS");
    if (text == nullptr || *text == '\0') {
        return;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (*end == '\0' && value > 0 && value <= 600000) {
        timeLimitMs = static_cast<uint32_t>(value);
    }
}

dbghelp::ThreadStopper stopper;
dbghelp::ProcessSnapshot snapshot;

} // namespace

extern "C" __attribute__((visibility("default"))) int
MiniDumpWriteDump(int32_t process, int32_t processId, int file, int dumpType,
                  const CMiniDumper::MiniDumpExceptionInformation* exception,
                  const void* userStreams, const void* callback) {
    // Every dump type is written as the normal one; user streams and callbacks are not offered.
    (void)process;
    (void)dumpType;
    (void)userStreams;
    (void)callback;
    if (processId != static_cast<int32_t>(syscall(SYS_getpid))) {
        errno = EINVAL; // only the calling process can be dumped from inside it
        return 0;
    }
    if (file < 0) {
        errno = EBADF;
        return 0;
    }
    bool expected = false;
    if (!busy.compare_exchange_strong(expected, true)) {
        errno = EBUSY; // the static storage serves one dump at a time
        return 0;
    }
    const int savedErrno = errno;

    const CMiniDumper::ExceptionInfo* pointers =
        exception != nullptr ? exception->exceptionPointers : nullptr;
    const pid_t exceptionTid = exception != nullptr && pointers != nullptr
                                   ? static_cast<pid_t>(exception->threadId)
                                   : static_cast<pid_t>(syscall(SYS_gettid));
    const auto* context =
        pointers != nullptr ? static_cast<const ucontext_t*>(pointers->context) : nullptr;

    dbghelp::DumpDeadline deadline;
    deadline.Start(timeLimitMs);
    stopper.StopAll(exceptionTid, context, deadline);
    snapshot.threads = &stopper;
    snapshot.exceptionTid = exceptionTid;
    snapshot.signalInfo =
        pointers != nullptr ? static_cast<const siginfo_t*>(pointers->signalInfo) : nullptr;
    snapshot.signalNumber = pointers != nullptr ? pointers->signalNumber : 0;
    int error = 0;
    if (deadline.Expired()) {
        error = ETIMEDOUT;
    } else {
        dbghelp::TakeSnapshot(snapshot);
        error = dbghelp::WriteMinidump(snapshot, file, deadline);
    }
    stopper.ResumeAll();
    deadline.Stop();
    busy.store(false);
    errno = error != 0 ? error : savedErrno;
    return error == 0 ? 1 : 0;
}
