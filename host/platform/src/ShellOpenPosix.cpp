#include "Process.h"

#include <zeph/platform/Paths.h>
#include <zeph/platform/ShellOpen.h>

#include <cstdlib>

namespace zeph::platform {
namespace {

// Long enough for an opener that hands the document on and exits; short enough that one that
// stays with its program does not hold the host's user-interface thread.
constexpr std::chrono::milliseconds kOpenerGrace{3000};

} // namespace

std::string OpenerProgram() {
    const char* configured = std::getenv("ZEPH_OPENER");
    return configured != nullptr && *configured != '\0' ? configured : "xdg-open";
}

bool ShellOpen(const std::string& path) {
    detail::ProgramOutcome outcome =
        detail::RunProgram({OpenerProgram(), NativePath(path)}, kOpenerGrace);
    return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
}

bool StartProgram(const std::string& program, const std::string& path) {
    // The program runs on its own; only a failure to start it is of interest.
    detail::ProgramOutcome outcome =
        detail::RunProgram({NativePath(program), NativePath(path)}, std::chrono::milliseconds(0));
    return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
}

} // namespace zeph::platform
