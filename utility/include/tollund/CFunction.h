#pragma once

#include <tollund/TollundApi.h>

#include <cstdint>
#include <string>

// Process-wide text log in the program directory, a volatile trace on standard error, and the
// small process helpers the rest of the library stands on. Only static operations; an instance
// carries no state.
class TOLLUND_API CFunction {
public:
    CFunction();
    ~CFunction();

    // Appends the formatted message (at most 511 bytes) to "Info.dat" in the program directory.
    static void RLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // As RLog with the prefix "[DLog] ", but only while the marker file "VelkarnTech.debug"
    // exists in the program directory; the marker is tested on every call.
    static void DLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Sends one numbered, time-stamped trace line to standard error; the log file is untouched.
    static void VLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Logs "<file>.Line:<line>.Error Code:0X<code>".
    static void ELog(const char* sourceFile, uint32_t line, int32_t errorCode);
    // As above with the calling thread's errno.
    static void ELog(const char* sourceFile, uint32_t line);

    // Directory of the running executable, without a trailing "/"; empty when it has none.
    static std::string GetCurrentModuleDir();
    // Monotonic milliseconds.
    static int64_t GetSysTickCount64();
    // The system's text for an error number; empty for a number the system does not know.
    static std::string GetLastErrorString(uint32_t errorCode);
    // The same for the calling thread's errno.
    static std::string GetLastErrorString();

private:
    // Appends one entry to fileName (relative to the program directory, starting with "/").
    static void Log(const std::string& fileName, const char* message);
    // Receives every logged message; produces no output.
    static void DebugOutput(const std::string& message);

public:
    // Processes, windows and machine facts.
};
