// Opening a document with the program the desktop associates with it, or with a given one.
#pragma once

#include <zeph/text/HostText.h>

#include <string>

namespace zeph::platform {

// The desktop's opener: the program named by $ZEPH_OPENER, else "xdg-open"; on Windows "" (the
// shell's association) unless $ZEPH_OPENER names one.
ZEPH_HOST_API std::string OpenerProgram();

// Runs the opener on the host-text path. True when it accepted the document: it exited with
// status 0, or it was still running after a short grace period (some openers stay in the
// foreground with the program they started). False when it could not be started or failed.
// On Windows without an opener the shell opens it with the "Open" verb, and a document that no
// program is associated with goes to the system's program chooser.
ZEPH_HOST_API bool ShellOpen(const std::string& path);

// Starts the program (a host-text path) with the document as its argument, without waiting
// for it. False when it could not be started or failed at once.
ZEPH_HOST_API bool StartProgram(const std::string& program, const std::string& path);

} // namespace zeph::platform
