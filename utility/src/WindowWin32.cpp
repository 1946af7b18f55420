// Windows by title: FindWindow, the owning process terminated, messages posted to the window.

#include <tollund/CFunction.h>

#include <windows.h>

#include <cstdint>

namespace {

HWND WindowOf(CFunction::WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

} // namespace

int CFunction::FindProcessHandleAndKill(WindowHandle window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(WindowOf(window), &processId);
    if (processId == 0) {
        return 0;
    }
    const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (process == nullptr) {
        return 0;
    }
    const BOOL ended = TerminateProcess(process, 0);
    CloseHandle(process);
    return ended ? 1 : 0;
}

int CFunction::FindProcessHandleAndKill(const std::string& windowTitle) {
    const HWND window = FindWindowA(nullptr, windowTitle.c_str());
    if (window == nullptr) {
        return 0;
    }
    return FindProcessHandleAndKill(static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(window)));
}

void CFunction::FindWindowAndSendMsg(const char* windowTitle, uint32_t message, uint32_t wParam,
                                     int32_t lParam) {
    const HWND window = FindWindowA(nullptr, windowTitle);
    if (window == nullptr) {
        RLog("Not Find VelkarnDaemon.");
        return;
    }
    PostMessageA(window, message, wParam, lParam);
}
