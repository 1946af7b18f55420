#include "support/Subprocess.h"
#include "support/Winsock.h"

// The system headers need winsock2.h before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <cstdint>
#include <stdexcept>
#include <thread>

namespace zeph::testing {

void EnsureWinsock() {
    static const bool started = [] {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
        return true;
    }();
    (void)started;
}

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

} // namespace

int FreeLoopbackPort() {
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        throw std::runtime_error("no socket");
    }
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        throw std::runtime_error("no free port");
    }
    closesocket(s);
    return ntohs(address.sin_port);
}

bool WaitForPort(int port, std::chrono::milliseconds limit) {
    EnsureWinsock();
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = Loopback(port);
        bool ok = s != INVALID_SOCKET &&
                  connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        if (ok) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

SilentListener::SilentListener() {
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    // Connections wait in the backlog, accepted by the system and never by the program.
    if (s == INVALID_SOCKET ||
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 4) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        throw std::runtime_error("no silent listener");
    }
    socket_ = static_cast<std::intptr_t>(s);
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    Close();
}

void SilentListener::Close() {
    if (socket_ != -1) {
        closesocket(static_cast<SOCKET>(socket_));
        socket_ = -1;
    }
}

} // namespace zeph::testing
