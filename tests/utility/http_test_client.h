#pragma once

// A plain loopback HTTP client for the file-server tests, and counters of the process's open
// descriptors and threads.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

namespace tollund_test {

// A port that is free on 127.0.0.1 at the moment of asking.
inline unsigned FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

inline int Connect(unsigned port) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return -1;
    }
    return s;
}

struct Reply {
    bool connected = false;
    bool closed = false; // the server ended the connection (end of stream or reset)
    std::string bytes;
};

// Reads until the server closes the connection or timeoutMs pass without a byte.
inline void ReadToClose(int s, Reply& reply, int timeoutMs) {
    char buffer[65536];
    for (;;) {
        pollfd fd{s, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) {
            return;
        }
        const ssize_t got = recv(s, buffer, sizeof buffer, 0);
        if (got > 0) {
            reply.bytes.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        reply.closed = got == 0 || errno == ECONNRESET;
        return;
    }
}

// Sends request (then ends the sending side) and collects the whole answer.
inline Reply Exchange(unsigned port, const std::string& request, int timeoutMs = 10000) {
    Reply reply;
    const int s = Connect(port);
    if (s < 0) {
        return reply;
    }
    reply.connected = true;
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(s, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break; // the server may close before taking everything
        }
        sent += static_cast<size_t>(n);
    }
    shutdown(s, SHUT_WR);
    ReadToClose(s, reply, timeoutMs);
    close(s);
    return reply;
}

// Connects, asks for path and waits for the first bytes of the answer, which go into `first`.
// The connection stays open for the caller to stall, read on or leave; -1 when nothing came.
inline int BeginDownload(unsigned port, const std::string& path, std::string& first) {
    const int s = Connect(port);
    if (s < 0) {
        return -1;
    }
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    char buffer[1024];
    ssize_t got = -1;
    if (send(s, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
        got = recv(s, buffer, sizeof buffer, 0);
    }
    if (got <= 0) {
        close(s);
        return -1;
    }
    first.assign(buffer, static_cast<size_t>(got));
    return s;
}

// Bytes that no bug of the server's can produce by accident: a repeated piece, a stale buffer
// or a shifted offset all show.
inline std::string RandomBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (auto& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

// Downloads path `times` times with a request longer than the server reads (a cookie of 1,100
// bytes after the request line, all of it sent at once) and counts the answers whose body is
// exactly `content`.
inline int WholeBodiesWithLongCookie(unsigned port, const std::string& path,
                                     const std::string& content, int times) {
    const std::string request =
        "GET " + path + " HTTP/1.0\r\nCookie: session=" + std::string(1100, 'c') + "\r\n\r\n";
    int whole = 0;
    for (int i = 0; i < times; ++i) {
        const Reply reply = Exchange(port, request);
        const size_t bodyStart = reply.bytes.find("\r\n\r\n");
        if (bodyStart != std::string::npos &&
            reply.bytes.compare(bodyStart + 4, std::string::npos, content) == 0) {
            ++whole;
        }
    }
    return whole;
}

inline size_t CountEntries(const char* directory) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
        ++n;
    }
    return n;
}

inline size_t OpenDescriptors() {
    return CountEntries("/proc/self/fd");
}

inline size_t Threads() {
    return CountEntries("/proc/self/task");
}

// Waits (up to limitMs) until the process has no more descriptors and threads than given:
// detached threads and closed sockets go away a moment after their work is done.
inline bool SettlesTo(size_t descriptors, size_t threads, int limitMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < end) {
        if (OpenDescriptors() <= descriptors && Threads() <= threads) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace tollund_test
