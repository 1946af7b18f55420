#pragma once

// The time limit of one dump. A timer aimed at the dumping thread interrupts a system call that
// blocks (a full pipe, a hung file system), and every wait checks the limit, so a dump that
// cannot finish ends with ETIMEDOUT instead of hanging the dying process.

#include <cstdint>

namespace dbghelp {

class DumpDeadline {
public:
    // Starts the limit for the calling thread; milliseconds from now.
    void Start(uint32_t limitMs);
    // Stops the timer and restores what Start changed.
    void Stop();
    bool Expired() const;
    // Milliseconds left, 0 when expired.
    int64_t RemainingMs() const;

private:
    int64_t m_deadlineNs = 0;
    int m_timer = -1;
    bool m_restoreAction = false;
    bool m_restoreMask = false;
};

} // namespace dbghelp
