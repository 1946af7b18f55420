#include "FilePieceRing.h"

#include <tollund/CFunction.h>
#include <tollund/CHttpServer.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned DefaultHttpPort = 80;
constexpr int ListenJoinTimeoutMs = 10000;
constexpr int ClientsWaitTimeoutMs = 5000;
constexpr uint32_t RequestBufferSize = 1024;
constexpr size_t FileBufferSize = 2048;
constexpr size_t HeaderBufferSize = 2048;
// A client thread needs a few KiB of stack. Small stacks stay in the C library's stack cache,
// so a new connection's thread costs no mapping and unmapping of memory.
constexpr size_t ClientStackSize = 64 * 1024;
constexpr const char* ServerName = "Vintor OAM Http Server";
constexpr const char* ReadFailure = "500 Internal Server Error";

constexpr const char* WeekDays[] = {"Sun,", "Mon,", "Tue,", "Wed,", "Thu,", "Fri,", "Sat,"};
constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// localtime_r serialises every thread on the C library's time-zone lock; each thread keeps its
// last conversions (the current second, a file's time) and their texts instead.
struct TimeText {
    time_t when = -1;
    std::string text;
};

void FormatHttpTime(const tm& t, std::string& text) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%s %02d %s %d %02d:%02d:%02d GMT", WeekDays[t.tm_wday % 7],
             t.tm_mday, Months[t.tm_mon % 12], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    text = buffer;
}

bool FormatLocalTime(time_t when, TimeText& cache, std::string& text) {
    if (cache.when != when) {
        tm local{};
        if (localtime_r(&when, &local) == nullptr) {
            return false;
        }
        FormatHttpTime(local, cache.text);
        cache.when = when;
    }
    text = cache.text;
    return true;
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

// The next piece of the request line, between blanks and line ends; empty at the end.
std::string_view NextPiece(const char*& p) {
    while (*p != '\0' && IsSeparator(*p)) {
        ++p;
    }
    const char* start = p;
    while (*p != '\0' && !IsSeparator(*p)) {
        ++p;
    }
    return {start, static_cast<size_t>(p - start)};
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'a' && a[i] <= 'z') ? static_cast<char>(a[i] - 32) : a[i];
        const char y = (b[i] >= 'a' && b[i] <= 'z') ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

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

// Whether the bytes hold the blank line that ends a request's header block (a client may end
// lines with a line feed alone).
bool EndsHeaderBlock(const char* bytes, size_t size) {
    const std::string_view text(bytes, size);
    return text.find("\r\n\r\n") != std::string_view::npos ||
           text.find("\n\n") != std::string_view::npos;
}

// Failures of accept that say nothing about the listening socket: the next call may work.
// Those of the first group concern one pending connection and are retried at once; the others
// (descriptors or memory running out, and any error not known here) are retried after a pause.
bool PendingConnectionFailed(int error) {
    switch (error) {
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
    case EPERM:
        return true;
    default:
        return false;
    }
}

// The listening socket itself is unusable: closed, not a socket, or no longer listening.
bool ListenerGone(int error) {
    return error == EBADF || error == ENOTSOCK || error == EINVAL || error == EFAULT;
}

// The next connection of the listening socket. Failures that concern one pending connection are
// retried at once; any other, or a stop, gives -1 with the error.
int AcceptConnection(int listenSocket, const CHttpEvent& stop, int& error) {
    for (;;) {
        const int client = accept4(listenSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        error = client >= 0 ? 0 : errno;
        if (client >= 0 || stop.IsSet() || !PendingConnectionFailed(error)) {
            return client;
        }
    }
}

constexpr int AcceptRetryPauseMs = 100;
constexpr auto AcceptEpisodeQuiet = std::chrono::seconds(1);

// The server's threads run as batch work: the same priority and share of the processor as any
// normal thread, but one woken for a connection does not preempt the thread that is running.
// Under load the listening thread then accepts every waiting connection before the client
// threads take their turns, and the server switches threads about once per request instead of
// three times. An idle processor still runs a woken thread at once. A system that refuses the
// policy leaves the thread as it was.
void ScheduleAsBatchWork() {
    sched_param normal{};
    normal.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &normal);
}

void* ListenEntry(void* server) {
    ScheduleAsBatchWork();
    CHttpServer::ListenThread(server);
    return nullptr;
}

void CloseFile(REQUEST* request) {
    if (request->file >= 0) {
        close(request->file);
        request->file = -1;
    }
}

// An episode of failed accepts lasts until accepting has worked for a while: connections that
// end free a descriptor or two at a time, and accept fails again and again meanwhile. It is
// logged once when it begins and once when it ends, whichever thread met it.
class AcceptEpisode {
public:
    void Failed(int error) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_failing.load(std::memory_order_relaxed)) {
            m_failing.store(true, std::memory_order_relaxed);
            m_failures = 0;
            m_failure = error;
            CFunction::RLog("CHttpServer: accept failed, retrying until it works: %s",
                            strerror(error));
        }
        ++m_failures;
        m_lastFailure = Clock::now();
    }

    bool Failing() const { return m_failing.load(std::memory_order_relaxed); }

    // After a connection was accepted; costs nothing outside an episode.
    void Succeeded() {
        if (!m_failing.load(std::memory_order_relaxed)) {
            return;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        // The end is logged too: the entry at the start may have found no descriptor.
        if (m_failing.load(std::memory_order_relaxed) &&
            Clock::now() - m_lastFailure >= AcceptEpisodeQuiet) {
            CFunction::RLog("CHttpServer: accepting connections again after %d failed attempts "
                            "(%s)",
                            m_failures, strerror(m_failure));
            m_failing.store(false, std::memory_order_relaxed);
        }
    }

private:
    std::mutex m_lock;
    std::atomic<bool> m_failing{false};
    int m_failures = 0; // failed accepts of the episode
    int m_failure = 0;  // the error that began it
    Clock::time_point m_lastFailure;
};

} // namespace

