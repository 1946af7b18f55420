#include "ControlSocket.h"

#include <poll.h>

#include <cerrno>

namespace zeph::ftp::detail {

SocketState LookAtSocket(curl_socket_t socket) {
    pollfd p{socket, POLLIN, 0};
    const int ready = ::poll(&p, 1, 0);
    if (ready == 0) {
        return SocketState::Quiet;
    }
    if (ready > 0) {
        return SocketState::Readable;
    }
    return errno == EINTR ? SocketState::Interrupted : SocketState::Failed;
}

} // namespace zeph::ftp::detail
