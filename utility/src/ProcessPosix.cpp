// Command lines and process start: ExecCommand, RunProcess and GotoURL.

#include "ProcessPosix.h"

#include "CommandLine.h"
#include "RegistryPosix.h"

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace tollund::detail {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& args,
          const SpawnOptions& options) {
    if (program.empty()) {
        return ENOENT;
    }
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    if (argv.empty()) {
        argv.push_back(const_cast<char*>(program.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, options.output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, options.output, STDERR_FILENO);
    }
    if (options.workingDir != nullptr) {
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDir);
    }
    // The child starts with default signal handling and nothing blocked, whatever this
    // process has set up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int rc =
        options.searchPath
            ? posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ)
            : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

void ReapLater(pid_t pid) {
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Left as a zombie until this process ends.
    }
}

int StartError(int error) {
    switch (error) {
    case ENOENT:
        return 2; // file not found
    case ENOTDIR:
        return 3; // path not found
    case EACCES:
    case EPERM:
        return 5; // access denied
    case ENOEXEC:
        return 11; // bad format
    default:
        return 0; // out of resources
    }
}

} // namespace tollund::detail

namespace {

using namespace tollund::detail;

constexpr size_t GotoUrlBuffer = 520;
constexpr size_t ReadPiece = 4096;
constexpr int ShellStarted = 33;       // results above 32 mean "started"
constexpr int ShellNoAssociation = 31; // nothing opens this kind of text

int64_t NowMs() {
    return CFunction::GetSysTickCount64();
}

// Reads what the pipe holds now, at most limit bytes; false once it is at its end.
bool ReadAvailable(int fd, std::string* output, size_t limit) {
    char buffer[ReadPiece];
    size_t total = 0;
    while (total < limit) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, limit - total));
        if (got > 0) {
            if (output != nullptr) {
                output->append(buffer, static_cast<size_t>(got));
            }
            total += static_cast<size_t>(got);
            continue;
        }
        if (got == 0) {
            return false;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
}

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// A child started by ExecCommand: its process, the read end of its output pipe and, where the
// kernel gives one, a descriptor that becomes readable when it ends.
struct CapturedChild {
    pid_t pid = -1;
    int out = -1;
    int pidFd = -1;
    bool pipeOpen = true;
};

// Starts the command with standard output and error into a pipe; logs and returns false when
// it cannot.
bool StartCaptured(const std::string& appPath, const std::string& commandLine,
                   CapturedChild& child) {
    int pipeFds[2] = {-1, -1};
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        CFunction::RLog("[ExecCommand] Stdout pipe creation failed.Command:%s", appPath.c_str());
        return false;
    }
    std::vector<std::string> args = SplitCommandLine(commandLine);
    SpawnOptions options;
    options.output = pipeFds[1];
    options.searchPath = appPath.empty();
    const std::string program =
        appPath.empty() ? (args.empty() ? std::string() : args[0]) : appPath;
    if (args.empty()) {
        args.push_back(program);
    }
    const int spawnError = Spawn(child.pid, program, args, options);
    close(pipeFds[1]);
    if (spawnError != 0) {
        close(pipeFds[0]);
        CFunction::RLog("[ExecCommand] CreateProcess Error:%s.Error:%s", appPath.c_str(),
                        CFunction::GetLastErrorString(static_cast<uint32_t>(spawnError)).c_str());
        return false;
    }
    child.out = pipeFds[0];
    fcntl(child.out, F_SETFL, fcntl(child.out, F_GETFL) | O_NONBLOCK);
    child.pidFd = OpenPidFd(child.pid);
    return true;
}

struct ChildWait {
    bool ended = false;
    int result = 0; // ETIMEDOUT, or -1 when waiting failed
    int error = 0;
};

// Waits for the child to end before the deadline (-1: none), reading its output meanwhile, so
// that a child writing more than the pipe holds does not stall; each round reads a bounded
// amount and then looks at the clock again.
ChildWait WaitCapturing(CapturedChild& child, std::string* sink, int64_t deadline) {
    ChildWait wait;
    while (true) {
        int status = 0;
        const pid_t waited = waitpid(child.pid, &status, WNOHANG);
        if (waited == child.pid || (waited < 0 && errno == ECHILD)) {
            wait.ended = true;
            return wait;
        }
        if (waited < 0 && errno != EINTR) {
            wait.result = -1;
            wait.error = errno;
            return wait;
        }
        int waitMs = -1;
        if (deadline >= 0) {
            const int64_t left = deadline - NowMs();
            if (left <= 0) {
                wait.result = ETIMEDOUT;
                wait.error = ETIMEDOUT;
                return wait;
            }
            waitMs = static_cast<int>(std::min<int64_t>(left, 1000));
        }
        if (child.pidFd < 0) {
            waitMs = waitMs < 0 ? 20 : std::min(waitMs, 20);
        }
        pollfd fds[2];
        nfds_t count = 0;
        if (child.pipeOpen) {
            fds[count++] = {child.out, POLLIN, 0};
        }
        if (child.pidFd >= 0) {
            fds[count++] = {child.pidFd, POLLIN, 0};
        }
        if (poll(fds, count, waitMs) > 0 && child.pipeOpen && fds[0].revents != 0) {
            child.pipeOpen = ReadAvailable(child.out, sink, 1 << 20);
        }
    }
}

