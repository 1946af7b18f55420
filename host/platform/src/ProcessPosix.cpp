#include "Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>

extern char** environ;

namespace zeph::platform::detail {
namespace {

std::mutex& PendingMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<pid_t>& Pending() {
    static std::vector<pid_t> pending;
    return pending;
}

} // namespace

void ReapFinishedChildren() {
    std::lock_guard lock(PendingMutex());
    auto& pending = Pending();
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [](pid_t pid) {
                                     int status = 0;
                                     return waitpid(pid, &status, WNOHANG) != 0;
                                 }),
                  pending.end());
}

ProgramOutcome RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds wait) {
    ReapFinishedChildren();
    ProgramOutcome outcome;
    if (argv.empty() || argv.front().empty()) {
        return outcome;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    // The child must not read the host's terminal.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Nor keep the host's files and sockets open for as long as the program runs.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return outcome;
    }
    outcome.started = true;

    auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(2);
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            outcome.exited = true;
            outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return outcome;
        }
        if (done < 0) {
            // Someone else reaped it (a SIGCHLD handler of the host); its status is lost.
            outcome.exited = true;
            outcome.exitStatus = -1;
            return outcome;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    std::lock_guard lock(PendingMutex());
    Pending().push_back(pid);
    return outcome;
}

} // namespace zeph::platform::detail
