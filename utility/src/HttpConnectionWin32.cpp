// A connection on Winsock 2.2: one overlapped receive for the request and one overlapped send
// per piece of at most 2048 bytes, each awaited together with the stop event before the next.

#include "HttpProtocol.h"

#include <tollund/CHttpServer.h>

// The system headers need windows.h (or winsock2.h) first.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <chrono>
#include <cstdint>
#include <cstring>

using namespace tollund::detail;

namespace {

SOCKET SocketOf(int socket) {
    return static_cast<SOCKET>(static_cast<unsigned>(socket));
}

HANDLE FileOf(int file) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file));
}

HANDLE StopHandle(const REQUEST* request) {
    return request->stopEvent
               ? reinterpret_cast<HANDLE>(static_cast<intptr_t>(request->stopEvent->Fd()))
               : nullptr;
}

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t EpochDifference = 116444736000000000ull;

time_t TimeOf(const FILETIME& fileTime) {
    const uint64_t ticks =
        (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    return static_cast<time_t>((ticks - EpochDifference) / 10000000ull);
}

// Waits for an overlapped operation on the socket, or the stop event, or the time limit
// (INFINITE: none); the transferred byte count when it completed, -1 otherwise. An operation
// that is given up is cancelled and awaited, so that it can no longer touch its buffer.
long long AwaitOverlapped(SOCKET socket, WSAOVERLAPPED& overlapped, HANDLE stop, DWORD limitMs) {
    HANDLE events[2] = {overlapped.hEvent, stop};
    const DWORD count = stop != nullptr ? 2 : 1;
    const DWORD woke = WaitForMultipleObjects(count, events, FALSE, limitMs);
    if (woke != WAIT_OBJECT_0) {
        CancelIoEx(reinterpret_cast<HANDLE>(socket), &overlapped);
    }
    DWORD transferred = 0;
    DWORD flags = 0;
    const BOOL done = WSAGetOverlappedResult(socket, &overlapped, &transferred, TRUE, &flags);
    if (woke != WAIT_OBJECT_0 || !done) {
        return -1;
    }
    return transferred;
}

// The event of this thread's overlapped operations, made once: a connection's thread waits for
// one operation at a time, and making an event per piece costs as much as sending it.
WSAEVENT OperationEvent() {
    struct Owned {
        WSAEVENT event = WSACreateEvent();
        ~Owned() {
            if (event != WSA_INVALID_EVENT) {
                WSACloseEvent(event);
            }
        }
    };
    thread_local Owned owned;
    return owned.event;
}

// One overlapped receive or send of the buffer; the byte count, or -1.
long long Overlapped(bool receive, SOCKET socket, char* bytes, uint32_t length, HANDLE stop,
                     DWORD limitMs) {
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = OperationEvent();
    if (overlapped.hEvent == WSA_INVALID_EVENT) {
        return -1;
    }
    WSAResetEvent(overlapped.hEvent);
    WSABUF buffer{length, bytes};
    DWORD flags = 0;
    DWORD done = 0;
    const int started = receive ? WSARecv(socket, &buffer, 1, &done, &flags, &overlapped, nullptr)
                                : WSASend(socket, &buffer, 1, &done, 0, &overlapped, nullptr);
    if (started == 0) {
        return done;
    }
    if (WSAGetLastError() == WSA_IO_PENDING) {
        return AwaitOverlapped(socket, overlapped, stop, limitMs);
    }
    return -1;
}

// What the client may still send after the answer, dropped before the socket is closed:
// closing with unread bytes resets the connection, and a reset destroys what of the body the
// client has not read yet.
constexpr int DrainBytes = 64 * 1024;
constexpr long DrainSeconds = 2;

void DrainUntilClosed(SOCKET socket) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(DrainSeconds);
    char sink[4096];
    int drained = 0;
    while (drained < DrainBytes && std::chrono::steady_clock::now() < deadline) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait{DrainSeconds, 0};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) {
            return;
        }
        const int got = recv(socket, sink, sizeof sink, 0);
        if (got <= 0) {
            return;
        }
        drained += got;
    }
}

} // namespace

