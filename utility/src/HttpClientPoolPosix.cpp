// The listening thread and the pool of client threads on POSIX sockets: a futex for the
// listener's sleep, accept on the listening socket, detached threads with small stacks.

#include "HttpProtocol.h"

#include <tollund/CFunction.h>
#include <tollund/CHttpServer.h>

#include <arpa/inet.h>
#include <linux/futex.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

using namespace tollund::detail;

namespace {

// A client thread needs a few KiB of stack. Small stacks stay in the C library's stack cache,
// so a new connection's thread costs no mapping and unmapping of memory.
constexpr size_t ClientStackSize = 64 * 1024;

using Clock = std::chrono::steady_clock;

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
