// Starting programs for the shell services: a bounded wait, and reaping children that outlived
// the wait so none stays a zombie (nor holds its process handle).
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zeph::platform::detail {

struct ProgramOutcome {
    bool started = false;
    bool exited = false; // false: still running when the wait ended
    int exitStatus = -1; // exit code, or -1 when ended by a signal
};

// Starts argv[0] (searched in PATH) with the arguments; waits up to wait for it to end.
ProgramOutcome RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds wait);

// Collects children that ended after their wait.
void ReapFinishedChildren();

} // namespace zeph::platform::detail