namespace tollund::detail {

void SendHeaderBytes(REQUEST* request, const char* header, size_t length) {
    (void)send(SocketOf(request->socket), header, static_cast<int>(length), 0);
}

void CloseRequestFile(REQUEST* request) {
    if (request->file != -1) {
        CloseHandle(FileOf(request->file));
        request->file = -1;
    }
}

} // namespace tollund::detail

bool CHttpServer::RecvRequest(REQUEST* request, char* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return false;
    }
    std::memset(buffer, 0, size);
    const unsigned limitMs = m_requestTimeoutMs.load();
    const long long got = Overlapped(true, SocketOf(request->socket), buffer, size - 1,
                                     StopHandle(request), limitMs > 0 ? limitMs : INFINITE);
    if (got < 0) {
        return false;
    }
    request->bytesReceived += static_cast<uint32_t>(got);
    request->requestWhole =
        static_cast<size_t>(got) < size - 1 && EndsHeaderBlock(buffer, static_cast<size_t>(got));
    return true;
}

int CHttpServer::FileExist(REQUEST* request) {
    if (request->file != -1) {
        return 1; // the header already opened it; the body reads it from its start
    }
    const HANDLE file = CreateFileA(request->filePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        request->status = "404 File can not fonund!";
        return 0;
    }
    LARGE_INTEGER size{};
    FILETIME written{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) ||
        !GetFileTime(file, nullptr, nullptr, &written)) {
        CloseHandle(file);
        request->status = "404 File can not fonund!";
        return 0;
    }
    request->file = static_cast<int>(reinterpret_cast<intptr_t>(file));
    request->fileSize = size.QuadPart;
    request->fileModified = TimeOf(written);
    return 1;
}

bool CHttpServer::GetLastModified(int file, std::string& text) {
    FILETIME written{};
    if (file == -1 || !GetFileTime(FileOf(file), nullptr, nullptr, &written)) {
        return false;
    }
    return FormatLastModified(TimeOf(written), text);
}

void CHttpServer::SendFile(REQUEST* request) {
    if (FileExist(request) == 0) {
        return;
    }
    // The body starts at the file's start, whatever the header's look at it moved.
    LARGE_INTEGER start{};
    SetFilePointerEx(FileOf(request->file), start, nullptr, FILE_BEGIN);
    char buffer[FileBufferSize];
    long long sent = 0;
    // The body ends where the header's Content-Length said.
    while (sent < request->fileSize) {
        const long long left = request->fileSize - sent;
        const DWORD piece =
            left < static_cast<long long>(sizeof buffer) ? static_cast<DWORD>(left) : sizeof buffer;
        DWORD got = 0;
        if (!ReadFile(FileOf(request->file), buffer, piece, &got, nullptr)) {
            (void)send(SocketOf(request->socket), ReadFailure,
                       static_cast<int>(std::strlen(ReadFailure)), 0);
            break;
        }
        if (got == 0 || !SendBuffer(request, buffer, got)) {
            break;
        }
        sent += got;
        request->bytesSent += got;
    }
    CloseRequestFile(request);
}

bool CHttpServer::SendBuffer(REQUEST* request, const char* bytes, uint32_t length) {
    // A transfer that never has to wait still ends when the server stops.
    if (request->stopEvent && request->stopEvent->IsSet()) {
        return false;
    }
    const long long sent = Overlapped(false, SocketOf(request->socket), const_cast<char*>(bytes),
                                      length, StopHandle(request), INFINITE);
    return sent == static_cast<long long>(length);
}

void CHttpServer::Disconnect(REQUEST* request) {
    if (request->socket == -1) {
        return;
    }
    const SOCKET socket = SocketOf(request->socket);
    // A request not read whole may still be arriving: the answer's end goes out first, then
    // what still comes in is dropped until the client closes its side.
    if (request->bytesReceived > 0 && !request->requestWhole && shutdown(socket, SD_SEND) == 0) {
        DrainUntilClosed(socket);
    }
    closesocket(socket);
    request->socket = -1;
}
