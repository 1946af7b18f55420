#include "support/PeerLauncher.h"
#include "support/ProcessStart.h"
#include "support/Subprocess.h"

#include <windows.h>

#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

namespace zeph::testing {
namespace {

// The Windows program at `path` (or `path` + ".exe", as CreateProcess completes a name), if it is
// one; anything else is a Linux program, for the peer launcher.
std::optional<std::string> WindowsProgram(const std::string& path) {
    for (const std::string& candidate : {path, path + ".exe"}) {
        std::ifstream file(candidate, std::ios::binary);
        char magic[2] = {};
        if (file.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z') {
            return candidate;
        }
    }
    return std::nullopt;
}

// One argument as the C runtime's parser of the command line reads it back.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& argv) {
    std::string line = Quote(program);
    for (std::size_t i = 1; i < argv.size(); ++i) {
        line += " " + Quote(argv[i]);
    }
    return line;
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    HANDLE get() const noexcept { return handle_; }
    void Close() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// A pipe whose child end is inherited and whose own end is not.
void MakePipe(Handle& childEnd, Handle& ownEnd, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    childEnd = Handle(childReads ? read : write);
    ownEnd = Handle(childReads ? write : read);
    SetHandleInformation(ownEnd.get(), HANDLE_FLAG_INHERIT, 0);
}

Handle Nul() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return Handle(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                              nullptr));
}

// Programs are started one at a time: a child must inherit only the pipe ends meant for it, or
// another child holding a copy would keep a pipe from ever ending.
std::mutex& StartLock() {
    static std::mutex lock;
    return lock;
}

// Arguments are UTF-8, as on Linux: the programs read their command line as UTF-16.
std::wstring Wide(const std::string& utf8) {
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    return wide;
}

Handle Start(const std::string& program, const std::vector<std::string>& argv, HANDLE in,
             HANDLE out, HANDLE err) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    std::wstring line = Wide(CommandLine(program, argv));
    if (!CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &info)) {
        throw std::runtime_error("cannot start " + program + ": error " +
                                 std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    return Handle(info.hProcess);
}

std::thread Reader(HANDLE pipe, std::function<void(std::string_view)> sink) {
    return std::thread([pipe, sink = std::move(sink)] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            sink(std::string_view(buffer, got));
        }
    });
}

ProcessResult RunWindows(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& input, std::chrono::seconds limit) {
    Handle inChild, inOwn, outChild, outOwn, errChild, errOwn, process;
    {
        std::lock_guard lock(StartLock());
        MakePipe(inChild, inOwn, true);
        MakePipe(outChild, outOwn, false);
        MakePipe(errChild, errOwn, false);
        process = Start(program, argv, inChild.get(), outChild.get(), errChild.get());
        inChild.Close();
        outChild.Close();
        errChild.Close();
    }
    ProcessResult result;
    std::thread out = Reader(outOwn.get(), [&](std::string_view s) { result.out.append(s); });
    std::thread err = Reader(errOwn.get(), [&](std::string_view s) { result.err.append(s); });
    std::thread writer([&] {
        DWORD written = 0;
        if (!input.empty()) {
            WriteFile(inOwn.get(), input.data(), static_cast<DWORD>(input.size()), &written,
                      nullptr);
        }
        inOwn.Close();
    });
    DWORD waited = WaitForSingleObject(process.get(), static_cast<DWORD>(limit.count() * 1000));
    bool killed = waited != WAIT_OBJECT_0;
    if (killed) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
    }
    writer.join();
    out.join();
    err.join();
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    result.status = killed ? -1 : static_cast<int>(code);
    return result;
}

class WindowsProcess final : public Background::Process {
public:
    WindowsProcess(const std::string& program, const std::vector<std::string>& argv,
                   Background::OutputSink output) {
        Handle nul = Nul(), outChild, outOwn;
        {
            std::lock_guard lock(StartLock());
            if (output) {
                MakePipe(outChild, outOwn, false);
            }
            HANDLE out = output ? outChild.get() : nul.get();
            process_ = Start(program, argv, nul.get(), out, out);
            outChild.Close();
        }
        if (output) {
            pipe_ = std::move(outOwn);
            reader_ = std::thread([pipe = pipe_.get(), sink = std::move(output)] {
                Reader(pipe, sink).join();
                sink({});
            });
        }
    }

    ~WindowsProcess() override { Stop(); }

    // Windows has no polite request to end a console program from outside: it is terminated.
    void Stop() override {
        if (process_.get() != nullptr) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), INFINITE);
            process_.Close();
        }
        if (reader_.joinable()) {
            reader_.join();
        }
    }

private:
    Handle process_;
    Handle pipe_;
    std::thread reader_;
};

} // namespace

ProcessResult Run(const std::vector<std::string>& argv, const std::string& input,
                  std::chrono::seconds limit) {
    if (std::optional<std::string> program = WindowsProgram(argv.at(0))) {
        return RunWindows(*program, argv, input, limit);
    }
    return RunPeer(argv, input, limit);
}

std::unique_ptr<Background::Process> StartBackground(const std::vector<std::string>& argv,
                                                     Background::OutputSink output) {
    if (std::optional<std::string> program = WindowsProgram(argv.at(0))) {
        return std::make_unique<WindowsProcess>(*program, argv, std::move(output));
    }
    return StartPeer(argv, std::move(output));
}

} // namespace zeph::testing