// What the child wrote is in the pipe now. A grandchild may still hold the pipe open: take what
// is there and stop, instead of waiting for an end that may never come.
void TakeWhatIsLeft(CapturedChild& child, std::string* sink) {
    int available = 0;
    if (child.pipeOpen && ioctl(child.out, FIONREAD, &available) == 0 && available > 0) {
        ReadAvailable(child.out, sink, static_cast<size_t>(available));
    }
}

} // namespace

int CFunction::ExecCommand(const std::string& appPath, const std::string& commandLine,
                           std::string& output, int capture, int timeoutSeconds) {
    output.clear();
    if (!tollund::detail::ExecCommandLineFits(appPath, commandLine)) {
        return 0;
    }
    CapturedChild child;
    if (!StartCaptured(appPath, commandLine, child)) {
        return 0;
    }
    std::string* sink = capture != 0 ? &output : nullptr;
    const int64_t deadline = timeoutSeconds < 0 ? -1 : NowMs() + int64_t{timeoutSeconds} * 1000;
    const ChildWait wait = WaitCapturing(child, sink, deadline);

    int result = 0;
    if (wait.ended) {
        TakeWhatIsLeft(child, sink);
        result = 1;
    } else {
        RLog("ExecCommand:%s.Waited  %dS Timeout. ret=%d,%s", appPath.c_str(), timeoutSeconds,
             wait.result, GetLastErrorString(static_cast<uint32_t>(wait.error)).c_str());
        kill(child.pid, SIGKILL);
        while (waitpid(child.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        output.clear();
    }
    if (child.pidFd >= 0) {
        close(child.pidFd);
    }
    close(child.out);
    return result;
}

void CFunction::RunProcess(std::string fileName, std::string parameters, int showCommand) {
    (void)showCommand; // a started program chooses its own window state here
    const std::string dir = GetCurrentModuleDir();
    const std::string path = dir + "/" + fileName;
    struct stat info {};
    const bool executable =
        stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
    std::vector<std::string> args;
    std::string program;
    SpawnOptions options;
    options.workingDir = dir.empty() ? "/" : dir.c_str();
    if (executable) {
        program = path;
        args.push_back(path);
        for (auto& a : SplitCommandLine(parameters)) {
            args.push_back(std::move(a));
        }
    } else {
        program = "xdg-open";
        options.searchPath = true;
        args = {program, path};
    }
    pid_t pid = -1;
    if (Spawn(pid, program, args, options) == 0) {
        ReapLater(pid);
    }
}

int CFunction::GotoURL(const char* url, int showCommand) {
    (void)showCommand;
    const std::string text = url != nullptr ? url : "";
    if (text.empty()) {
        return 2;
    }
    // 1. The desktop's opener. It hands over and ends at once on a desktop; when it runs a
    // browser itself it is left running.
    int shellResult = ShellNoAssociation;
    pid_t opener = -1;
    SpawnOptions options;
    options.searchPath = true;
    if (Spawn(opener, "xdg-open", {"xdg-open", text}, options) == 0) {
        const int64_t until = NowMs() + 2000;
        int status = 0;
        pid_t waited = 0;
        while ((waited = waitpid(opener, &status, WNOHANG)) == 0 && NowMs() < until) {
            usleep(10000);
        }
        if (waited == 0) {
            ReapLater(opener);
            return ShellStarted;
        }
        if (waited == opener && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            return ShellStarted;
        }
    }
    // 2. The command that opens web pages, from the registry layer.
    char className[RegistryValueBuffer];
    char command[RegistryValueBuffer];
    if (GetRegKey(HKEY_CLASSES_ROOT, ".htm", className) != 0 || className[0] == '\0') {
        return shellResult;
    }
    const std::string commandKey = std::string(className) + "\\shell\\open\\command";
    if (GetRegKey(HKEY_CLASSES_ROOT, commandKey.c_str(), command) != 0 || command[0] == '\0') {
        return shellResult;
    }
    // 3. Cut at the placeholder, preferably a quoted one, and append the text.
    std::string line = command;
    size_t cut = line.find("\"%1\"");
    if (cut == std::string::npos) {
        cut = line.find("%1");
    }
    if (cut != std::string::npos) {
        line.resize(cut);
    }
    line += " ";
    line += text;
    if (line.size() >= GotoUrlBuffer) {
        RLog("[GotoURL] Command line too long (%u characters, at most %u).",
             static_cast<unsigned>(line.size()), static_cast<unsigned>(GotoUrlBuffer - 1));
        return shellResult;
    }
    // 4. Start it.
    const std::vector<std::string> args = SplitCommandLine(line);
    if (args.empty()) {
        return 2;
    }
    pid_t browser = -1;
    const int error = Spawn(browser, args[0], args, options);
    if (error != 0) {
        return StartError(error);
    }
    ReapLater(browser);
    return ShellStarted;
}
