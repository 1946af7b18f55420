// The log on Windows: the file opened without sharing for each entry, the trace through
// OutputDebugString, the program directory from the module file name, and the system's message
// texts.

#include "LogPlatform.h"

#include <tollund/CFunction.h>

#include <windows.h>

#include <mutex>
#include <string>

using namespace tollund::detail;

namespace {

constexpr DWORD LogResetSize = 2048000;
constexpr DWORD ModulePathSize = 260;

std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

bool WriteAll(HANDLE file, const char* data, size_t length) {
    while (length > 0) {
        DWORD written = 0;
        const DWORD piece = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

} // namespace

namespace tollund::detail {

KeepLastError::KeepLastError() : m_saved(GetLastError()) {}

KeepLastError::~KeepLastError() {
    SetLastError(static_cast<DWORD>(m_saved));
}

void WriteDebugLine(const char* line, size_t length) {
    OutputDebugStringA(std::string(line, length).c_str());
}

const char* PathSeparator() {
    return "\\";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace tollund::detail

void CFunction::ELog(const char* sourceFile, uint32_t line) {
    ELog(sourceFile, line, static_cast<int32_t>(GetLastError()));
}

std::string CFunction::GetCurrentModuleDir() {
    char path[ModulePathSize] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, ModulePathSize);
    if (length == 0 || length >= ModulePathSize) {
        return {};
    }
    const std::string exe(path, length);
    const size_t slash = exe.rfind('\\');
    if (slash == std::string::npos || slash == 0) {
        return {};
    }
    return exe.substr(0, slash);
}

int64_t CFunction::GetSysTickCount64() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<int64_t>(f.QuadPart);
    }();
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    const int64_t counter = static_cast<int64_t>(c.QuadPart);
    return (counter / frequency) * 1000 + ((counter % frequency) * 1000) / frequency;
}

std::string CFunction::GetLastErrorString(uint32_t errorCode) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    DebugOutput(text);
    return text;
}

std::string CFunction::GetLastErrorString() {
    return GetLastErrorString(GetLastError());
}

void CFunction::Log(const std::string& fileName, const char* message) {
    const std::lock_guard<std::mutex> guard(LogLock());
    const std::string path = GetCurrentModuleDir() + fileName;
    // Not shared: a writer in another process loses its entry instead of interleaving bytes.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (high != 0 || low > LogResetSize) {
        CloseHandle(file);
        file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return;
        }
    }
    const std::string text = LogEntryText(message);
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        WriteAll(file, text.data(), text.size());
    }
    CloseHandle(file);
}
