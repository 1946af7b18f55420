#include "SoapTestServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace bulletin_test {
namespace {

// The Debian interpreter, which has python3-spyne; another python3 on PATH may not.
constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kReadyMark = "listening on 127.0.0.1:";

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

} // namespace

std::string SoapTestServer::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

bool SoapTestServer::Request::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (header.first == name) {
            return true;
        }
    }
    return false;
}

SoapTestServer::SoapTestServer() {
    SetAnswer("");
    zeph::testing::WriteFile(SecretPath(), "the secret must stay here");
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> argv = {kPython, BN_SOAP_SERVER, state_.Path()};
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    const int rc = posix_spawn(&pid_, kPython, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        pid_ = -1;
        throw std::runtime_error("cannot start " + std::string(kPython));
    }
    std::string log;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (port_ == 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        log.append(buffer, static_cast<std::size_t>(got));
        const std::size_t mark = log.find(kReadyMark);
        const std::size_t end = mark == std::string::npos ? mark : log.find('\n', mark);
        if (end != std::string::npos) {
            port_ = std::stoi(log.substr(mark + std::char_traits<char>::length(kReadyMark)));
        }
    }
    close(out[0]); // the server prints nothing more
    if (port_ == 0) {
        Stop();
        throw std::runtime_error("the SOAP server did not start: " + log);
    }
}

SoapTestServer::~SoapTestServer() {
    Stop();
}

std::string SoapTestServer::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void SoapTestServer::SetAnswer(const std::string& utf8) {
    zeph::testing::WriteFile(state_.File("answer"), utf8);
}

void SoapTestServer::SetMode(const std::string& mode) {
    zeph::testing::WriteFile(state_.File("mode"), mode);
}

void SoapTestServer::SetDelaySeconds(double seconds) {
    zeph::testing::WriteFile(state_.File("delay"), std::to_string(seconds));
}

std::string SoapTestServer::SecretPath() const {
    return state_.File("secret");
}

std::vector<SoapTestServer::Request> SoapTestServer::Requests() const {
    std::vector<Request> requests;
    std::istringstream in(zeph::testing::ReadFile(state_.File("received.log")));
    std::string line;
    Request current;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Fields(line);
        const std::string& tag = f[0];
        auto at = [&](std::size_t i) { return i < f.size() ? Unhex(f[i]) : std::string(); };
        if (tag == "request") {
            current = Request{};
            current.method = at(1);
            current.path = at(2);
            current.query = at(3);
        } else if (tag == "header") {
            current.headers.emplace_back(at(1), at(2));
        } else if (tag == "element") {
            current.elementNamespace = at(1);
            current.element = at(2);
        } else if (tag == "received") {
            current.received.push_back({at(1), at(2), at(3)});
        } else if (tag == "decoded") {
            current.decoded.emplace_back(at(1), at(2));
        } else if (tag == "end") {
            requests.push_back(current);
        }
    }
    return requests;
}

void SoapTestServer::Stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace bulletin_test
