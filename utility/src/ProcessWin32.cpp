// Processes on Windows: CreateProcess with the output into an inherited pipe and a wait with a
// time-out, the shell's open for files and addresses, WinExec for the registry's command.

#include "CommandLine.h"

#include <tollund/CFunction.h>

// The system headers need windows.h (or winsock2.h) first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tollund::detail::CommandLineBuffer;
constexpr size_t GotoUrlBuffer = 520;
constexpr DWORD ReadPiece = 4096;
constexpr DWORD PollMs = 20;

// Moves what the pipe holds now into the sink (dropped when there is none): a child that writes
// more than the pipe holds would otherwise stall until its time-out.
void TakeAvailable(HANDLE pipe, std::string* sink) {
    char buffer[ReadPiece];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) {
            return;
        }
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, ReadPiece), &got, nullptr) ||
            got == 0) {
            return;
        }
        if (sink != nullptr) {
            sink->append(buffer, got);
        }
    }
}

// The output pipe: the read end stays here, the write end is inherited by the child.
bool CreateOutputPipe(HANDLE& readEnd, HANDLE& writeEnd) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

bool StartHidden(const std::string& appPath, const std::string& commandLine, HANDLE output,
                 PROCESS_INFORMATION& process) {
    char line[CommandLineBuffer] = {};
    std::memcpy(line, commandLine.data(), commandLine.size());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    return CreateProcessA(appPath.empty() ? nullptr : appPath.c_str(), line, nullptr, nullptr, TRUE,
                          0, nullptr, nullptr, &startup, &process) != 0;
}

// Waits for the process to end within the limit (INFINITE: none), moving its output to the
// sink meanwhile; the wait's result.
DWORD WaitCapturing(HANDLE process, HANDLE pipe, std::string* sink, DWORD limitMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD slice = PollMs;
        if (limitMs != INFINITE) {
            const ULONGLONG passed = GetTickCount64() - start;
            slice = passed >= limitMs ? 0 : std::min<DWORD>(PollMs, limitMs - DWORD(passed));
        }
        const DWORD woke = WaitForSingleObject(process, slice);
        TakeAvailable(pipe, sink);
        if (woke != WAIT_TIMEOUT || (limitMs != INFINITE && slice == 0)) {
            return woke;
        }
    }
}

} // namespace

int CFunction::ExecCommand(const std::string& appPath, const std::string& commandLine,
                           std::string& output, int capture, int timeoutSeconds) {
    output.clear();
    if (!tollund::detail::ExecCommandLineFits(appPath, commandLine)) {
        return 0;
    }
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreateOutputPipe(readEnd, writeEnd)) {
        RLog("[ExecCommand] Stdout pipe creation failed.Command:%s", appPath.c_str());
        return 0;
    }
    PROCESS_INFORMATION process{};
    const bool started = StartHidden(appPath, commandLine, writeEnd, process);
    const DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        RLog("[ExecCommand] CreateProcess Error:%s.Error:%s", appPath.c_str(),
             GetLastErrorString(startError).c_str());
        return 0;
    }
    std::string* sink = capture != 0 ? &output : nullptr;
    const DWORD limitMs =
        timeoutSeconds < 0 ? INFINITE : static_cast<DWORD>(timeoutSeconds) * 1000u;
    const DWORD waited = WaitCapturing(process.hProcess, readEnd, sink, limitMs);
    int result = 1;
    if (waited != WAIT_OBJECT_0) {
        RLog("ExecCommand:%s.Waited  %dS Timeout. ret=%d,%s", appPath.c_str(), timeoutSeconds,
             static_cast<int>(waited), GetLastErrorString(waited).c_str());
        TerminateProcess(process.hProcess, 0);
        output.clear();
        result = 0;
    }
    CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

void CFunction::RunProcess(std::string fileName, std::string parameters, int showCommand) {
    const std::string dir = GetCurrentModuleDir();
    const std::string file = dir + "\\" + fileName;
    ShellExecuteA(nullptr, nullptr, file.c_str(), parameters.c_str(), dir.c_str(), showCommand);
}

int CFunction::GotoURL(const char* url, int showCommand) {
    const std::string text = url != nullptr ? url : "";
    const int shellResult = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", text.c_str(), nullptr, nullptr, showCommand)));
    if (shellResult > 32) {
        return shellResult;
    }
    char htmClass[260] = {};
    if (GetRegKey(0x80000000u, ".htm", htmClass) != 0) {
        return shellResult;
    }
    const std::string commandKey = std::string(htmClass) + "\\shell\\open\\command";
    char command[260] = {};
    if (GetRegKey(0x80000000u, commandKey.c_str(), command) != 0) {
        return shellResult;
    }
    std::string line = command;
    const size_t quoted = line.find("\"%1\"");
    const size_t bare = line.find("%1");
    if (quoted != std::string::npos) {
        line.resize(quoted);
    } else if (bare != std::string::npos) {
        line.resize(bare);
    }
    line += " " + text;
    if (line.size() >= GotoUrlBuffer) {
        RLog("[GotoURL] Command line too long (%u characters, at most %u).",
             static_cast<unsigned>(line.size()), static_cast<unsigned>(GotoUrlBuffer - 1));
        return shellResult;
    }
    return static_cast<int>(WinExec(line.c_str(), static_cast<UINT>(showCommand)));
}
