// The listening thread on Winsock 2.2: an overlapped listening socket, a blocking accept that
// closing the socket ends, and a thread of its own for every connection.

#include "HttpProtocol.h"

#include <tollund/CFunction.h>
#include <tollund/CHttpServer.h>

// The system headers need windows.h (or winsock2.h) first.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <cstdint>
#include <new>

using namespace tollund::detail;

namespace {

SOCKET SocketOf(int socket) {
    return static_cast<SOCKET>(static_cast<unsigned>(socket));
}

// Winsock keeps socket values within 32 bits, as it does every handle.
int IntOf(SOCKET socket) {
    return socket == INVALID_SOCKET ? -1 : static_cast<int>(socket);
}

HANDLE ThreadOf(pthread_t thread) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(thread));
}

DWORD WINAPI ListenEntry(void* server) {
    return CHttpServer::ListenThread(server);
}

DWORD WINAPI ClientEntry(void* request) {
    return CHttpServer::ClientThread(request);
}

unsigned ServicePort(unsigned configured) {
    if (configured != 0) {
        return configured;
    }
    const servent* entry = getservbyname("http", "tcp");
    return entry != nullptr ? ntohs(static_cast<uint16_t>(entry->s_port)) : DefaultHttpPort;
}

// Serves a connection just accepted on a thread of its own; false when none can be started.
bool StartClient(SOCKET client, CHttpServer* server, const std::shared_ptr<CHttpEvent>& stop) {
    auto* request = new (std::nothrow) REQUEST;
    if (request == nullptr) {
        return false;
    }
    request->stopEvent = stop;
    request->socket = IntOf(client);
    request->server = server;
    // Counted before it is served, so that stopping waits for every started client.
    CHttpServer::CountUp();
    const HANDLE thread = CreateThread(nullptr, 0, ClientEntry, request, 0, nullptr);
    if (thread == nullptr) {
        delete request;
        CHttpServer::CountDown();
        return false;
    }
    CloseHandle(thread);
    return true;
}

} // namespace

bool CHttpServer::StartHttpSrv() {
    if (m_listening) {
        return false;
    }
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0 || data.wVersion != MAKEWORD(2, 2)) {
        return false;
    }
    std::shared_ptr<CHttpEvent> stop = CHttpEvent::Create(false);
    if (!stop) {
        return false;
    }
    const SOCKET listenSocket =
        WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (listenSocket == INVALID_SOCKET) {
        return false;
    }
    const unsigned port = ServicePort(m_port);
    CreateTypeMap();

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    // A port beyond 16 bits would silently become another port.
    if (port > 65535 ||
        (!m_bindAddress.empty() &&
         inet_pton(AF_INET, m_bindAddress.c_str(), &address.sin_addr) != 1) ||
        bind(listenSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenSocket, SOMAXCONN) != 0) {
        closesocket(listenSocket);
        return false;
    }

    m_stopEvent = stop;
    m_listenSocket = IntOf(listenSocket);
    const HANDLE thread = CreateThread(nullptr, 0, ListenEntry, this, 0, nullptr);
    if (thread == nullptr) {
        closesocket(listenSocket);
        m_listenSocket = -1;
        m_stopEvent.reset();
        return false;
    }
    m_listenThread = static_cast<pthread_t>(reinterpret_cast<uintptr_t>(thread));
    m_listening = true;
    return true;
}

void CHttpServer::StopHttpSrv() {
    if (!m_listening) {
        return;
    }
    m_stopEvent->Set();
    // Closing the socket ends the pending accept.
    closesocket(SocketOf(m_listenSocket));
    const HANDLE thread = ThreadOf(m_listenThread);
    if (WaitForSingleObject(thread, ListenJoinTimeoutMs) != WAIT_OBJECT_0) {
        CFunction::RLog("CHttpServer::StopHttpSrv: the listening thread did not end in time");
    }
    CloseHandle(thread);
    m_listenSocket = -1;
    m_stopEvent.reset();
    m_listening = false;
}

uint32_t CHttpServer::ListenThread(void* param) {
    auto* server = static_cast<CHttpServer*>(param);
    const std::shared_ptr<CHttpEvent> none = InitClientCount();
    const std::shared_ptr<CHttpEvent> stop = server->m_stopEvent;
    const SOCKET listenSocket = SocketOf(server->m_listenSocket);
    // Any failure of accept ends the loop; the thread then only waits for the stop.
    for (;;) {
        const SOCKET client = accept(listenSocket, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            break;
        }
        if (stop->IsSet()) {
            closesocket(client);
            break;
        }
        if (!StartClient(client, server, stop)) {
            closesocket(client);
        }
    }
    stop->Wait(-1);
    if (none) {
        none->Wait(ClientsWaitTimeoutMs);
    }
    DeleteClientCount();
    return 0;
}
