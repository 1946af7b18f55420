#include "LocalFile.h"

#include <tollund/CFunction.h>
#include <tollund/CHttpUpload.h>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>

namespace {

constexpr const char* Boundary = "-----------------------------7d131a26a016";
constexpr size_t TransferBufferSize = 65536;
constexpr size_t MaxPiece = 65535;
constexpr size_t MaxErrorText = 260;
constexpr const char* OperationName = "CHttpUpload::uploadObj";
constexpr int OperationLine = 266;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string FormatString(const char* format, const std::string& a) {
    const int length = snprintf(nullptr, 0, format, a.c_str());
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    snprintf(text.data(), text.size() + 1, format, a.c_str());
    return text;
}

std::string FormatString(const char* format, const std::string& a, const std::string& b) {
    const int length = snprintf(nullptr, 0, format, a.c_str(), b.c_str());
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str());
    return text;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A quote ends the quoted name of a part's Content-Disposition; a line break ends the header.
bool BreaksPartHeader(const std::string& name) {
    return name.find_first_of("\"\r\n") != std::string::npos;
}

struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct HeaderListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListFree>;

// False when the line could not be added; the list keeps what it had.
bool AppendHeader(HeaderList& list, const char* line) {
    curl_slist* head = curl_slist_append(list.get(), line);
    if (head == nullptr) {
        return false;
    }
    (void)list.release(); // the same list, or a new one when it was empty
    list.reset(head);
    return true;
}

// The request's easy handle, attached to the session's multi handle while the object lives.
class AttachedRequest {
public:
    AttachedRequest(CURLM* multi, CURL* easy)
        : m_multi(multi), m_easy(easy), m_attached(curl_multi_add_handle(multi, easy) == CURLM_OK) {
    }
    ~AttachedRequest() {
        if (m_attached) {
            curl_multi_remove_handle(m_multi, m_easy);
        }
    }
    AttachedRequest(const AttachedRequest&) = delete;
    AttachedRequest& operator=(const AttachedRequest&) = delete;
    bool Attached() const { return m_attached; }

private:
    CURLM* m_multi;
    CURL* m_easy;
    bool m_attached;
};

// Clears a flag when the scope it guards ends, however it ends.
class ClearOnExit {
public:
    explicit ClearOnExit(std::atomic<bool>& flag) : m_flag(flag) {}
    ~ClearOnExit() { m_flag = false; }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    std::atomic<bool>& m_flag;
};

// Bytes moved by the request so far, both ways, headers included; and whether it is connected.
struct RequestProgress {
    curl_off_t bytes = 0;
    bool connected = false;
};

RequestProgress ProgressOf(CURL* easy) {
    curl_off_t sent = 0;
    curl_off_t received = 0;
    curl_off_t connectTime = 0;
    long headerBytes = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &headerBytes);
    curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
    return {sent + received + headerBytes, connectTime > 0};
}

// What the request body is read from: the text before the file, the file in pieces through
// the transfer buffer, the text after it.
struct BodySource {
    const std::string* pre = nullptr;
    const std::string* post = nullptr;
    size_t prePos = 0;
    size_t postPos = 0;
    int file = -1;
    uint64_t fileLeft = 0; // declared file bytes not yet read
    unsigned char* buffer = nullptr;
    size_t bufferLength = 0;
    size_t bufferPos = 0;
    std::atomic<uint32_t>* bytesSent = nullptr;
    const std::atomic<bool>* abandon = nullptr;
    std::string error;
};

size_t CopyOut(char*& out, size_t& room, const char* from, size_t available) {
    const size_t n = std::min(room, available);
    std::memcpy(out, from, n);
    out += n;
    room -= n;
    return n;
}

