#include "StopRequest.h"

#include <windows.h>

namespace {

HANDLE StopEvent() {
    static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(StopEvent());
    return TRUE;
}

} // namespace

void PrepareStopRequest() {
    StopEvent();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void WaitForStopRequest() {
    WaitForSingleObject(StopEvent(), INFINITE);
}
