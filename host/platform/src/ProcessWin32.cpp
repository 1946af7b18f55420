#include "Process.h"
#include "WideText.h"

#include <algorithm>
#include <mutex>

namespace zeph::platform::detail {
namespace {

std::mutex& PendingMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<HANDLE>& Pending() {
    static std::vector<HANDLE> pending;
    return pending;
}

// One argument as the C runtime's command-line parser reads it back: quoted when it holds a
// space, a tab or a quote, with the backslashes before a quote doubled.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
    if (!line.empty()) {
        line.push_back(L' ');
    }
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
        } else {
            line.append(backslashes, L'\\');
        }
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

} // namespace

void ReapFinishedChildren() {
    std::lock_guard lock(PendingMutex());
    std::erase_if(Pending(), [](HANDLE process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            return false;
        }
        CloseHandle(process);
        return true;
    });
}

ProgramOutcome RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds wait) {
    ReapFinishedChildren();
    ProgramOutcome outcome;
    if (argv.empty() || argv.front().empty()) {
        return outcome;
    }
    std::wstring line;
    for (const std::string& arg : argv) {
        AppendArgument(line, Wide(arg));
    }
    // The child must not read the host's console, nor inherit its files and sockets.
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    BOOL inherit = FALSE;
    if (nul != INVALID_HANDLE_VALUE) {
        SetHandleInformation(nul, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        inherit = TRUE;
    }
    // The application name stays null, so the program is searched as the command line's first
    // word is: the program's folder, the system folders, then PATH.
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, inherit, CREATE_UNICODE_ENVIRONMENT,
                       nullptr, nullptr, &startup, &process);
    if (nul != INVALID_HANDLE_VALUE) {
        CloseHandle(nul);
    }
    if (!started) {
        return outcome;
    }
    CloseHandle(process.hThread);
    outcome.started = true;
    const auto millis = static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
        wait.count(), 0, static_cast<std::chrono::milliseconds::rep>(INFINITE - 1)));
    if (WaitForSingleObject(process.hProcess, millis) == WAIT_OBJECT_0) {
        DWORD code = 0;
        outcome.exited = true;
        outcome.exitStatus =
            GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
        CloseHandle(process.hProcess);
        return outcome;
    }
    std::lock_guard lock(PendingMutex());
    Pending().push_back(process.hProcess);
    return outcome;
}

} // namespace zeph::platform::detail
