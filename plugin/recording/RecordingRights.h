// Whose recordings the agent may save.
#pragma once

#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::recording {

// The right to save every recording; the right to save one's own; else the right code that
// protects the staff member's recordings, looked up in the main window's staff table (filled
// from the host's public data "Staff" when it holds no rows).
bool CanSaveRecording(TInterFacefrmMain& main, const std::string& staffNo);

} // namespace morvane::recording