size_t ReadBody(char* out, size_t size, size_t count, void* user) {
    auto& src = *static_cast<BodySource*>(user);
    if (src.abandon->load()) {
        return CURL_READFUNC_ABORT;
    }
    size_t room = size * count;
    const size_t wanted = room;
    while (room > 0) {
        if (src.prePos < src.pre->size()) {
            src.prePos +=
                CopyOut(out, room, src.pre->data() + src.prePos, src.pre->size() - src.prePos);
        } else if (src.bufferPos < src.bufferLength) {
            src.bufferPos += CopyOut(out, room, reinterpret_cast<char*>(src.buffer) + src.bufferPos,
                                     src.bufferLength - src.bufferPos);
        } else if (src.fileLeft > 0) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(MaxPiece, src.fileLeft));
            const long long got = tollund::detail::ReadSome(src.file, src.buffer, piece);
            if (got < 0) {
                src.error = "Reading the local file failed: " + CFunction::GetLastErrorString();
                return CURL_READFUNC_ABORT;
            }
            if (got == 0) {
                // The declared length is already on the wire; a shorter body would leave the
                // server waiting for bytes that never come.
                src.error = "The local file became shorter while it was sent.";
                return CURL_READFUNC_ABORT;
            }
            src.bufferLength = static_cast<size_t>(got);
            src.bufferPos = 0;
            src.fileLeft -= static_cast<uint64_t>(got);
            src.bytesSent->fetch_add(static_cast<uint32_t>(got));
        } else if (src.postPos < src.post->size()) {
            src.postPos +=
                CopyOut(out, room, src.post->data() + src.postPos, src.post->size() - src.postPos);
        } else {
            break;
        }
    }
    return wanted - room;
}

size_t KeepReply(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// Why a part of the request would break its framing, or null when none does.
const char* RefusedRequestPart(const std::string& server, const std::string& refererPath,
                               const std::string& objectPath, const std::string& fieldName,
                               const std::string& localFile) {
    if (HasLineBreak(server) || HasLineBreak(refererPath)) {
        return "A line break in the server name or referer path would split the headers.";
    }
    if (HasLineBreak(objectPath)) {
        return "A line break in the object path would split the request line.";
    }
    if (BreaksPartHeader(fieldName) || BreaksPartHeader(localFile)) {
        return "A quote or line break in the field or file name would split the part's "
               "headers.";
    }
    return nullptr;
}

std::string RequestTarget(const std::string& objectPath) {
    std::string target = objectPath;
    if (target.empty() || target.front() != '/') {
        target.insert(target.begin(), '/');
    }
    return target;
}

// The header lines of the text, one entry each, and an empty Expect: nothing waits for an
// interim answer before the body. False when the list could not be built whole.
bool ListHeaders(const std::string& headers, HeaderList& headerList) {
    bool listed = true;
    for (size_t start = 0; start < headers.size();) {
        const size_t end = headers.find("\r\n", start);
        const std::string line = headers.substr(start, end - start);
        listed = AppendHeader(headerList, line.c_str()) && listed;
        start = end == std::string::npos ? headers.size() : end + 2;
    }
    return AppendHeader(headerList, "Expect:") && listed;
}

void PrepareRequest(CURL* easy, const std::string& url, const std::string& target,
                    curl_off_t bodyLength, BodySource& source, const HeaderList& headerList,
                    std::string& reply, char* errorText, unsigned connectSeconds) {
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, bodyLength);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, ReadBody);
    curl_easy_setopt(easy, CURLOPT_READDATA, &source);
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(TransferBufferSize));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, KeepReply);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    // The library takes 0 as its own default limit; "no limit" is the longest it can wait.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     connectSeconds == 0 || connectSeconds > INT_MAX / 1000
                         ? static_cast<long>(INT_MAX)
                         : static_cast<long>(connectSeconds) * 1000);
}

struct TransferLimits {
    const std::atomic<bool>* abandon;
    unsigned stallSeconds; // 0: no limit
};

struct TransferEnd {
    CURLcode code = CURLE_OK;
    std::string failure; // the session's own failure, before the request's result
    bool abandoned = false;
};

// Collects the request's result once the session reports it done; true then.
bool RequestDone(CURLM* multi, CURL* easy, CURLcode& code) {
    bool done = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            code = message->data.result;
            done = true;
        }
    }
    return done;
}

// Drives the request on the session until it ends, is abandoned or stalls.
TransferEnd RunRequest(CURLM* multi, CURL* easy, const TransferLimits& limits) {
    TransferEnd end;
    const AttachedRequest request(multi, easy);
    if (!request.Attached()) {
        end.failure = "The request cannot be opened.";
        return end;
    }
    const std::chrono::milliseconds stallLimit(std::chrono::seconds(limits.stallSeconds));
    int running = 1;
    bool done = false;
    RequestProgress last;
    auto lastMove = std::chrono::steady_clock::now();
    while (!done) {
        if (limits.abandon->load()) {
            end.abandoned = true;
            break;
        }
        CURLMcode multiCode = curl_multi_perform(multi, &running);
        // The stall clock runs from the connection on; connecting has a limit of its own.
        const RequestProgress now = ProgressOf(easy);
        const auto clock = std::chrono::steady_clock::now();
        if (!now.connected || now.bytes != last.bytes) {
            last = now;
            lastMove = clock;
        }
        const auto still = std::chrono::duration_cast<std::chrono::milliseconds>(clock - lastMove);
        if (stallLimit.count() > 0 && still >= stallLimit) {
            end.failure = "No progress for " + std::to_string(limits.stallSeconds) + " seconds.";
            break;
        }
        if (multiCode == CURLM_OK && running > 0) {
            // resetConnection wakes this wait at once.
            long waitMs = 1000;
            if (stallLimit.count() > 0) {
                waitMs = std::clamp<long>((stallLimit - still).count(), 1, waitMs);
            }
            multiCode = curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
        }
        if (multiCode != CURLM_OK) {
            end.failure = curl_multi_strerror(multiCode);
            break;
        }
        done = RequestDone(multi, easy, end.code) || running == 0;
    }
    return end;
}

