// The log file and the debug trace.

#include "LogLayer.h"

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

namespace tollund::detail {

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

} // namespace tollund::detail

namespace {

using tollund::detail::WriteAll;

constexpr size_t MessageBufferSize = 512;
constexpr off_t LogResetSize = 2048000;
constexpr const char* LogFileName = "/Info.dat";
constexpr const char* DebugMarkerName = "/VelkarnTech.debug";

// Serialises every append within the process; other processes are kept out by flock.
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<int32_t> traceCounter{0};

// Milliseconds since boot, truncated to 32 bits like the classic system tick count.
uint32_t SystemTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

tm LocalNow() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return local;
}

void FormatMessage(char (&buffer)[MessageBufferSize], const char* format, va_list args) {
    buffer[0] = '\0';
    if (format == nullptr) {
        return;
    }
    if (vsnprintf(buffer, sizeof buffer, format, args) < 0) {
        buffer[0] = '\0';
    }
}

// Puts errno back, when the scope ends, to what it was when the scope began: logging a failure
// must not change the error the caller goes on to look at.
class KeepErrno {
public:
    KeepErrno() : m_saved(errno) {}
    ~KeepErrno() { errno = m_saved; }
    KeepErrno(const KeepErrno&) = delete;
    KeepErrno& operator=(const KeepErrno&) = delete;

private:
    int m_saved;
};

} // namespace

void CFunction::RLog(const char* format, ...) {
    const KeepErrno keep;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    DebugOutput(message);
    Log(LogFileName, message);
}

void CFunction::DLog(const char* format, ...) {
    const KeepErrno keep;
    const std::string markerPath = GetCurrentModuleDir() + DebugMarkerName;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    const std::string entry = std::string("[DLog] ") + message;
    DebugOutput(message);
    struct stat markerStat {};
    if (stat(markerPath.c_str(), &markerStat) == 0) {
        Log(LogFileName, entry.c_str());
    }
}

void CFunction::VLog(const char* format, ...) {
    const KeepErrno keep;
    const tm local = LocalNow();
    const int64_t tick = GetSysTickCount64();
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    const int32_t number = traceCounter.fetch_add(1);
    const long tickLow = static_cast<int32_t>(static_cast<uint32_t>(tick));
    char line[MessageBufferSize + 96];
    const int length = snprintf(line, sizeof line, "No:%d\t,%d-%d %02d:%02d:%02d,Tick:%ld,%s\r\n",
                                number, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                local.tm_min, local.tm_sec, tickLow, message);
    if (length > 0) {
        // One write per line keeps lines of different threads apart.
        WriteAll(STDERR_FILENO, line,
                 static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length)
                                                           : sizeof line - 1);
    }
}

void CFunction::ELog(const char* sourceFile, uint32_t line, int32_t errorCode) {
    // There is no pending per-thread error object here, so the entry never has a description.
    RLog("%s.Line:%d.Error Code:0X%X", sourceFile != nullptr ? sourceFile : "",
         static_cast<int>(line), static_cast<unsigned>(errorCode));
}

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
    const tm local = LocalNow();
    char entry[64 + MessageBufferSize + 16];
    const int stampLength =
        snprintf(entry, sizeof entry, "\r\n%04d-%02d-%02d %02d:%02d:%02d:%03d ",
                 local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                 local.tm_sec, static_cast<int>(SystemTickCount() % 1000u));
    std::string text(entry, stampLength > 0 ? static_cast<size_t>(stampLength) : 0);
    if (message != nullptr) {
        text += message;
    }
    if (lseek(fd, 0, SEEK_END) >= 0) {
        WriteAll(fd, text.data(), text.size());
    }
    close(fd); // also releases the lock
}

void CFunction::DebugOutput(const std::string& message) {
    (void)message;
}
