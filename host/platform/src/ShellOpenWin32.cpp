#include "Process.h"
#include "WideText.h"

#include <zeph/platform/Paths.h>
#include <zeph/platform/ShellOpen.h>

#include <shellapi.h>

#include <cstdlib>

namespace zeph::platform {
namespace {

// As on the other platforms: long enough for an opener that hands the document on and exits.
constexpr std::chrono::milliseconds kOpenerGrace{3000};

// The shell's "Open" verb, as a double click in the file manager does; false when the document
// has no associated program, or it could not be started.
bool OpenWithAssociation(const std::wstring& document, bool& noAssociation) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = document.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) {
        return true;
    }
    noAssociation = GetLastError() == ERROR_NO_ASSOCIATION;
    return false;
}

} // namespace

std::string OpenerProgram() {
    const char* configured = std::getenv("ZEPH_OPENER");
    return configured != nullptr && *configured != '\0' ? configured : "";
}

bool ShellOpen(const std::string& path) {
    const std::string opener = OpenerProgram();
    if (!opener.empty()) {
        detail::ProgramOutcome outcome =
            detail::RunProgram({opener, NativePath(path)}, kOpenerGrace);
        return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
    }
    const std::wstring document = detail::Wide(NativePath(path));
    bool noAssociation = false;
    if (OpenWithAssociation(document, noAssociation)) {
        return true;
    }
    if (!noAssociation) {
        return false;
    }
    // No program is associated with the document: the system asks which one to take.
    detail::ProgramOutcome outcome = detail::RunProgram(
        {"rundll32.exe", "shell32.dll,OpenAs_RunDLL", NativePath(path)}, kOpenerGrace);
    return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
}

bool StartProgram(const std::string& program, const std::string& path) {
    // The program runs on its own; only a failure to start it is of interest.
    detail::ProgramOutcome outcome =
        detail::RunProgram({NativePath(program), NativePath(path)}, std::chrono::milliseconds(0));
    return outcome.started && (!outcome.exited || outcome.exitStatus == 0);
}

} // namespace zeph::platform
