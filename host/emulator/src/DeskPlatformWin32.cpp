#include <zeph/emulator/Database.h>
#include <zeph/emulator/DeskPlatform.h>

// shellapi.h stands on windows.h.
// clang-format off
#include "WideTextWin32.h"

#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace zeph::emulator {
namespace {

using detail::Wide;

std::string Narrow(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), bytes, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

// Paths removed when the console asks the program to end; the handler runs on a thread of its
// own while the program goes on, so it only deletes, and the paths are fixed before it is set.
constexpr int kCleanupFiles = 4;
wchar_t cleanupFiles[kCleanupFiles][MAX_PATH];
wchar_t cleanupFolder[MAX_PATH];

BOOL WINAPI RemoveTemporary(DWORD) {
    for (auto& file : cleanupFiles) {
        if (file[0] != L'\0') {
            DeleteFileW(file);
        }
    }
    if (cleanupFolder[0] != L'\0') {
        RemoveDirectoryW(cleanupFolder);
    }
    // Not handled: the system's own handler ends the program.
    return FALSE;
}

void CopyPath(wchar_t (&to)[MAX_PATH], const std::wstring& from) {
    to[0] = L'\0';
    if (from.size() < MAX_PATH) {
        std::copy(from.c_str(), from.c_str() + from.size() + 1, to);
    }
}

// Players whose process handles are closed once they ended.
std::vector<HANDLE>& Players() {
    static std::vector<HANDLE> players;
    return players;
}

// One argument quoted as the C runtime reads it back.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring line = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
    return line;
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // The narrow argv holds the ANSI code page's approximation; the wide one is what was typed.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) {
            LocalFree(wide);
        }
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

void UseBinaryStandardStreams() {
    for (FILE* stream : {stdin, stdout, stderr}) {
        _setmode(_fileno(stream), _O_BINARY);
    }
}

std::filesystem::path ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::filesystem::current_path();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

TemporaryFolder::TemporaryFolder() {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        std::filesystem::path candidate =
            base / (L"zeph-host-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (path_.empty()) {
        throw EDatabaseError("cannot create a temporary folder for the demo database");
    }
    const wchar_t* suffixes[kCleanupFiles] = {L"", L"-journal", L"-wal", L"-shm"};
    for (int i = 0; i < kCleanupFiles; ++i) {
        CopyPath(cleanupFiles[i], (path_ / L"desk.db").wstring() + suffixes[i]);
    }
    CopyPath(cleanupFolder, path_.wstring());
    SetConsoleCtrlHandler(RemoveTemporary, TRUE);
}

TemporaryFolder::~TemporaryFolder() {
    SetConsoleCtrlHandler(RemoveTemporary, FALSE);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::optional<long> StartPlayer(const std::string& command, const std::string& file) {
    auto& players = Players();
    std::erase_if(players, [](HANDLE process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            return false;
        }
        CloseHandle(process);
        return true;
    });
    // The command line is the desk's command with the file as its last argument, quoted; no
    // shell reads it, so the file name is never command text.
    std::wstring line = Wide(command) + L" " + Quoted(Wide(file));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        nullptr, nullptr, &startup, &process)) {
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    players.push_back(process.hProcess);
    return static_cast<long>(process.dwProcessId);
}

} // namespace zeph::emulator
