#include "support/ProcessStart.h"
#include "support/Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace zeph::testing {
namespace {

std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    return argv;
}

} // namespace

ProcessResult Run(const std::vector<std::string>& command, const std::string& input,
                  std::chrono::seconds limit) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> args = command;
    auto argv = Argv(args);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        throw std::runtime_error("cannot start " + command.front());
    }
    ProcessResult result;
    std::size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    auto deadline = std::chrono::steady_clock::now() + limit;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        std::vector<pollfd> fds;
        if (outOpen) {
            fds.push_back({out[0], POLLIN, 0});
        }
        if (errOpen) {
            fds.push_back({err[0], POLLIN, 0});
        }
        if (in[1] >= 0) {
            fds.push_back({in[1], POLLOUT, 0});
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (const pollfd& p : fds) {
            if (p.revents == 0) {
                continue;
            }
            if (p.fd == in[1]) {
                ssize_t n = write(in[1], input.data() + written, input.size() - written);
                if (n > 0) {
                    written += static_cast<std::size_t>(n);
                }
                if (n < 0 || written == input.size()) {
                    close(in[1]);
                    in[1] = -1;
                }
                continue;
            }
            char buffer[4096];
            ssize_t n = read(p.fd, buffer, sizeof buffer);
            if (n <= 0) {
                (p.fd == out[0] ? outOpen : errOpen) = false;
            } else {
                (p.fd == out[0] ? result.out : result.err)
                    .append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    if (in[1] >= 0) {
        close(in[1]);
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (std::chrono::steady_clock::now() >= deadline) {
        result.status = -1;
    } else if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.status = 128 + WTERMSIG(status);
    }
    return result;
}

namespace {

class PosixProcess final : public Background::Process {
public:
    PosixProcess(const std::vector<std::string>& command, Background::OutputSink output) {
        int out[2] = {-1, -1};
        if (output && pipe2(out, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (output) {
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
            posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        std::vector<std::string> args = command;
        auto argv = Argv(args);
        int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (output) {
            close(out[1]);
        }
        if (rc != 0) {
            if (output) {
                close(out[0]);
            }
            pid_ = -1;
            throw std::runtime_error("cannot start " + command.front());
        }
        if (output) {
            // The program would block once the pipe filled, so its output is read as it comes.
            reader_ = std::thread([fd = out[0], sink = std::move(output)] {
                char buffer[4096];
                ssize_t got;
                while ((got = read(fd, buffer, sizeof buffer)) > 0) {
                    sink(std::string_view(buffer, static_cast<std::size_t>(got)));
                }
                close(fd);
                sink({});
            });
        }
    }

    ~PosixProcess() override { Stop(); }

    void Stop() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            bool ended = false;
            for (int i = 0; i < 50 && !ended; ++i) {
                ended = waitpid(pid_, &status, WNOHANG) == pid_;
                if (!ended) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (i == 30) {
                        kill(pid_, SIGKILL);
                    }
                }
            }
            if (!ended) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
            pid_ = -1;
        }
        if (reader_.joinable()) {
            reader_.join();
        }
    }

private:
    pid_t pid_ = -1;
    std::thread reader_;
};

} // namespace

std::unique_ptr<Background::Process> StartBackground(const std::vector<std::string>& argv,
                                                     Background::OutputSink output) {
    return std::make_unique<PosixProcess>(argv, std::move(output));
}

std::string PeerPath(const std::string& path) {
    return path;
}

} // namespace zeph::testing
