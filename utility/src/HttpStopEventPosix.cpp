// The stop event as an eventfd: readable while signalled, so that a poll on a socket also
// waits for it.

#include <tollund/CHttpServer.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

std::shared_ptr<CHttpEvent> CHttpEvent::Create(bool signalled) {
    const int fd = eventfd(signalled ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    return std::shared_ptr<CHttpEvent>(new (std::nothrow) CHttpEvent(fd, signalled));
}

CHttpEvent::~CHttpEvent() {
    close(m_fd);
}

void CHttpEvent::Set() {
    if (!m_set.exchange(true)) {
        const uint64_t one = 1;
        (void)!write(m_fd, &one, sizeof one);
    }
}

void CHttpEvent::Reset() {
    if (m_set.exchange(false)) {
        uint64_t value = 0;
        (void)!read(m_fd, &value, sizeof value);
    }
}

bool CHttpEvent::IsSet() const {
    return m_set.load();
}

bool CHttpEvent::Wait(int timeoutMs) const {
    pollfd fd{m_fd, POLLIN, 0};
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs >= 0) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long elapsed =
                (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
            left = elapsed >= timeoutMs ? 0 : timeoutMs - static_cast<int>(elapsed);
        }
        const int ready = poll(&fd, 1, left);
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}
