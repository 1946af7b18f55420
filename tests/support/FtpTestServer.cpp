#include "support/FtpTestServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace zeph::testing {
namespace {

// The Debian interpreter, which has python3-pyftpdlib; another python3 on PATH may not.
constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kReadyMark = "starting FTP server on 127.0.0.1:";

} // namespace

FtpTestServer::FtpTestServer(std::string root, Login login) : root_(std::move(root)) {
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> argv = {kPython, "-m", "pyftpdlib", "-i", "127.0.0.1",
                                     "-p",    "0",  "-d",        root_, "-D"};
    if (!login.user.empty()) {
        argv.insert(argv.end(), {"-u", login.user, "-P", login.password});
    }
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    int rc = posix_spawn(&pid_, kPython, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        pid_ = -1;
        throw std::runtime_error("cannot start " + std::string(kPython));
    }

    // The server names its port in its start-up log; nothing is guessed or raced for.
    std::string log;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (port_ == 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            continue;
        }
        char buffer[512];
        ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        log.append(buffer, static_cast<std::size_t>(got));
        std::size_t mark = log.find(kReadyMark);
        if (mark != std::string::npos) {
            std::size_t start = mark + std::char_traits<char>::length(kReadyMark);
            std::size_t end = log.find_first_not_of("0123456789", start);
            if (end != std::string::npos && end > start) {
                port_ = std::stoi(log.substr(start, end - start));
            }
        }
    }
    // The server would block once the pipe filled, so a thread keeps reading its log until it
    // ends; it holds the log by a shared pointer, so it may outlive this object.
    log_->text = log;
    std::thread([fd = out[0], shared = log_] {
        char buffer[4096];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) {
            std::lock_guard lock(shared->mutex);
            shared->text.append(buffer, static_cast<std::size_t>(got));
        }
        close(fd);
    }).detach();
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
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace zeph::testing
