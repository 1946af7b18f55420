#include "DumpDeadlineLinux.h"

#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace dbghelp {

namespace {

constexpr int TimerSignal = SIGALRM;

std::atomic<bool> timerFired{false};
struct sigaction previousAction;
sigset_t previousMask;

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Without SA_RESTART: the point is to interrupt the blocked call.
void OnTimer(int) {
    timerFired.store(true);
}

} // namespace

void DumpDeadline::Start(uint32_t limitMs) {
    timerFired = false;
    m_deadlineNs = MonotonicNs() + static_cast<int64_t>(limitMs) * 1000000;

    struct sigaction action {};
    action.sa_handler = OnTimer;
    sigemptyset(&action.sa_mask);
    m_restoreAction = sigaction(TimerSignal, &action, &previousAction) == 0;
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, TimerSignal);
    m_restoreMask = pthread_sigmask(SIG_UNBLOCK, &unblock, &previousMask) == 0;

    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = TimerSignal;
    event._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
    int timer = -1;
    // The raw call: the library's wrapper may allocate for some notification kinds.
    if (syscall(SYS_timer_create, CLOCK_MONOTONIC, &event, &timer) != 0) {
        m_timer = -1;
        return; // the checks between steps still hold the limit
    }
    m_timer = timer;
    itimerspec when{};
    when.it_value.tv_sec = limitMs / 1000;
    when.it_value.tv_nsec = static_cast<long>(limitMs % 1000) * 1000000;
    // Then again and again: a signal that lands between two calls must not leave the next
    // blocking call without one.
    when.it_interval.tv_nsec = 50 * 1000000;
    syscall(SYS_timer_settime, m_timer, 0, &when, nullptr);
}

void DumpDeadline::Stop() {
    if (m_timer >= 0) {
        syscall(SYS_timer_delete, m_timer);
        m_timer = -1;
    }
    if (m_restoreMask) {
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        m_restoreMask = false;
    }
    if (m_restoreAction) {
        sigaction(TimerSignal, &previousAction, nullptr);
        m_restoreAction = false;
    }
}

bool DumpDeadline::Expired() const {
    return timerFired.load() || MonotonicNs() >= m_deadlineNs;
}

int64_t DumpDeadline::RemainingMs() const {
    const int64_t left = m_deadlineNs - MonotonicNs();
    return timerFired.load() || left <= 0 ? 0 : left / 1000000;
}

} // namespace dbghelp
