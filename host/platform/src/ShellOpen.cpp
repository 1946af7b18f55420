#include "Process.h"

#include <zeph/forms/Dialogs.h>
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

bool OpenWithChooser(const std::string& path) {
    forms::OpenDialog dialog(nullptr, "OpenAsDialog");
    dialog.Title = "打开方式"_host;
    dialog.Filter = "程序|*"_host;
    dialog.InitialDir = "/usr/bin";
    if (!dialog.Execute() || dialog.FileName.empty()) {
        return false;
    }
    // The chosen program runs on its own; only a failure to start it is of interest.
    detail::ProgramOutcome outcome = detail::RunProgram(
        {NativePath(dialog.FileName), NativePath(path)}, std::chrono::milliseconds(0));
    return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
}

} // namespace zeph::platform
