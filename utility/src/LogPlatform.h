#pragma once

// What the log needs from the platform.

#include <cstddef>
#include <string>

namespace tollund::detail {

// Puts the calling thread's last system error back, when the scope ends, to what it was when the
// scope began: logging a failure must not change the error the caller goes on to look at.
class KeepLastError {
public:
    KeepLastError();
    ~KeepLastError();
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    unsigned long m_saved;
};

// Sends one whole debug-channel line, already ended, to the debugger output.
void WriteDebugLine(const char* line, size_t length);

bool FileExists(const std::string& path);

// The separator of the platform's paths: "/" here, "\\" on Windows.
const char* PathSeparator();

// The entry CFunction::Log appends: the separator, the time stamp and the message.
std::string LogEntryText(const char* message);

} // namespace tollund::detail