void LogFailure(std::string message) {
    if (message.size() > MaxErrorText) {
        message.resize(MaxErrorText);
    }
    CFunction::RLog("%s,%d:%s", OperationName, OperationLine, message.c_str());
}

} // namespace

struct CHttpUpload::Session {
    std::unique_ptr<CURLM, MultiCleanup> multi;
};

struct CHttpUpload::Connection {
    std::unique_ptr<CURL, EasyCleanup> easy;
    std::string url; // scheme, host and port; the request target is set per request
};

CHttpUpload::CHttpUpload()
    : m_port(0), m_bytesSent(0), m_totalBytes(0), m_workerRunning(false), m_abandon(false),
      m_pathTaken(false), m_connectTimeout(DefaultConnectTimeoutSeconds),
      m_stallTimeout(DefaultStallTimeoutSeconds) {}

CHttpUpload::~CHttpUpload() {
    resetConnection();
    // A worker of an unconfigured object ends by itself at once.
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CHttpUpload::SetUploadParams(std::string server, int port, std::string objectPath,
                                  std::string refererPath, std::string fieldName) {
    m_objectPath = std::move(objectPath);
    m_refererPath = std::move(refererPath);
    m_fieldName = std::move(fieldName);
    resetConnection();
    GlobalInit();

    auto session = std::make_unique<Session>();
    session->multi.reset(curl_multi_init());
    if (!session->multi) {
        throw CHttpUploadException("The HTTP session cannot be created.");
    }
    auto connection = std::make_unique<Connection>();
    connection->easy.reset(curl_easy_init());
    if (!connection->easy) {
        throw CHttpUploadException("The HTTP connection cannot be created.");
    }
    // Port 0 stands for the protocol's default port.
    const int usedPort = (port & 0xFFFF) == 0 ? 80 : (port & 0xFFFF);
    const bool literalV6 = server.find(':') != std::string::npos && server.front() != '[';
    connection->url = "http://" + (literalV6 ? "[" + server + "]" : server) + ":" +
                      std::to_string(usedPort) + "/";
    m_session = std::move(session);
    m_connection = std::move(connection);
    m_server = std::move(server);
    m_port = port;
}

int CHttpUpload::UploadFile(std::string localFile) {
    {
        const std::lock_guard<std::mutex> guard(m_stateLock);
        m_localFile = std::move(localFile);
    }
    if (m_workerRunning.load()) {
        return 0;
    }
    if (m_worker.joinable()) {
        m_worker.join(); // the previous worker has ended
    }
    m_workerRunning = true;
    m_pathTaken = false;
    try {
        m_worker = std::thread([this] { uploadObj(this); });
    } catch (const std::system_error&) {
        m_workerRunning = false;
        return 0;
    }
    // The worker takes its copy of the path before a later call may change it.
    m_pathTaken.wait(false);
    return 1;
}

unsigned CHttpUpload::uploadObj(void* object) {
    auto* self = static_cast<CHttpUpload*>(object);
    // The connection and the path are taken before UploadFile returns.
    Connection* connection = self->m_connection.get();
    std::string localFile;
    {
        const std::lock_guard<std::mutex> guard(self->m_stateLock);
        localFile = self->m_localFile;
    }
    self->m_pathTaken = true;
    self->m_pathTaken.notify_all();

    const ClearOnExit workerEnds(self->m_workerRunning);
    if (connection == nullptr) {
        return 0;
    }
    const std::unique_ptr<unsigned char[]> buffer(
        new (std::nothrow) unsigned char[TransferBufferSize]);
    if (!buffer) {
        CFunction::RLog("uploadObj malloc 64k memory failed.");
        return 0;
    }
    // Only a regular file has a length to declare.
    uint64_t fileSize = 0;
    const tollund::detail::LocalFile file(tollund::detail::OpenRegular(localFile, fileSize));
    if (file.Get() < 0) {
        CFunction::RLog("uploadObj Unable to open the local file: %s", localFile.c_str());
        return 0;
    }
    {
        const std::lock_guard<std::mutex> guard(self->m_stateLock);
        self->m_response.clear();
    }
    return self->Transfer(*connection, buffer.get(), file.Get(), fileSize, localFile);
}

unsigned CHttpUpload::Transfer(Connection& connection, unsigned char* buffer, int file,
                               uint64_t fileSize, std::string& localFile) {
    std::string boundary = Boundary;
    const std::string pre = MakePreFileData(boundary, m_fieldName, localFile);
    const std::string post = MakePostFileData(boundary);
    m_totalBytes = static_cast<uint32_t>(fileSize);
    m_bytesSent = 0;

    const std::string headers = MakeRequestHeaders(boundary, m_server, m_refererPath);
    if (const char* refusal =
            RefusedRequestPart(m_server, m_refererPath, m_objectPath, m_fieldName, localFile)) {
        LogFailure(refusal);
        return 0;
    }

    BodySource source;
    source.pre = &pre;
    source.post = &post;
    source.file = file;
    source.fileLeft = fileSize;
    source.buffer = buffer;
    source.bytesSent = &m_bytesSent;
    source.abandon = &m_abandon;

    HeaderList headerList;
    if (!ListHeaders(headers, headerList)) {
        LogFailure("The request headers cannot be built.");
        return 0;
    }

    CURL* easy = connection.easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    std::string reply;
    PrepareRequest(easy, connection.url, RequestTarget(m_objectPath),
                   static_cast<curl_off_t>(pre.size() + fileSize + post.size()), source, headerList,
                   reply, errorText, m_connectTimeout.load());

    const TransferLimits limits{&m_abandon, m_stallTimeout.load()};
    const TransferEnd end = RunRequest(m_session->multi.get(), easy, limits);
    if (end.abandoned) {
        return 0;
    }
    std::string failure = end.failure;
    if (failure.empty() && end.code != CURLE_OK) {
        failure = !source.error.empty()  ? source.error
                  : errorText[0] != '\0' ? std::string(errorText)
                                         : std::string(curl_easy_strerror(end.code));
    }
    if (!failure.empty()) {
        LogFailure(failure);
        return 0;
    }
    const std::lock_guard<std::mutex> guard(m_stateLock);
    m_response = std::move(reply);
    return 1;
}

unsigned CHttpUpload::GetProgress() {
    const uint32_t sent = m_bytesSent.load();
    const uint32_t total = m_totalBytes.load();
    if (sent == 0 || total == 0) {
        return 0;
    }
    const double percent = static_cast<double>(sent) / static_cast<double>(total) * 100.0;
    return std::min(100u, static_cast<unsigned>(percent));
}

std::string CHttpUpload::getResponseHtml() {
    const std::lock_guard<std::mutex> guard(m_stateLock);
    return m_response;
}

void CHttpUpload::resetConnection() {
    if (m_connection == nullptr) {
        return;
    }
    if (m_worker.joinable()) {
        // The transfer loop sees the flag as soon as its wait is woken.
        m_abandon = true;
        curl_multi_wakeup(m_session->multi.get());
        m_worker.join();
        m_abandon = false;
    }
    m_connection.reset();
    m_session.reset();
    m_bytesSent = 0;
    m_totalBytes = 0;
}

void CHttpUpload::SetConnectTimeout(unsigned seconds) {
    m_connectTimeout = seconds;
}

void CHttpUpload::SetStallTimeout(unsigned seconds) {
    m_stallTimeout = seconds;
}

std::string CHttpUpload::MakeRequestHeaders(std::string& boundary, const std::string& server,
                                            const std::string& refererPath) {
    return FormatString("Content-Type: multipart/form-data; boundary=%s\r\n", boundary) +
           FormatString("Referer: http://%s/%s\r\n", server, refererPath);
}

std::string CHttpUpload::MakePreFileData(std::string& boundary, const std::string& fieldName,
                                         std::string& localFile) {
    return "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"" + fieldName +
           "\"; filename=\"" + localFile + "\"\r\n" + "Content-Type: application/octet-stream\r\n" +
           "\r\n";
}

std::string CHttpUpload::MakePostFileData(std::string& boundary) {
    return "\r\n" + FormatString("--%s--", boundary) + "\r\n";
}
