// Opening a document with the program the desktop associates with it, and letting the person
// choose a program when there is none.
#pragma once

#include <zeph/text/HostText.h>

#include <string>

namespace zeph::platform {

// The desktop's opener: the program named by $ZEPH_OPENER, else "xdg-open".
ZEPH_HOST_API std::string OpenerProgram();

// Runs the opener on the host-text path. True when it accepted the document: it exited with
// status 0, or it was still running after a short grace period (some openers stay in the
// foreground with the program they started). False when it could not be started or failed.
ZEPH_HOST_API bool ShellOpen(const std::string& path);

// The program chooser: the toolkit's open dialog "OpenAsDialog" asks for a program, which is
// then started with the path as its argument and not waited for. False when the person
// cancels or the program cannot be started.
ZEPH_HOST_API bool OpenWithChooser(const std::string& path);

} // namespace zeph::platform
