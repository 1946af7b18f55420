// X11 windows: finding a top-level window by its title, its process, and messages to it.

#include "WindowX11.h"

#include <tollund/CFunction.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>

namespace {

std::mutex& XLock() {
    static std::mutex lock;
    return lock;
}

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool WindowProperty(Display* display, Window window, Atom property, Atom type, std::string& bytes,
                    int wantedFormat = 8) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                           &actualFormat, &count, &after, &data) != Success ||
        data == nullptr) {
        return false;
    }
    const bool ok = actualType == type && actualFormat == wantedFormat;
    if (ok) {
        const size_t unit = wantedFormat == 8    ? 1
                            : wantedFormat == 16 ? sizeof(short)
                                                 : sizeof(long);
        bytes.assign(reinterpret_cast<char*>(data), count * unit);
    }
    XFree(data);
    return ok;
}

} // namespace

namespace tollund::detail {

XSession::XSession() : m_guard(XLock()) {
    m_display = XOpenDisplay(nullptr);
    if (m_display != nullptr) {
        m_previous = XSetErrorHandler(IgnoreXError);
    }
}

XSession::~XSession() {
    if (m_display != nullptr) {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
        XCloseDisplay(m_display);
    }
}

bool TitleIs(Display* display, Window window, const std::string& title) {
    std::string name;
    if (WindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                       XInternAtom(display, "UTF8_STRING", False), name) &&
        name == title) {
        return true;
    }
    char* plain = nullptr;
    if (XFetchName(display, window, &plain) != 0 && plain != nullptr) {
        const bool equal = title == plain;
        XFree(plain);
        return equal;
    }
    return false;
}

// The topmost top-level window with exactly that title; client windows that a window manager
// has put into frames are found one level down.
Window FindTopLevel(Display* display, const std::string& title) {
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = count; i-- > 0 && found == 0;) {
        if (TitleIs(display, children[i], title)) {
            found = children[i];
        }
    }
    for (unsigned i = count; i-- > 0 && found == 0;) {
        Window* inner = nullptr;
        unsigned innerCount = 0;
        Window innerRoot = 0;
        Window innerParent = 0;
        if (XQueryTree(display, children[i], &innerRoot, &innerParent, &inner, &innerCount) != 0) {
            for (unsigned j = innerCount; j-- > 0 && found == 0;) {
                if (TitleIs(display, inner[j], title)) {
                    found = inner[j];
                }
            }
            if (inner != nullptr) {
                XFree(inner);
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// The local process that owns the window; 0 when it has none or runs on another machine.
pid_t WindowProcess(Display* display, Window window) {
    std::string value;
    if (!WindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        value, 32) ||
        value.size() < sizeof(long)) {
        return 0;
    }
    long pid = 0;
    std::memcpy(&pid, value.data(), sizeof pid);
    std::string machine;
    if (WindowProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, machine)) {
        char host[HOST_NAME_MAX + 1] = {};
        gethostname(host, sizeof host - 1);
        if (machine.c_str() != std::string(host)) {
            return 0;
        }
    }
    return pid > 0 ? static_cast<pid_t>(pid) : 0;
}

int KillWindowProcess(Display* display, Window window) {
    const pid_t pid = WindowProcess(display, window);
    if (pid <= 0) {
        return 0;
    }
    return kill(pid, SIGKILL) == 0 ? 1 : 0;
}

} // namespace tollund::detail

using tollund::detail::FindTopLevel;
using tollund::detail::KillWindowProcess;
using tollund::detail::XSession;

int CFunction::FindProcessHandleAndKill(WindowHandle window) {
    XSession session;
    if (session.Get() == nullptr || window == 0) {
        return 0;
    }
    return KillWindowProcess(session.Get(), static_cast<Window>(window));
}

int CFunction::FindProcessHandleAndKill(const std::string& windowTitle) {
    XSession session;
    if (session.Get() == nullptr) {
        return 0;
    }
    const Window window = FindTopLevel(session.Get(), windowTitle);
    return window == 0 ? 0 : KillWindowProcess(session.Get(), window);
}

void CFunction::FindWindowAndSendMsg(const char* windowTitle, uint32_t message, uint32_t wParam,
                                     int32_t lParam) {
    XSession session;
    Display* display = session.Get();
    const Window window =
        display != nullptr && windowTitle != nullptr ? FindTopLevel(display, windowTitle) : 0;
    if (window == 0) {
        RLog("Not Find VelkarnDaemon.");
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_TOLLUND_WINDOW_MESSAGE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}