// Client threads outlive their first connection for a while: a thread that has finished one
// waits in accept on the listening socket for the next and serves it itself, so that a busy
// server neither creates a thread per request nor hands each connection from thread to thread.
// A connection is always served by a thread of its own. The listening thread accepts only while
// no client thread is waiting, and starts a new thread for what it accepts; the kernel wakes one
// waiting accept per connection.
//
// The object owns the listening socket: a thread that outlives the stop's time limit may still
// be about to accept on it, and must never find its number reused by another file.
struct CHttpClientThreads {
    explicit CHttpClientThreads(int socket) : listenSocket(socket) {}
    ~CHttpClientThreads() { close(listenSocket); }
    CHttpClientThreads(const CHttpClientThreads&) = delete;
    CHttpClientThreads& operator=(const CHttpClientThreads&) = delete;

    const int listenSocket;
    // Client threads waiting in accept. The last to leave wakes the listening thread, which
    // sleeps on this count while it is not zero.
    std::atomic<uint32_t> accepting{0};
    AcceptEpisode episode;
    std::mutex lock;
    unsigned alive = 0; // threads of this server that have not ended
    std::condition_variable ended;
};

namespace {

// How long a client thread waits for its next connection before it ends: the receive time
// limit of the listening socket, which accept obeys.
constexpr auto ClientThreadIdle = std::chrono::milliseconds(2000);
constexpr uint32_t MostThreadsAccepting = 16;

void WakeListener(CHttpClientThreads& threads) {
    syscall(SYS_futex, &threads.accepting, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// Sleeps while `waiting` client threads are in accept, or until woken.
void SleepWhileAccepting(CHttpClientThreads& threads, uint32_t waiting) {
    syscall(SYS_futex, &threads.accepting, FUTEX_WAIT_PRIVATE, waiting, nullptr, nullptr, 0);
}

struct ClientStart {
    std::shared_ptr<CHttpClientThreads> threads;
    REQUEST* request;
};

// A record for a connection just accepted, counted as a client; null when there is no memory
// for it (the connection is then closed).
REQUEST* NewRequest(int client, CHttpServer* server, const std::shared_ptr<CHttpEvent>& stop) {
    auto* request = new (std::nothrow) REQUEST;
    if (request == nullptr) {
        close(client);
        return nullptr;
    }
    request->stopEvent = stop;
    request->socket = client;
    request->server = server;
    // Counted before it is served, so that stopping waits for every started client.
    CHttpServer::CountUp();
    return request;
}

// A client thread's next connection: null when none came within the idle time, the server
// stops, or accept failed in a way the listening thread deals with (it retries and logs).
REQUEST* AcceptNext(CHttpClientThreads& threads, CHttpServer* server,
                    const std::shared_ptr<CHttpEvent>& stop) {
    // A thread waiting in accept holds a descriptor number the kernel sets aside for the
    // connection to come. So few wait at once, and none while descriptors have run out.
    if (stop->IsSet() || threads.episode.Failing() ||
        threads.accepting.load(std::memory_order_relaxed) >= MostThreadsAccepting) {
        return nullptr;
    }
    threads.accepting.fetch_add(1);
    int error = 0;
    const int client = AcceptConnection(threads.listenSocket, *stop, error);
    if (threads.accepting.fetch_sub(1) == 1) {
        WakeListener(threads); // nobody else waits for connections now
    }
    if (client < 0) {
        // Out of descriptors or memory, this thread ends: fewer threads need fewer of them, and
        // the listening thread retries at its own pace.
        if (!stop->IsSet() && error != EAGAIN && error != EWOULDBLOCK && !ListenerGone(error)) {
            threads.episode.Failed(error);
        }
        return nullptr;
    }
    threads.episode.Succeeded();
    if (stop->IsSet()) {
        close(client);
        return nullptr;
    }
    return NewRequest(client, server, stop);
}

void* ClientEntry(void* param) {
    ScheduleAsBatchWork();
    std::unique_ptr<ClientStart> start(static_cast<ClientStart*>(param));
    CHttpClientThreads& threads = *start->threads;
    REQUEST* request = start->request;
    CHttpServer* server = request->server;
    const std::shared_ptr<CHttpEvent> stop = request->stopEvent;
    while (request != nullptr) {
        CHttpServer::ClientThread(request);
        request = AcceptNext(threads, server, stop);
    }
    std::lock_guard<std::mutex> guard(threads.lock);
    --threads.alive;
    threads.ended.notify_all();
    return nullptr;
}

// Serves a request on a new client thread; false when none can be started.
bool StartClient(const std::shared_ptr<CHttpClientThreads>& threads, REQUEST* request) {
    {
        std::lock_guard<std::mutex> guard(threads->lock);
        ++threads->alive;
    }
    auto* start = new (std::nothrow) ClientStart{threads, request};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, ClientStackSize);
    pthread_t thread;
    const int created =
        start != nullptr ? pthread_create(&thread, &attributes, ClientEntry, start) : -1;
    pthread_attr_destroy(&attributes);
    if (created != 0) {
        delete start;
        std::lock_guard<std::mutex> guard(threads->lock);
        --threads->alive;
        return false;
    }
    return true;
}

// Waits until every client thread has ended; the stop has woken those waiting in accept.
void EndClientThreads(CHttpClientThreads& threads, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(threads.lock);
    threads.ended.wait_for(guard, limit, [&] { return threads.alive == 0; });
}

} // namespace

// ---- CHttpEvent ----------------------------------------------------------------------------

std::shared_ptr<CHttpEvent> CHttpEvent::Create(bool signalled) {
    const int fd = eventfd(signalled ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    return std::shared_ptr<CHttpEvent>(new (std::nothrow) CHttpEvent(fd, signalled));
}

CHttpEvent::~CHttpEvent() {
    close(m_fd);
}

void CHttpEvent::Set() {
    if (!m_set.exchange(true)) {
        const uint64_t one = 1;
        (void)!write(m_fd, &one, sizeof one);
    }
}

void CHttpEvent::Reset() {
    if (m_set.exchange(false)) {
        uint64_t value = 0;
        (void)!read(m_fd, &value, sizeof value);
    }
}

bool CHttpEvent::IsSet() const {
    return m_set.load();
}

bool CHttpEvent::Wait(int timeoutMs) const {
    pollfd fd{m_fd, POLLIN, 0};
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs >= 0) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long elapsed =
                (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
            left = elapsed >= timeoutMs ? 0 : timeoutMs - static_cast<int>(elapsed);
        }
        const int ready = poll(&fd, 1, left);
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// ---- CHttpServer ---------------------------------------------------------------------------

uint32_t CHttpServer::ClientNum = 0;
std::shared_ptr<CHttpEvent> CHttpServer::None;
std::mutex CHttpServer::m_critSect;

CHttpServer::CHttpServer(const std::string& rootDir, unsigned port, const std::string& bindAddress)
    : m_rootDir(rootDir), m_port(port), m_bindAddress(bindAddress) {}

CHttpServer::~CHttpServer() {
    // Threads of a running server use this object; stop them rather than leave them dangling.
    StopHttpSrv();
}

bool CHttpServer::StartHttpSrv() {
    if (m_listening) {
        return false;
    }
    std::shared_ptr<CHttpEvent> stop = CHttpEvent::Create(false);
    if (!stop) {
        return false;
    }
    const int listenSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (listenSocket < 0) {
        return false;
    }

    unsigned port = m_port;
    if (port == 0) {
        port = DefaultHttpPort;
        servent entry{};
        servent* found = nullptr;
        char buffer[1024];
        if (getservbyname_r("http", "tcp", &entry, buffer, sizeof buffer, &found) == 0 &&
            found != nullptr) {
            port = ntohs(static_cast<uint16_t>(found->s_port));
        }
    }
    CreateTypeMap();

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    const int reuse = 1;
    setsockopt(listenSocket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    // A port beyond 16 bits would silently become another port.
    if (port > 65535 ||
        (!m_bindAddress.empty() &&
         inet_pton(AF_INET, m_bindAddress.c_str(), &address.sin_addr) != 1) ||
        bind(listenSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenSocket, SOMAXCONN) != 0) {
        close(listenSocket);
        return false;
    }

    // Client threads waiting for their next connection give up after this long.
    const auto idleUs =
        std::chrono::duration_cast<std::chrono::microseconds>(ClientThreadIdle).count();
    const timeval idle{static_cast<time_t>(idleUs / 1000000),
                       static_cast<suseconds_t>(idleUs % 1000000)};
    setsockopt(listenSocket, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);

    m_stopEvent = stop;
    m_listenSocket = listenSocket;
    m_clientThreads = std::make_shared<CHttpClientThreads>(listenSocket);
    if (pthread_create(&m_listenThread, nullptr, ListenEntry, this) != 0) {
        m_clientThreads.reset(); // closes the socket
        m_listenSocket = -1;
        m_stopEvent.reset();
        return false;
    }
    m_listening = true;
    return true;
}

void CHttpServer::StopHttpSrv() {
    if (!m_listening) {
        return;
    }
    m_stopEvent->Set();
    // Shutting the socket down ends every accept that waits on it; the socket is closed when
    // the last thread that may use it lets go of it.
    shutdown(m_listenSocket, SHUT_RDWR);
    WakeListener(*m_clientThreads);
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += ListenJoinTimeoutMs / 1000;
    if (pthread_timedjoin_np(m_listenThread, nullptr, &deadline) != 0) {
        CFunction::RLog("CHttpServer::StopHttpSrv: the listening thread did not end in time");
        pthread_detach(m_listenThread);
    }
    m_listenSocket = -1;
    m_stopEvent.reset();
    m_clientThreads.reset();
    m_listening = false;
}

uint32_t CHttpServer::ListenThread(void* param) {
    auto* server = static_cast<CHttpServer*>(param);
    const std::shared_ptr<CHttpEvent> none = InitClientCount();
    const std::shared_ptr<CHttpEvent> stop = server->m_stopEvent;
    const int listenSocket = server->m_listenSocket;
    const std::shared_ptr<CHttpClientThreads> threads = server->m_clientThreads;

    // A blocking accept costs one system call per connection where a poll before it costs
    // three; StopHttpSrv shuts the socket down, which ends the wait at once. While client
    // threads wait in accept themselves, they take the connections and this thread sleeps.
    while (!stop->IsSet()) {
        if (const uint32_t waiting = threads->accepting.load(); waiting > 0) {
            SleepWhileAccepting(*threads, waiting);
            continue;
        }
        int error = 0;
        const int client = AcceptConnection(listenSocket, *stop, error);
        if (client < 0) {
            if (error == EAGAIN || error == EWOULDBLOCK) {
                continue; // the socket's idle time limit, meant for the client threads
            }
            if (stop->IsSet() || ListenerGone(error)) {
                if (!stop->IsSet()) {
                    CFunction::RLog("CHttpServer: the listening socket is gone, no more "
                                    "connections: %s",
                                    strerror(error));
                }
                break;
            }
            // Out of descriptors or memory: connections that end give them back.
            threads->episode.Failed(error);
            stop->Wait(AcceptRetryPauseMs);
            continue;
        }
        threads->episode.Succeeded();
        if (stop->IsSet()) {
            close(client);
            break;
        }
        REQUEST* request = NewRequest(client, server, stop);
        if (request == nullptr) {
            continue;
        }
        if (!StartClient(threads, request)) {
            close(client);
            delete request;
            CountDown();
        }
    }

    stop->Wait(-1);
    const auto waitStart = std::chrono::steady_clock::now();
    if (none) {
        none->Wait(ClientsWaitTimeoutMs);
    }
    // The threads that waited for a next connection end too, within the same time limit.
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - waitStart);
    EndClientThreads(*threads, std::chrono::milliseconds(ClientsWaitTimeoutMs) - waited);
    DeleteClientCount();
    return 0;
}

uint32_t CHttpServer::ClientThread(void* param) {
    auto* request = static_cast<REQUEST*>(param);
    CHttpServer* server = request->server;
    char buffer[RequestBufferSize];
    if (server->RecvRequest(request, buffer, sizeof buffer) &&
        server->Analyze(request, buffer) == 0) {
        server->SendHeader(request);
        if (request->method == 0) {
            server->SendFile(request);
        }
    }
    server->Disconnect(request);
    CloseFile(request);
    delete request;
    CountDown();
    return 0;
}

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

void CHttpServer::SetRequestTimeoutMs(unsigned timeoutMs) {
    m_requestTimeoutMs = timeoutMs;
}

int CHttpServer::Analyze(REQUEST* request, const char* text) {
    if (text == nullptr || std::strstr(text, "..") != nullptr) {
        request->status = "400 Bad Request";
        return 1;
    }
    const char* p = text;
    const std::string_view method = NextPiece(p);
    if (method.empty()) {
        request->status = "400 Bad Request";
        return 1;
    }
    if (EqualsNoCase(method, "GET")) {
        request->method = 0;
    } else if (EqualsNoCase(method, "HEAD")) {
        request->method = 1;
    } else {
        request->status = "501 Not Implemented";
        return 1;
    }
    std::string_view path = NextPiece(p);
    // Appended to the root, a path without its leading slash names a sibling of the root
    // ("-secret" below "/srv/www" is "/srv/www-secret").
    if (path.empty() || path.front() != '/') {
        request->status = "400 Bad Request";
        return 1;
    }
    if (path.size() < 2) {
        path = "/index.html";
    }
    // The path field holds 259 characters; a longer name is refused, never cut or overflowed.
    if (m_rootDir.size() + path.size() >= sizeof request->filePath) {
        request->status = "414 Request-URI Too Long";
        return 1;
    }
    std::memcpy(request->filePath, m_rootDir.data(), m_rootDir.size());
    std::memcpy(request->filePath + m_rootDir.size(), path.data(), path.size());
    request->filePath[m_rootDir.size() + path.size()] = '\0';
    return 0;
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

bool CHttpServer::GetContenType(REQUEST* request, std::string& contentType) {
    const char* dot = std::strchr(request->filePath, '.');
    const size_t length = dot != nullptr ? std::strlen(dot) : 0;
    if (length >= sizeof request->extension) {
        request->extension[0] = '\0';
        return true; // does not fit the field: no entry
    }
    if (length > 0) {
        std::memcpy(request->extension, dot, length);
    }
    request->extension[length] = '\0';
    const auto found = m_typeMap.find(std::string_view(request->extension, length));
    if (found != m_typeMap.end()) {
        contentType = found->second;
    }
    return true;
}

void CHttpServer::GetCurentTime(std::string& text) {
    thread_local TimeText now;
    FormatLocalTime(time(nullptr), now, text);
}

bool CHttpServer::GetLastModified(int file, std::string& text) {
    struct stat fileStat {};
    if (file < 0 || fstat(file, &fileStat) != 0) {
        return false;
    }
    return FormatLastModified(fileStat.st_mtime, text);
}

bool CHttpServer::FormatLastModified(time_t modified, std::string& text) {
    thread_local TimeText cache;
    return FormatLocalTime(modified, cache, text);
}

void CHttpServer::SendHeader(REQUEST* request) {
    if (FileExist(request) == 0) {
        return;
    }
    std::string date = " ";
    std::string lastModified = " ";
    std::string contentType = " ";
    GetCurentTime(date);
    // The file's time came with the status taken when it was opened: no second look needed.
    FormatLastModified(request->fileModified, lastModified);
    GetContenType(request, contentType);
    const long long size = request->fileSize;

    char header[HeaderBufferSize];
    const int length = snprintf(header, sizeof header,
                                "HTTP/1.0 %s\r\nDate: %s\r\nServer: %s\r\nContent-Type: "
                                "%s\r\nContent-Length: %lld\r\nLast-Modified: %s\r\n\r\n",
                                "200 OK", date.c_str(), ServerName, contentType.c_str(), size,
                                lastModified.c_str());
    if (length > 0) {
        const size_t count = static_cast<size_t>(length) < sizeof header
                                 ? static_cast<size_t>(length)
                                 : sizeof header - 1;
        // MSG_MORE: a GET's body follows, and header and body leave together; closing the
        // socket flushes what is held back.
        (void)send(request->socket, header, count, MSG_NOSIGNAL | MSG_MORE);
    }
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
    CloseFile(request);
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

void CHttpServer::CreateTypeMap() {
    struct Entry {
        const char* type;
        std::initializer_list<const char*> keys;
    };
    static const Entry entries[] = {
        {"application/msword", {".doc"}},
        {"application/octet-stream", {".bin", ".dll", ".exe"}},
        {"application/pdf", {".pdf"}},
        {"application/postscript", {".ai", ".eps", ".ps"}},
        {"application/vnd.fdf", {".fdf"}},
        {"application/x-gzip", {".gz"}},
        {"application/x-java-class", {".class"}},
        {"application/x-javascript", {".js"}},
        {"application/x-lzh", {".lzh"}},
        {"application/x-ms-shortcut", {".lnk"}},
        {"application/x-tar", {".tar"}},
        {"application/x-winhelp", {".hlp"}},
        {"application/x-x509-ca-cert", {".cert"}},
        {"application/zip", {".zip"}},
        {"application/x-compressed", {".cab", ".arj"}},
        {"audio/aiff", {".aif", ".aifc", ".aiff"}},
        {"audio/basic", {".au", ".snd"}},
        {"audio/midi", {".mid", ".rmi"}},
        {"audio/mpeg", {".mp3"}},
        {"audio/voxware", {".vox"}},
        {"audio/wav", {".wav"}},
        {"audio/x-pn-realaudio", {".ra", ".ram"}},
        {"image/bmp", {".bmp"}},
        {"image/gif", {".gif"}},
        {"image/jpeg", {".jpeg", ".jpg"}},
        {"image/tiff", {".tif", ".tiff"}},
        {"image/xbm", {".xbm"}},
        {"model/vrml", {".wrl"}},
        {"text/html", {".htm", ".html"}},
        {"text/plain", {".c", ".cpp", ".def", ".h", ".txt"}},
        {"text/richtext", {".rtx", ".rtf"}},
        {"text/x-java-source", {".java"}},
        {"text/css", {".css"}},
        {"video/mpeg", {".mpeg", ".mpg", ".mpe"}},
        {"video/msvideo", {".avi"}},
        {"video/quicktime", {".mov", ".qt"}},
        {"wwwserver/html-ssi", {".shtml"}},
        {"wwwserver/isapi",
         {".asa", ".asp", ".cfm", ".dbm", ".isa", ".plx", ".url", ".cgi", ".php", ".wcgi"}},
    };
    for (const Entry& entry : entries) {
        for (const char* key : entry.keys) {
            m_typeMap[key] = entry.type;
        }
    }
}

std::shared_ptr<CHttpEvent> CHttpServer::InitClientCount() {
    const std::lock_guard<std::mutex> guard(m_critSect);
    ClientNum = 0;
    None = CHttpEvent::Create(true);
    return None;
}

void CHttpServer::CountUp() {
    const std::lock_guard<std::mutex> guard(m_critSect);
    ++ClientNum;
    if (None) {
        None->Reset();
    }
}

void CHttpServer::CountDown() {
    const std::lock_guard<std::mutex> guard(m_critSect);
    if (ClientNum > 0) {
        --ClientNum;
    }
    if (ClientNum == 0 && None) {
        None->Set();
    }
}

void CHttpServer::DeleteClientCount() {
    const std::lock_guard<std::mutex> guard(m_critSect);
    None.reset();
}
