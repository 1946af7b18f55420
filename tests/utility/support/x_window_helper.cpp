// Shows one top-level window with the title given and prints "ready <window id>". Then it waits:
// on a ClientMessage of type _TOLLUND_WINDOW_MESSAGE it prints "message <m> <wParam> <lParam>"
// and exits. Modes: "local" (owner is this process on this machine), "nopid" (no owner
// process recorded), "remote" (owner recorded on another machine).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE local|nopid|remote\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const std::string mode = argv[2];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 3;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    if (mode != "nopid") {
        const long pid = getpid();
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        char host[HOST_NAME_MAX + 1] = {};
        gethostname(host, sizeof host - 1);
        const std::string machine = mode == "remote" ? "elsewhere.invalid" : host;
        XChangeProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(machine.data()),
                        static_cast<int>(machine.size()));
    }
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("ready %lu\n", window);
    std::fflush(stdout);
    const Atom type = XInternAtom(display, "_TOLLUND_WINDOW_MESSAGE", False);
    while (true) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == type) {
            // 32-bit items: message and wParam unsigned, lParam signed.
            std::printf("message %u %u %d\n", static_cast<unsigned>(event.xclient.data.l[0]),
                        static_cast<unsigned>(event.xclient.data.l[1]),
                        static_cast<int>(event.xclient.data.l[2]));
            std::fflush(stdout);
            break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
