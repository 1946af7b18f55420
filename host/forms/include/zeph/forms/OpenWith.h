// The program chooser the desktop offers for a document that has no associated program.
#pragma once

#include <zeph/text/HostText.h>

#include <string>

namespace zeph::forms {

// The open dialog "OpenAsDialog" asks for a program, which is then started with the path as its
// argument and not waited for. False when the person cancels or the program cannot be started.
ZEPH_HOST_API bool OpenWithChooser(const std::string& path);

} // namespace zeph::forms
