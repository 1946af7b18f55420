// A connection on POSIX sockets: the request received and the file sent without blocking,
// each wait a poll on the socket and the stop event.

#include "FilePieceRing.h"
#include "HttpProtocol.h"

#include <tollund/CHttpServer.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>

using namespace tollund::detail;

namespace {

using Clock = std::chrono::steady_clock;

// Waits until fd is ready for events, the stop event is signalled or the deadline (none when
// absent) passes; false on stop, time-out or error.
bool WaitReady(int fd, short events, const CHttpEvent* stop,
               std::optional<Clock::time_point> deadline = std::nullopt) {
    pollfd fds[2] = {{fd, events, 0}, {stop != nullptr ? stop->Fd() : -1, POLLIN, 0}};
    for (;;) {
        int waitMs = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            if (left <= 0) {
                return false;
            }
            waitMs = static_cast<int>(std::min<long long>(left, INT_MAX));
        }
        const int ready = poll(fds, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (fds[1].revents != 0) {
            return false;
        }
        if (fds[0].revents != 0) {
            return true; // errors show in the following call
        }
    }
}

// What the client may still send after the answer is read and dropped before the socket is
// closed: closing with unread bytes makes the kernel reset the connection, and a reset destroys
// whatever of the body the client has not read yet.
constexpr size_t DrainBytes = 64 * 1024;
constexpr auto DrainTime = std::chrono::seconds(2);

void DrainUntilClosed(int socket, const CHttpEvent* stop) {
    const auto deadline = Clock::now() + DrainTime;
    char sink[4096];
    size_t drained = 0;
    while (drained < DrainBytes) {
        const ssize_t got = recv(socket, sink, sizeof sink, 0);
        if (got > 0) {
            drained += static_cast<size_t>(got);
            continue;
        }
        if (got == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return; // the client has closed its side, or the connection is gone
        }
        if (errno != EINTR && !WaitReady(socket, POLLIN, stop, deadline)) {
            return;
        }
    }
}

} // namespace

namespace tollund::detail {

void SendHeaderBytes(REQUEST* request, const char* header, size_t length) {
    // MSG_MORE: a GET's body follows, and header and body leave together; closing the socket
    // flushes what is held back.
    (void)send(request->socket, header, length, MSG_NOSIGNAL | MSG_MORE);
}

void CloseRequestFile(REQUEST* request) {
    if (request->file >= 0) {
        close(request->file);
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
    std::optional<Clock::time_point> deadline;
    if (limitMs > 0) {
        deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    }
    for (;;) {
        const ssize_t got = recv(request->socket, buffer, size - 1, 0);
        if (got >= 0) {
            request->bytesReceived += static_cast<uint32_t>(got);
            request->requestWhole = static_cast<size_t>(got) < size - 1 &&
                                    EndsHeaderBlock(buffer, static_cast<size_t>(got));
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        if (!WaitReady(request->socket, POLLIN, request->stopEvent.get(), deadline)) {
            return false;
        }
    }
}

int CHttpServer::FileExist(REQUEST* request) {
    if (request->file >= 0) {
        // The header already opened this request's file; the body reads it by offset, from
        // its start, whatever was read before.
        return 1;
    }
    const int file = open(request->filePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        request->status = "404 File can not fonund!";
        return 0;
    }
    // Only regular files are served (a directory or a device is not a file to send), and not
    // one that nobody may read, even to a server running with every privilege.
    struct stat fileStat {};
    if (fstat(file, &fileStat) != 0 || !S_ISREG(fileStat.st_mode) ||
        (fileStat.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0) {
        close(file);
        request->status = "404 File can not fonund!";
        return 0;
    }
    request->file = file;
    request->fileSize = static_cast<long long>(fileStat.st_size);
    request->fileModified = fileStat.st_mtime;
    return 1;
}

bool CHttpServer::GetLastModified(int file, std::string& text) {
    struct stat fileStat {};
    if (file < 0 || fstat(file, &fileStat) != 0) {
        return false;
    }
    return FormatLastModified(fileStat.st_mtime, text);
}

void CHttpServer::SendFile(REQUEST* request) {
    if (FileExist(request) == 0) {
        return;
    }
    char buffer[FileBufferSize];
    long long sent = 0;
    // A large body goes through a ring of linked reads and sends of the same pieces; what the
    // ring does not finish (a short read, a kernel without rings) goes on piece by piece here.
    std::optional<FilePieceRing> ring;
    if (request->fileSize >= FilePieceRing::WorthBytes) {
        ring.emplace(request->stopEvent ? request->stopEvent->Fd() : -1, sizeof buffer);
    }
    // The body ends where the header's Content-Length said: a file that grows meanwhile does
    // not send more than was announced.
    while (sent < request->fileSize) {
        if (ring && ring->IsOpen()) {
            if (request->stopEvent && request->stopEvent->IsSet()) {
                break;
            }
            const FilePieceRing::Run run =
                ring->SendPieces(request->file, request->socket, sent, request->fileSize);
            sent += run.sent;
            request->bytesSent += static_cast<uint32_t>(run.sent);
            if (run.outcome == FilePieceRing::Outcome::Sent) {
                continue;
            }
            if (run.outcome != FilePieceRing::Outcome::Incomplete) {
                break;
            }
        }
        const long long left = request->fileSize - sent;
        const size_t piece = left < static_cast<long long>(sizeof buffer)
                                 ? static_cast<size_t>(left)
                                 : sizeof buffer;
        const ssize_t got = pread(request->file, buffer, piece, static_cast<off_t>(sent));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            (void)send(request->socket, ReadFailure, std::strlen(ReadFailure), MSG_NOSIGNAL);
            break;
        }
        if (got == 0) {
            break;
        }
        // Hold back partial segments while more of the file is to come.
        request->moreToSend = sent + got < request->fileSize;
        if (!SendBuffer(request, buffer, static_cast<uint32_t>(got))) {
            break;
        }
        sent += got;
        request->bytesSent += static_cast<uint32_t>(got);
    }
    CloseRequestFile(request);
}

bool CHttpServer::SendBuffer(REQUEST* request, const char* bytes, uint32_t length) {
    const CHttpEvent* stop = request->stopEvent.get();
    // A transfer that never has to wait still ends when the server stops.
    if (stop != nullptr && stop->IsSet()) {
        return false;
    }
    size_t done = 0;
    while (done < length) {
        const ssize_t sent = send(request->socket, bytes + done, length - done,
                                  MSG_NOSIGNAL | (request->moreToSend ? MSG_MORE : 0));
        if (sent >= 0) {
            done += static_cast<size_t>(sent);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        if (!WaitReady(request->socket, POLLOUT, stop)) {
            return false;
        }
    }
    return true;
}

void CHttpServer::Disconnect(REQUEST* request) {
    if (request->socket < 0) {
        return;
    }
    // A client whose request was not read whole (longer than the buffer, or split over
    // segments) may still be sending. The end of the answer goes out first, then what still
    // comes in is dropped until the client closes its side. A request read whole needs none of
    // that: nothing is left unread, and the socket closes with an orderly end at once.
    if (request->bytesReceived > 0 && !request->requestWhole &&
        shutdown(request->socket, SHUT_WR) == 0) {
        DrainUntilClosed(request->socket, request->stopEvent.get());
    }
    close(request->socket);
    request->socket = -1;
}
