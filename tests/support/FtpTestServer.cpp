#include "support/FtpTestServer.h"

#include <chrono>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zeph::testing {
namespace {

// The Debian interpreter, which has python3-pyftpdlib; another python3 on PATH may not.
constexpr const char* kPython = "/usr/bin/python3";
constexpr std::string_view kReadyMark = "starting FTP server on 127.0.0.1:";

// The port the server names in its start-up log, or 0 while it has not named one.
int PortIn(const std::string& log) {
    std::size_t mark = log.find(kReadyMark);
    if (mark == std::string::npos) {
        return 0;
    }
    std::size_t start = mark + kReadyMark.size();
    std::size_t end = log.find_first_not_of("0123456789", start);
    if (end == std::string::npos || end == start) {
        return 0;
    }
    return std::stoi(log.substr(start, end - start));
}

} // namespace

FtpTestServer::FtpTestServer(std::string root, Login login) : root_(std::move(root)) {
    // The server runs where Python is; the folder it serves is given as that side sees it.
    std::vector<std::string> argv = {kPython, "-m", "pyftpdlib",     "-i", "127.0.0.1", "-p",
                                     "0",     "-d", PeerPath(root_), "-D"};
    if (!login.user.empty()) {
        argv.insert(argv.end(), {"-u", login.user, "-P", login.password});
    }
    // The log is kept by a shared pointer: output may still arrive while the server stops.
    server_ = Background(argv, [shared = log_](std::string_view chunk) {
        std::lock_guard lock(shared->mutex);
        if (chunk.empty()) {
            shared->ended = true;
        } else {
            shared->text.append(chunk);
        }
        shared->grown.notify_all();
    });

    // The server names its port in its start-up log; nothing is guessed or raced for.
    std::string log;
    {
        std::unique_lock lock(log_->mutex);
        log_->grown.wait_for(lock, std::chrono::seconds(15),
                             [&] { return log_->ended || PortIn(log_->text) != 0; });
        port_ = PortIn(log_->text);
        log = log_->text;
    }
    if (port_ == 0) {
        Stop();
        throw std::runtime_error("the FTP server did not start: " + log);
    }
}

FtpTestServer::~FtpTestServer() {
    Stop();
}

std::string FtpTestServer::BaseUrl() const {
    return "ftp://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> FtpTestServer::Commands() const {
    std::string text;
    {
        std::lock_guard lock(log_->mutex);
        text = log_->text;
    }
    std::vector<std::string> commands;
    constexpr std::string_view kReceived = "] <- ";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            break; // a line still being written
        }
        std::string_view line(text.data() + start, end - start);
        std::size_t mark = line.find(kReceived);
        if (mark != std::string_view::npos) {
            commands.emplace_back(line.substr(mark + kReceived.size()));
        }
        start = end + 1;
    }
    return commands;
}

void FtpTestServer::Stop() {
    server_.Stop();
}

} // namespace zeph::testing
