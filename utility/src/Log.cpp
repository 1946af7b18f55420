// The log file and the debug trace: the texts of their entries. Files, clocks and the debugger
// output belong to the platform's files.

#include "LocalClock.h"
#include "LogPlatform.h"

#include <tollund/CFunction.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

using namespace tollund::detail;

namespace {

constexpr size_t MessageBufferSize = 512;
constexpr const char* LogFileName = "Info.dat";
constexpr const char* DebugMarkerName = "VelkarnTech.debug";

std::atomic<int32_t> traceCounter{0};

void FormatMessage(char (&buffer)[MessageBufferSize], const char* format, va_list args) {
    buffer[0] = '\0';
    if (format == nullptr) {
        return;
    }
    if (vsnprintf(buffer, sizeof buffer, format, args) < 0) {
        buffer[0] = '\0';
    }
}

} // namespace

namespace tollund::detail {

std::string LogEntryText(const char* message) {
    const tm local = LocalNow();
    char entry[128];
    const int stampLength =
        snprintf(entry, sizeof entry, "\r\n%04d-%02d-%02d %02d:%02d:%02d:%03d ",
                 local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                 local.tm_sec, static_cast<int>(SystemTickCount() % 1000u));
    std::string text(entry, stampLength > 0 ? static_cast<size_t>(stampLength) : 0);
    if (message != nullptr) {
        text += message;
    }
    return text;
}

} // namespace tollund::detail

void CFunction::RLog(const char* format, ...) {
    const KeepLastError keep;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    DebugOutput(message);
    Log(PathSeparator() + std::string(LogFileName), message);
}

void CFunction::DLog(const char* format, ...) {
    const KeepLastError keep;
    const std::string markerPath = GetCurrentModuleDir() + PathSeparator() + DebugMarkerName;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    const std::string entry = std::string("[DLog] ") + message;
    DebugOutput(message);
    if (FileExists(markerPath)) {
        Log(PathSeparator() + std::string(LogFileName), entry.c_str());
    }
}

void CFunction::VLog(const char* format, ...) {
    const KeepLastError keep;
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
        WriteDebugLine(line, static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length)
                                                                       : sizeof line - 1);
    }
}

void CFunction::ELog(const char* sourceFile, uint32_t line, int32_t errorCode) {
    // There is no pending per-thread error object here, so the entry never has a description.
    RLog("%s.Line:%d.Error Code:0X%X", sourceFile != nullptr ? sourceFile : "",
         static_cast<int>(line), static_cast<unsigned>(errorCode));
}

void CFunction::DebugOutput(const std::string& message) {
    (void)message;
}
