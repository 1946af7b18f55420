#include "ControlSocket.h"

#include <winsock2.h>

namespace zeph::ftp::detail {

SocketState LookAtSocket(curl_socket_t socket) {
    WSAPOLLFD p{};
    p.fd = socket;
    p.events = POLLRDNORM;
    const int ready = WSAPoll(&p, 1, 0);
    if (ready == 0) {
        return SocketState::Quiet;
    }
    if (ready > 0) {
        return SocketState::Readable;
    }
    return WSAGetLastError() == WSAEINTR ? SocketState::Interrupted : SocketState::Failed;
}

} // namespace zeph::ftp::detail
