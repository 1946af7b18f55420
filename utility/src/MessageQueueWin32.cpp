// Thread message queues on Windows: the system's own queue of each thread.

#include <tollund/CFunction.h>

#include <windows.h>

// The system names its posting function by character set; the library's member keeps its name.
#undef PostThreadMessage

namespace {

struct Dispatch {
    CFunction::MessageHandler handler = nullptr;
    void* context = nullptr;
};

Dispatch& ThisThreadDispatch() {
    thread_local Dispatch dispatch;
    return dispatch;
}

// A thread gets its queue with its first look at it.
void MakeQueue() {
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

} // namespace

uint32_t CFunction::GetCurrentThreadId() {
    return static_cast<uint32_t>(::GetCurrentThreadId());
}

void CFunction::SetMessageHandler(MessageHandler handler, void* context) {
    MakeQueue();
    ThisThreadDispatch() = {handler, context};
}

int CFunction::PostThreadMessage(uint32_t threadId, uint32_t message, uint32_t wParam,
                                 int32_t lParam) {
    return PostThreadMessageA(threadId, message, wParam, lParam) ? 1 : 0;
}

void CFunction::MsgProcess() {
    MakeQueue();
    const Dispatch dispatch = ThisThreadDispatch();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        if (message.hwnd != nullptr) {
            DispatchMessageA(&message);
        } else if (dispatch.handler != nullptr) {
            dispatch.handler({message.message, static_cast<uint32_t>(message.wParam),
                              static_cast<int32_t>(message.lParam)},
                             dispatch.context);
        }
    }
}
