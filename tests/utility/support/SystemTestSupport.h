#pragma once

#include "support/TempDir.h"

// Small helpers of the system tests: temporary folders, whole-file reads, the log of the test
// program, and child processes whose standard output the test reads.

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace systest {

using zeph::testing::TempDir;

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The log file of this test program.
inline std::string LogText() {
    return ReadFile(CFunction::GetCurrentModuleDir() + "/Info.dat");
}

// True when the log holds an entry whose message is exactly message.
inline bool LogHasEntry(const std::string& log, const std::string& message) {
    for (size_t at = log.find(message); at != std::string::npos; at = log.find(message, at + 1)) {
        const size_t end = at + message.size();
        if (at >= 26 && log.compare(at - 26, 2, "\r\n") == 0 &&
            (end == log.size() || log.compare(end, 2, "\r\n") == 0)) {
            return true;
        }
    }
    return false;
}

// A child process; its standard output can be read through a pipe.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv, bool captureOutput = true) {
        std::vector<char*> args;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        int fds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (captureOutput) {
            if (pipe2(fds, O_CLOEXEC) != 0) {
                throw std::runtime_error("pipe failed");
            }
            posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        }
        const int rc = posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (captureOutput) {
            close(fds[1]);
            m_out = fds[0];
        }
        if (rc != 0) {
            m_pid = -1;
            throw std::runtime_error("cannot start " + argv[0]);
        }
    }
    ~Child() {
        Kill();
        if (m_out >= 0) {
            close(m_out);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }

    // One line of standard output without its line end; empty after the timeout or at the end.
    std::string ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const size_t newline = m_pending.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_pending.substr(0, newline);
                m_pending.erase(0, newline + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return {};
            }
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char buffer[4096];
            const ssize_t n = read(m_out, buffer, sizeof buffer);
            if (n <= 0) {
                return {};
            }
            m_pending.append(buffer, static_cast<size_t>(n));
        }
    }

    // Everything the child writes to standard output until it closes it (or the timeout).
    std::string ReadAll(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_out, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t n = read(m_out, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            m_pending.append(buffer, static_cast<size_t>(n));
        }
        std::string all;
        all.swap(m_pending);
        return all;
    }

    // Waits for the end; the wait status, or -1 when it did not end in time.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        if (m_pid < 0) {
            return m_status;
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_status = status;
                return status;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Asks the child to end (SIGTERM), so that it can clean up; kills it if it does not.
    void Terminate(std::chrono::milliseconds grace = std::chrono::seconds(5)) {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            if (Wait(grace) == -1) {
                Kill();
            }
        }
    }

    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_status = -1;
    std::string m_pending;
};

// Polls condition every few milliseconds until it holds or the timeout passes.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace systest
