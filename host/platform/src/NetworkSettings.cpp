#include <zeph/platform/NetworkSettings.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace zeph::platform {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string_view FirstEnv(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (std::string_view value = Env(name); !value.empty()) {
            return value;
        }
    }
    return {};
}

// "scheme://user@host:port/path" -> scheme and host (without brackets), lower case.
bool SplitUrl(std::string_view url, std::string& scheme, std::string& host) {
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos) {
        return false;
    }
    scheme = Lower(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos) {
        rest.remove_prefix(at + 1);
    }
    if (!rest.empty() && rest.front() == '[') {
        host = Lower(rest.substr(1, rest.find(']') - 1));
    } else {
        host = Lower(rest.substr(0, rest.find(':')));
    }
    return true;
}

bool IsLoopbackV4(std::string_view host) {
    int octets = 0;
    int first = -1;
    while (true) {
        int value = 0;
        const auto [end, error] = std::from_chars(host.data(), host.data() + host.size(), value);
        if (error != std::errc() || end == host.data() || value > 255) {
            return false;
        }
        if (octets++ == 0) {
            first = value;
        }
        host.remove_prefix(static_cast<std::size_t>(end - host.data()));
        if (host.empty()) {
            return octets == 4 && first == 127;
        }
        if (host.front() != '.' || octets == 4) {
            return false;
        }
        host.remove_prefix(1);
    }
}

// ::1 in any of its spellings: zero groups, then a last group of 1.
bool IsLoopbackV6(std::string_view host) {
    if (host.empty() || host.back() != '1') {
        return false;
    }
    host.remove_suffix(1);
    while (!host.empty() && host.back() == '0') {
        host.remove_suffix(1);
    }
    return !host.empty() && host.back() == ':' &&
           host.find_first_not_of("0:") == std::string_view::npos;
}

bool IsLoopback(std::string_view host) {
    return host == "localhost" || (host.size() > 10 && host.ends_with(".localhost")) ||
           IsLoopbackV4(host) || IsLoopbackV6(host);
}

bool Excluded(std::string_view host, std::string_view noProxy) {
    while (!noProxy.empty()) {
        const std::size_t comma = noProxy.find(',');
        std::string_view entry = noProxy.substr(0, comma);
        noProxy = comma == std::string_view::npos ? std::string_view() : noProxy.substr(comma + 1);
        while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.front()))) {
            entry.remove_prefix(1);
        }
        while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.back()))) {
            entry.remove_suffix(1);
        }
        if (entry == "*") {
            return true;
        }
        if (!entry.empty() && entry.front() == '.') {
            entry.remove_prefix(1);
        }
        const std::string name = Lower(entry);
        if (!name.empty() && (host == name || (host.size() > name.size() && host.ends_with(name) &&
                                               host[host.size() - name.size() - 1] == '.'))) {
            return true;
        }
    }
    return false;
}

long Shortened(std::string_view text, long fallback) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value <= 0) {
        return fallback;
    }
    return std::min(value, fallback);
}

} // namespace

std::string ProxyFor(std::string_view url) {
    std::string scheme;
    std::string host;
    if (!SplitUrl(url, scheme, host) || IsLoopback(host)) {
        return {};
    }
    std::string_view proxy;
    if (scheme == "http") {
        // Only the lower-case name: the upper-case one may come from a request's header when
        // a program runs as a web gateway.
        proxy = FirstEnv({"http_proxy", "all_proxy", "ALL_PROXY"});
    } else if (scheme == "https") {
        proxy = FirstEnv({"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"});
    } else {
        return {};
    }
    if (proxy.empty() || Excluded(host, FirstEnv({"no_proxy", "NO_PROXY"}))) {
        return {};
    }
    return std::string(proxy);
}

HttpTimeouts HttpExchangeTimeouts() {
    HttpTimeouts timeouts = kDefaultHttpTimeouts;
    const std::string_view setting = Env("ZEPH_HTTP_TIMEOUTS_MS");
    const std::size_t comma = setting.find(',');
    if (comma != std::string_view::npos) {
        timeouts.connectMs = Shortened(setting.substr(0, comma), timeouts.connectMs);
        timeouts.exchangeMs = Shortened(setting.substr(comma + 1), timeouts.exchangeMs);
    }
    return timeouts;
}

} // namespace zeph::platform
