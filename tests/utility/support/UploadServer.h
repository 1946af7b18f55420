#pragma once

// The recording multipart server of the upload tests (support/multipart_recorder.py), started
// on a free loopback port and stopped with the object.

#include "SystemTestSupport.h"

#include <tollund/CHttpUpload.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace systest {

struct RecordedRequest {
    std::string raw;                                // bytes as received
    std::multimap<std::string, std::string> fields; // the parser's findings
    std::string Field(const std::string& key) const {
        const auto it = fields.find(key);
        return it == fields.end() ? std::string() : it->second;
    }
    std::vector<std::string> All(const std::string& key) const {
        std::vector<std::string> values;
        for (auto [it, end] = fields.equal_range(key); it != end; ++it) {
            values.push_back(it->second);
        }
        return values;
    }
    std::string part0; // content of the first part as parsed
};

class UploadServer {
public:
    explicit UploadServer(const std::vector<std::string>& options = {})
        : m_child(Arguments(options)) {
        const std::string line = m_child.ReadLine();
        if (line.empty()) {
            throw std::runtime_error("the recording server did not start");
        }
        m_port = std::stoi(line);
    }
    int Port() const { return m_port; }
    std::string RecordPath(int n, const std::string& suffix) const {
        return m_dir / ("request-" + std::to_string(n) + suffix);
    }
    bool HasRequest(int n) const { return std::filesystem::exists(RecordPath(n, ".txt")); }
    RecordedRequest Request(int n) const {
        RecordedRequest request;
        request.raw = ReadFile(RecordPath(n, ".raw"));
        std::istringstream lines(ReadFile(RecordPath(n, ".txt")));
        for (std::string line; std::getline(lines, line);) {
            const size_t eq = line.find('=');
            request.fields.emplace(line.substr(0, eq), line.substr(eq + 1));
        }
        request.part0 = ReadFile(RecordPath(n, ".part0.bin"));
        return request;
    }

private:
    std::vector<std::string> Arguments(const std::vector<std::string>& options) {
        std::vector<std::string> argv = {
            "/usr/bin/python3", ZEPH_SOURCE_DIR "/tests/utility/support/multipart_recorder.py",
            "--out", m_dir.Path()};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
    }

    TempDir m_dir;
    Child m_child;
    int m_port = 0;
};

// A loopback listener that never accepts. Filled, its queue of finished handshakes makes the
// kernel drop every further SYN, so a new connect to it never completes.
class Unanswered {
public:
    explicit Unanswered(bool fill) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_fd, 0);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        while (fill && Connect(std::chrono::milliseconds(300))) {
        }
    }
    ~Unanswered() {
        for (const int fd : m_clients) {
            close(fd);
        }
        close(m_fd);
    }
    int Port() const { return m_port; }
    // True when one more connection completed its handshake within the limit.
    bool Connect(std::chrono::milliseconds limit) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        m_clients.push_back(fd);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(m_port));
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            return true;
        }
        pollfd ready{fd, POLLOUT, 0};
        return poll(&ready, 1, static_cast<int>(limit.count())) == 1;
    }

private:
    int m_fd = -1;
    int m_port = 0;
    std::vector<int> m_clients;
};

// An object whose local file is path, configured for the server, with no worker running: the
// worker UploadFile starts on an unconfigured object has already given up when it returns.
inline std::unique_ptr<CHttpUpload> Prepared(const std::string& path, int port,
                                             const std::string& referer = "r") {
    auto upload = std::make_unique<CHttpUpload>();
    upload->UploadFile(path);
    upload->SetUploadParams("127.0.0.1", port, "/u", referer, "f");
    return upload;
}

} // namespace systest
