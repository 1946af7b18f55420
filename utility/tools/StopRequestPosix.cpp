#include "StopRequest.h"

#include <pthread.h>
#include <signal.h>

namespace {

sigset_t& StopSignals() {
    static sigset_t signals;
    return signals;
}

} // namespace

void PrepareStopRequest() {
    // Block the stop signals in every thread; the main thread takes them with sigwait.
    sigemptyset(&StopSignals());
    sigaddset(&StopSignals(), SIGINT);
    sigaddset(&StopSignals(), SIGTERM);
    pthread_sigmask(SIG_BLOCK, &StopSignals(), nullptr);
}

void WaitForStopRequest() {
    int received = 0;
    sigwait(&StopSignals(), &received);
}
