// The stop event as a manual-reset Windows event. Its handle travels in the int of the public
// class: the system keeps handle values within 32 bits.

#include <tollund/CHttpServer.h>

#include <windows.h>

#include <cstdint>
#include <new>

namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

} // namespace

std::shared_ptr<CHttpEvent> CHttpEvent::Create(bool signalled) {
    const HANDLE event = CreateEventA(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr);
    if (event == nullptr) {
        return nullptr;
    }
    return std::shared_ptr<CHttpEvent>(new (std::nothrow) CHttpEvent(
        static_cast<int>(reinterpret_cast<intptr_t>(event)), signalled));
}

CHttpEvent::~CHttpEvent() {
    CloseHandle(HandleOf(m_fd));
}

void CHttpEvent::Set() {
    m_set = true;
    SetEvent(HandleOf(m_fd));
}

void CHttpEvent::Reset() {
    m_set = false;
    ResetEvent(HandleOf(m_fd));
}

bool CHttpEvent::IsSet() const {
    return m_set.load();
}

bool CHttpEvent::Wait(int timeoutMs) const {
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(HandleOf(m_fd), limit) == WAIT_OBJECT_0;
}
