#include "support/PeerLauncher.h"
#include "support/Winsock.h"

// The system headers need winsock2.h before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <thread>

namespace zeph::testing {
namespace {

// The launcher answers at once; only a run waits, as long as its limit.
constexpr std::chrono::seconds kAnswerLimit(30);

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                     static_cast<unsigned char>(bytes[i + 1]) << 8 |
                     static_cast<unsigned char>(bytes[i + 2]);
        text += {kDigits[v >> 18], kDigits[v >> 12 & 63], kDigits[v >> 6 & 63], kDigits[v & 63]};
    }
    if (i + 1 == bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        text += {kDigits[v >> 18], kDigits[v >> 12 & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                     static_cast<unsigned char>(bytes[i + 1]) << 8;
        text += {kDigits[v >> 18], kDigits[v >> 12 & 63], kDigits[v >> 6 & 63], '='};
    }
    return text;
}

std::string FromBase64(const std::string& text) {
    std::string bytes;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        int digit = c >= 'A' && c <= 'Z'   ? c - 'A'
                    : c >= 'a' && c <= 'z' ? c - 'a' + 26
                    : c >= '0' && c <= '9' ? c - '0' + 52
                    : c == '+'             ? 62
                    : c == '/'             ? 63
                                           : -1;
        if (digit < 0) {
            continue; // padding
        }
        value = value << 6 | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<char>(value >> bits & 0xFF));
        }
    }
    return bytes;
}

// A string field of the launcher's one-line JSON answer (base64 or a message).
std::optional<std::string> StringField(const std::string& json, const std::string& key) {
    std::string mark = "\"" + key + "\": \"";
    std::size_t at = json.find(mark);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string value;
    for (std::size_t i = at + mark.size(); i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) {
            ++i;
        }
        value.push_back(json[i]);
    }
    return value;
}

std::optional<long long> NumberField(const std::string& json, const std::string& key) {
    std::string mark = "\"" + key + "\": ";
    std::size_t at = json.find(mark);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::strtoll(json.c_str() + at + mark.size(), nullptr, 10);
}

bool IsWindowsAbsolute(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::string Request(const char* op, const std::vector<std::string>& argv, const std::string& rest) {
    std::string json = std::string("{\"op\": \"") + op + "\", \"argv\": [";
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        json +=
            (i > 0 ? ", \"" : "\"") + Base64(IsWindowsAbsolute(arg) ? PeerPath(arg) : arg) + "\"";
    }
    return json + "]" + rest + "}\n";
}

