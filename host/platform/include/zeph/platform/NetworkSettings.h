// What the desktop's platform settles about reaching other machines: which proxy a connection
// goes through, and how long an HTTP exchange may take. The plug-in's web-service client and
// the host's FTP client both ask here, so that one rule holds for both.
#pragma once

#include <zeph/text/HostText.h>

#include <string>
#include <string_view>

namespace zeph::platform {

// The proxy for a URL, or "" for a direct connection. HTTP and HTTPS go through the proxy the
// environment names (http_proxy; https_proxy or HTTPS_PROXY; else all_proxy or ALL_PROXY),
// unless no_proxy (or NO_PROXY) excludes the host ("*", a host name or a domain suffix). Never
// a proxy for loopback (localhost, *.localhost, 127.0.0.0/8, ::1), and never for any other
// scheme: FTP sessions connect directly, as their commands cannot cross an HTTP proxy.
ZEPH_HOST_API std::string ProxyFor(std::string_view url);

// The limits of one HTTP exchange with a server: reaching it, and the exchange as a whole.
struct HttpTimeouts {
    long connectMs;
    long exchangeMs;
};

inline constexpr HttpTimeouts kDefaultHttpTimeouts{10'000, 120'000};

// kDefaultHttpTimeouts, which the host stand-in's setting ZEPH_HTTP_TIMEOUTS_MS
// ("CONNECT,EXCHANGE" in milliseconds, as the environment holds it) may shorten, so that a
// test need not wait two minutes for a silent server. A value that is missing, not a positive
// number or longer than the default leaves the default.
ZEPH_HOST_API HttpTimeouts HttpExchangeTimeouts();

} // namespace zeph::platform
