// A program that the Windows tests start: "crash" dies of an access violation inside
// CrashHere after setting the crash filter, "sleep N" waits N seconds, "print TEXT" writes TEXT
// to standard output, "window TITLE FILE" shows a window with that title and writes the first
// user message it receives into FILE, then ends (exit code 3 when no window can be made).

#include <tollund/CMiniDumper.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Not inlined, so that the dump's backtrace names it.
__attribute__((noinline)) void CrashHere(volatile int* where) {
    *where = 42;
}

const char* messageFile = nullptr;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER && message < WM_APP) {
        if (FILE* file = std::fopen(messageFile, "w")) {
            std::fprintf(file, "%u %llu %lld", message, static_cast<unsigned long long>(wParam),
                         static_cast<long long>(lParam));
            std::fclose(file);
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int ShowWindowUntilAMessage(const char* title, const char* file) {
    messageFile = file;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TollundTestWindow";
    if (RegisterClassA(&windowClass) == 0) {
        return 3;
    }
    const HWND window = CreateWindowExA(0, "TollundTestWindow", title, WS_OVERLAPPEDWINDOW, 0, 0,
                                        200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 3;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "crash") == 0) {
        CMiniDumper::SetUnhandledExceptionFilter();
        volatile int* volatile nowhere = nullptr;
        CrashHere(nowhere);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000u);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "print") == 0) {
        std::fputs(argv[2], stdout);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "window") == 0) {
        return ShowWindowUntilAMessage(argv[2], argv[3]);
    }
    return 2;
}
