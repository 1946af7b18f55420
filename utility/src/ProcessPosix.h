#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tollund::detail {

// Splits a command line by the Windows rules: blanks and tabs separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal quote, and
// "" inside quotes is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line);

struct SpawnOptions {
    bool searchPath = false;
    int output = -1; // descriptor for standard output and error, or -1 to inherit
    const char* workingDir = nullptr;
};

// Starts program with args (args[0] is the child's argv[0]); an errno value or 0.
int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& args,
          const SpawnOptions& options);

// A started program that nobody waits for is reaped in the background.
void ReapLater(pid_t pid);

// Start-result codes for a failed start, as the shell functions give them.
int StartError(int error);

} // namespace tollund::detail
