// The request protocol: what a request asks for, the header that answers it, and the count of
// running clients. The sockets, files and threads beneath it belong to the platform's files.

#include "HttpProtocol.h"

#include "LocalClock.h"

#include <tollund/CHttpServer.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

using namespace tollund::detail;

namespace {

constexpr const char* WeekDays[] = {"Sun,", "Mon,", "Tue,", "Wed,", "Thu,", "Fri,", "Sat,"};
constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

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
        if (!tollund::detail::LocalTimeOf(when, local)) {
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

} // namespace

namespace tollund::detail {

bool EndsHeaderBlock(const char* bytes, size_t size) {
    const std::string_view text(bytes, size);
    return text.find("\r\n\r\n") != std::string_view::npos ||
           text.find("\n\n") != std::string_view::npos;
}

} // namespace tollund::detail

uint32_t CHttpServer::ClientNum = 0;
std::shared_ptr<CHttpEvent> CHttpServer::None;
std::mutex CHttpServer::m_critSect;

CHttpServer::CHttpServer(const std::string& rootDir, unsigned port, const std::string& bindAddress)
    : m_rootDir(rootDir), m_port(port), m_bindAddress(bindAddress) {}

CHttpServer::~CHttpServer() {
    // Threads of a running server use this object; stop them rather than leave them dangling.
    StopHttpSrv();
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
        SendHeaderBytes(request, header, count);
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

// A connection's life, the same on every platform: read the request, answer it, close.
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
    CloseRequestFile(request);
    delete request;
    CountDown();
    return 0;
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
