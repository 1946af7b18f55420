// The log on POSIX: the file appended under flock, the trace on standard error, the program
// directory from /proc/self/exe and the error texts of errno.

#include "LocalClock.h"
#include "LogPlatform.h"

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

using namespace tollund::detail;

namespace {

constexpr off_t LogResetSize = 2048000;

// Serialises every append within the process; other processes are kept out by flock.
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

// Writes all of data to fd, resuming after signals; false on the first real error.
bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

namespace tollund::detail {

KeepLastError::KeepLastError() : m_saved(static_cast<unsigned long>(errno)) {}

KeepLastError::~KeepLastError() {
    errno = static_cast<int>(m_saved);
}

void WriteDebugLine(const char* line, size_t length) {
    // One write per line keeps lines of different threads apart.
    WriteAll(STDERR_FILENO, line, length);
}

const char* PathSeparator() {
    return "/";
}

bool FileExists(const std::string& path) {
    struct stat fileStat {};
    return stat(path.c_str(), &fileStat) == 0;
}

} // namespace tollund::detail

void CFunction::ELog(const char* sourceFile, uint32_t line) {
    ELog(sourceFile, line, errno);
}

std::string CFunction::GetCurrentModuleDir() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        return {};
    }
    return exe.substr(0, slash);
}

int64_t CFunction::GetSysTickCount64() {
    // The monotonic clock counts nanoseconds: a fixed frequency of 1e9.
    constexpr int64_t frequency = 1000000000;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const int64_t counter = static_cast<int64_t>(ts.tv_sec) * frequency + ts.tv_nsec;
    return (counter / frequency) * 1000 + ((counter % frequency) * 1000) / frequency;
}

std::string CFunction::GetLastErrorString(uint32_t errorCode) {
    const int code = static_cast<int>(errorCode);
    std::string text;
    // strerrorname_np knows exactly the codes the system has a message for.
    if (code > 0 && strerrorname_np(code) != nullptr) {
        char buffer[256];
        text = strerror_r(code, buffer, sizeof buffer);
    }
    DebugOutput(text);
    return text;
}

std::string CFunction::GetLastErrorString() {
    return GetLastErrorString(static_cast<uint32_t>(errno));
}

void CFunction::Log(const std::string& fileName, const char* message) {
    const std::lock_guard<std::mutex> guard(LogLock());
    const std::string path = GetCurrentModuleDir() + fileName;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    // Exclusive for the whole append: a writer in another process loses its entry instead of
    // interleaving bytes with this one.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    struct stat fileStat {};
    if (fstat(fd, &fileStat) != 0) {
        close(fd);
        return;
    }
    if (fileStat.st_size > LogResetSize) {
        if (ftruncate(fd, 0) != 0) {
            close(fd);
            return;
        }
    }
    const std::string text = LogEntryText(message);
    if (lseek(fd, 0, SEEK_END) >= 0) {
        WriteAll(fd, text.data(), text.size());
    }
    close(fd); // also releases the lock
}
