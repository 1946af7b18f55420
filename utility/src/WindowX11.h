#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <mutex>
#include <string>

namespace tollund::detail {

// One display connection for one operation. X errors (a window that vanished meanwhile) are
// ignored while it is open instead of ending the process.
class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    Display* Get() const { return m_display; }

private:
    std::lock_guard<std::mutex> m_guard;
    Display* m_display = nullptr;
    XErrorHandler m_previous = nullptr;
};

// The topmost top-level window with exactly that title; 0 when there is none.
Window FindTopLevel(Display* display, const std::string& title);

// Kills the local process that owns the window; 1 when it was signalled.
int KillWindowProcess(Display* display, Window window);

} // namespace tollund::detail
