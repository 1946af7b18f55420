// Looking at the control connection between operations, as the operating system's sockets do it.
#pragma once

#include <curl/curl.h>

namespace zeph::ftp::detail {

enum class SocketState {
    Quiet,       // nothing to read: the connection is open and idle
    Readable,    // data or the end of the connection waits
    Interrupted, // the look was interrupted before it could say
    Failed,
};

// Looks without waiting.
SocketState LookAtSocket(curl_socket_t socket);

} // namespace zeph::ftp::detail
