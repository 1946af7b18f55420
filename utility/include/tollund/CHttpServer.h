#pragma once

#include <tollund/TollundApi.h>

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class CHttpServer;
struct CHttpClientThreads;

// A manual-reset event: stays signalled from Set until Reset. It is an eventfd, readable while
// signalled, so that a poll on a socket can also wait for it.
class TOLLUND_API CHttpEvent {
public:
    // Null when the system cannot give one.
    static std::shared_ptr<CHttpEvent> Create(bool signalled);
    ~CHttpEvent();
    CHttpEvent(const CHttpEvent&) = delete;
    CHttpEvent& operator=(const CHttpEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when signalled within timeoutMs (negative: no limit).
    bool Wait(int timeoutMs) const;
    int Fd() const { return m_fd; }

private:
    CHttpEvent(int fd, bool signalled) : m_fd(fd), m_set(signalled) {}
    int m_fd;
    std::atomic<bool> m_set; // mirrors the eventfd so that IsSet needs no system call
};

// One accepted connection; created by the listening thread, owned and freed by its client thread.
struct REQUEST {
    std::shared_ptr<CHttpEvent> stopEvent; // the server's stop event (shared, not a new one)
    int socket = -1;
    int method = 0; // 0 GET, 1 HEAD
    uint32_t bytesReceived = 0;
    uint32_t bytesSent = 0;
    int file = -1; // -1 when no file is open
    char filePath[260] = {};
    char extension[10] = {};
    CHttpServer* server = nullptr;
    const char* status = "";   // why a request was refused; never sent
    long long fileSize = 0;    // size of the open file
    time_t fileModified = 0;   // last write time of the open file
    bool moreToSend = false;   // the piece being sent is not the body's last
    bool requestWhole = false; // what was received ends the request's header block, and no more
                               // was waiting: nothing the client sends is left unread
};

// A small HTTP/1.0 file server: GET and HEAD of the files below one root directory, one
// connection per request, one thread per connection.
class TOLLUND_API CHttpServer {
public:
    // port 0 means the services database's "http" port, else 80. bindAddress is a dotted IPv4
    // address to listen on; empty means every local address.
    CHttpServer(const std::string& rootDir, unsigned port, const std::string& bindAddress = "");
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    bool StartHttpSrv();
    void StopHttpSrv();

    // How long a connection may take to send its request, in milliseconds; 0 means no limit.
    // Applies to the requests received afterwards; a stop ends every wait at once regardless.
    static constexpr unsigned DefaultRequestTimeoutMs = 30000;
    void SetRequestTimeoutMs(unsigned timeoutMs);

    static uint32_t ListenThread(void* server);
    static uint32_t ClientThread(void* request);

    bool RecvRequest(REQUEST* request, char* buffer, uint32_t size);
    int Analyze(REQUEST* request, const char* text);
    int FileExist(REQUEST* request);
    bool GetContenType(REQUEST* request, std::string& contentType);
    void GetCurentTime(std::string& text);
    bool GetLastModified(int file, std::string& text);
    void SendHeader(REQUEST* request);
    void SendFile(REQUEST* request);
    bool SendBuffer(REQUEST* request, const char* bytes, uint32_t length);
    void Disconnect(REQUEST* request);

    void CreateTypeMap();
    // GetLastModified's text for a last write time already known.
    static bool FormatLastModified(time_t modified, std::string& text);
    static std::shared_ptr<CHttpEvent> InitClientCount();
    static void CountUp();
    static void CountDown();
    static void DeleteClientCount();

    // Running client threads of the process, and the event signalled while there are none.
    static uint32_t ClientNum;
    static std::shared_ptr<CHttpEvent> None;
    static std::mutex m_critSect;

private:
    int m_listenSocket = -1;
    std::map<std::string, const char*, std::less<>> m_typeMap;
    pthread_t m_listenThread{};
    bool m_listening = false;
    std::shared_ptr<CHttpEvent> m_stopEvent;
    std::string m_rootDir;
    unsigned m_port;
    std::string m_bindAddress;
    std::shared_ptr<CHttpClientThreads> m_clientThreads;
    std::atomic<unsigned> m_requestTimeoutMs{DefaultRequestTimeoutMs};
};