class Connection {
public:
    Connection() {
        EnsureWinsock();
        const char* address = std::getenv("ZEPH_PEER_LAUNCHER");
        if (address == nullptr || *address == '\0') {
            throw std::runtime_error(
                "no peer launcher for Linux programs: ZEPH_PEER_LAUNCHER is not set (tests run "
                "under the build's wine-run start one)");
        }
        std::string text = address;
        std::size_t colon = text.rfind(':');
        int port = colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 1);
        if (colon == std::string::npos || text.substr(0, colon) != "127.0.0.1" || port <= 0) {
            throw std::runtime_error("ZEPH_PEER_LAUNCHER is not 127.0.0.1:<port>: " + text);
        }
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<u_short>(port));
        if (socket_ == INVALID_SOCKET ||
            connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            Close();
            throw std::runtime_error("cannot reach the peer launcher at " + text);
        }
    }
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            int n = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0) {
                throw std::runtime_error("the peer launcher closed the connection");
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    // Waits at most `limit` for bytes; nullopt when none came, an empty string at the end.
    std::optional<std::string> Receive(std::chrono::milliseconds limit) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{static_cast<long>(limit.count() / 1000),
                     static_cast<long>(limit.count() % 1000 * 1000)};
        int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0) {
            return std::nullopt;
        }
        char buffer[65536];
        int n = ready < 0 ? -1 : recv(socket_, buffer, sizeof buffer, 0);
        return n <= 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
    }

    // The answer's first line; what came after it stays in `rest`.
    std::string Line(std::chrono::milliseconds limit, std::string& rest) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        std::string text;
        while (text.find('\n') == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                throw std::runtime_error("the peer launcher did not answer");
            }
            std::optional<std::string> got = Receive(left);
            if (got && got->empty()) {
                throw std::runtime_error("the peer launcher closed the connection: " + text);
            }
            if (got) {
                text += *got;
            }
        }
        std::size_t end = text.find('\n');
        rest = text.substr(end + 1);
        std::string line = text.substr(0, end);
        if (auto error = StringField(line, "error")) {
            throw std::runtime_error("the peer launcher refused: " + *error);
        }
        return line;
    }

    void EndSending() { shutdown(socket_, SD_SEND); }

    void Close() {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

class PeerProcess final : public Background::Process {
public:
    PeerProcess(const std::vector<std::string>& argv, Background::OutputSink output) {
        connection_.Send(Request("start", argv, output ? ", \"output\": true" : ""));
        std::string rest;
        connection_.Line(kAnswerLimit, rest);
        reader_ = std::thread([this, rest, sink = std::move(output)] {
            if (sink && !rest.empty()) {
                sink(rest);
            }
            // The launcher closes the connection once the program has ended; a launcher that
            // never does is left after the stop limit rather than waited for forever.
            while (true) {
                auto stopping = stopBy_.load();
                if (stopping != 0 &&
                    std::chrono::steady_clock::now().time_since_epoch().count() > stopping) {
                    break;
                }
                std::optional<std::string> got =
                    connection_.Receive(std::chrono::milliseconds(200));
                if (got && got->empty()) {
                    break;
                }
                if (got && sink) {
                    sink(*got);
                }
            }
            if (sink) {
                sink({});
            }
        });
    }

    ~PeerProcess() override { Stop(); }

    void Stop() override {
        if (!reader_.joinable()) {
            return;
        }
        // Closing the sending side tells the launcher to stop the program (TERM, then KILL).
        stopBy_ = (std::chrono::steady_clock::now() + std::chrono::seconds(20))
                      .time_since_epoch()
                      .count();
        connection_.EndSending();
        reader_.join();
        connection_.Close();
    }

private:
    Connection connection_;
    std::atomic<std::chrono::steady_clock::rep> stopBy_{0};
    std::thread reader_;
};

} // namespace

ProcessResult RunPeer(const std::vector<std::string>& argv, const std::string& input,
                      std::chrono::seconds limit) {
    Connection connection;
    connection.Send(Request("run", argv,
                            ", \"input\": \"" + Base64(input) +
                                "\", \"limit\": " + std::to_string(limit.count())));
    std::string rest;
    std::string line = connection.Line(limit + kAnswerLimit, rest);
    ProcessResult result;
    std::optional<long long> status = NumberField(line, "status");
    if (!status) {
        throw std::runtime_error("the peer launcher answered no status: " + line);
    }
    result.status = static_cast<int>(*status);
    result.out = FromBase64(StringField(line, "out").value_or(""));
    result.err = FromBase64(StringField(line, "err").value_or(""));
    return result;
}

std::unique_ptr<Background::Process> StartPeer(const std::vector<std::string>& argv,
                                               Background::OutputSink output) {
    return std::make_unique<PeerProcess>(argv, std::move(output));
}

// Wine's own function names a Windows path's file on the Linux side; Windows has no such side.
std::string PeerPath(const std::string& path) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    static const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) {
        throw std::runtime_error("not under Wine: no Linux side to name " + path);
    }
    // Tests name files in UTF-8 (the Linux side's names) or in the ANSI code page; a path that
    // is not valid UTF-8 is read in the latter.
    UINT codePage = CP_UTF8;
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    if (length == 0) {
        codePage = CP_ACP;
        length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, path.c_str(), -1, wide.data(), length);
    char* name = unixName(wide.c_str());
    if (name == nullptr) {
        throw std::runtime_error("Wine has no Linux name for " + path);
    }
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

} // namespace zeph::testing
