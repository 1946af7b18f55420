#pragma once

// Stops the other threads of the process for the time of a dump and collects their registers.
//
// Each thread gets a signal of the dumper's own (tgkill); its handler copies the interrupted
// context into the thread's slot and parks the thread on a futex until the dump is written. A
// thread that does not answer in time (it blocks the signal, or is stopped) is described from
// /proc/self/task/<tid>/syscall instead: stack and instruction pointer of its blocked call.
// Nothing here allocates or takes a lock.

#include "DumpDeadlineLinux.h"
#include "MinidumpFormat.h"

#include <sys/types.h>
#include <ucontext.h>

#include <cstddef>

namespace dbghelp {

constexpr size_t ThreadCapacity = 1024;

struct ThreadRecord {
    pid_t tid;
    bool hasContext;
    format::ContextAmd64Data context;
};

class ThreadStopper {
public:
    // Lists the threads and stops every one but the caller. exceptionTid's registers come from
    // exceptionContext when given (the signal's context), the caller's own from the moment of
    // the call otherwise.
    void StopAll(pid_t exceptionTid, const ucontext_t* exceptionContext,
                 const DumpDeadline& deadline);
    // Lets the parked threads run again.
    void ResumeAll();

    size_t Count() const;
    const ThreadRecord& At(size_t index) const;
};

} // namespace dbghelp
