// A subsystem's share of the main window: the components and state the window carries for it.
// The part registers its components with the main window under their own names, so the window
// finds them by name as if it declared them itself; the part lives exactly as long as the window.
#pragma once

namespace morvane {

class TInterFacefrmMain;

class TMainWindowPart {
public:
    TMainWindowPart() = default;
    virtual ~TMainWindowPart() = default;
    TMainWindowPart(const TMainWindowPart&) = delete;
    TMainWindowPart& operator=(const TMainWindowPart&) = delete;
};

} // namespace morvane
