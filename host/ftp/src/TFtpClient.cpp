#include "ControlSocket.h"

#include <zeph/ftp/FtpPath.h>
#include <zeph/ftp/TFtpClient.h>
#include <zeph/platform/NetworkSettings.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>

#include <curl/curl.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <string_view>

namespace zeph::ftp {
namespace {

constexpr long kBufferSize = 256 * 1024;

struct GlobalCurl {
    GlobalCurl() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

// A host name fit for the URL: no character that would end the host part or hide a login.
bool IsHostName(std::string_view host) {
    if (host.empty()) {
        return false;
    }
    for (char ch : host) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || std::string_view("/?#@\\%").find(ch) != std::string::npos) {
            return false;
        }
    }
    return true;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

// "257 "/a ""b"" c" is the current directory." -> /a "b" c
std::string QuotedPath(std::string_view reply) {
    std::size_t open = reply.find('"');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string path;
    for (std::size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 < reply.size() && reply[i + 1] == '"') {
                path += '"';
                ++i;
                continue;
            }
            return path;
        }
        path += reply[i];
    }
    return {};
}

// The size a transfer's opening reply announces: "150 Opening ... for x.v3 (1234 bytes)." -> 1234,
// or -1 when it names none.
curl_off_t AnnouncedSize(std::string_view reply) {
    const std::size_t bytes = reply.rfind(" bytes)");
    const std::size_t open = bytes == std::string_view::npos ? bytes : reply.rfind('(', bytes);
    if (open == std::string_view::npos || open + 1 == bytes) {
        return -1;
    }
    curl_off_t size = 0;
    for (char c : reply.substr(open + 1, bytes - open - 1)) {
        if (c < '0' || c > '9' || size > (std::numeric_limits<curl_off_t>::max() - 9) / 10) {
            return -1;
        }
        size = size * 10 + (c - '0');
    }
    return size;
}

} // namespace

// One libcurl handle driven through a multi handle of its own, whose connection cache holds the
// control connection between operations.
struct TFtpClient::Session {
    CURLM* multi = nullptr;
    CURL* curl = nullptr;
    std::string baseUrl; // "ftp://host:port/"
    // The control connection after the last operation.
    curl_socket_t control = CURL_SOCKET_BAD;
    // What the server said during the last operation.
    std::string lastReply;
    bool greeted = false;      // a server greeting: a control connection was (re)opened
    curl_off_t announced = -1; // the size the last transfer's opening reply named
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Called while an operation runs (the client's OnWork).
    std::function<void()> work;

    ~Session() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
        if (multi != nullptr) {
            curl_multi_cleanup(multi); // sends QUIT on the open connection
        }
    }

    static size_t OnReply(char* data, size_t size, size_t count, void* self) {
        auto* session = static_cast<Session*>(self);
        std::string_view line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        if (line.size() >= 4 && line[3] == ' ') {
            session->lastReply.assign(line);
            if (line.substr(0, 3) == "220") {
                session->greeted = true;
            } else if (line.substr(0, 3) == "150" || line.substr(0, 3) == "125") {
                session->announced = AnnouncedSize(line);
            }
        }
        return size * count;
    }

    // One request: the quote command (if any) after login, then the file at path (relative to
    // the working directory unless it starts with "/") into sink, or no transfer when sink is
    // nullptr.
    CURLcode Perform(const std::string& path, const std::string& quote, std::FILE* sink) {
        lastReply.clear();
        greeted = false;
        announced = -1;
        errorBuffer[0] = '\0';
        std::string url = baseUrl + EncodeFtpPath(path);
        curl_slist* commands = quote.empty() ? nullptr : curl_slist_append(nullptr, quote.c_str());
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_QUOTE, commands);
        curl_easy_setopt(curl, CURLOPT_NOBODY, sink == nullptr ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, sink == nullptr ? DiscardBody : WriteToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink);
        CURLcode rc = Run();
        curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(commands);
        return rc;
    }

    // The transfer to its end. libcurl may leave a step of a reused connection (the data
    // connection after PASV) waiting for its next timer, up to a second; polling at least every
    // few milliseconds takes that step at once.
    CURLcode Run() {
        constexpr long kLongestWaitMs = 2;
        if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
        CURLcode rc = CURLE_OK;
        int running = 1;
        while (running > 0) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            if (running == 0) {
                break;
            }
            long wait = -1;
            curl_multi_timeout(multi, &wait);
            if (wait < 0 || wait > kLongestWaitMs) {
                wait = kLongestWaitMs;
            }
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait), nullptr);
            if (work) {
                work();
            }
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
                rc = message->data.result;
            }
        }
        control = CURL_SOCKET_BAD;
        curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &control);
        curl_multi_remove_handle(multi, curl);
        return rc;
    }

    long ReplyCode() const {
        long code = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }

    // libcurl's account of a failure, with the server's last reply when there was one.
    std::string Failure(CURLcode rc) const {
        std::string text = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(rc);
        if (!lastReply.empty() && text.find(lastReply) == std::string::npos) {
            text += " (" + lastReply + ")";
        }
        return text;
    }
};

TFtpClient::TFtpClient(component::Component* owner, std::string name)
    : Component(owner, std::move(name)) {}

TFtpClient::~TFtpClient() = default;

bool TFtpClient::Connect() {
    static GlobalCurl global;
    if (Busy()) {
        return false;
    }
    Disconnect();
    lastError_.clear();
    if (!IsHostName(Host)) {
        lastError_ = "not a host name: " + Host;
        return false;
    }
    if (Port <= 0 || Port > 65535) {
        lastError_ = "not a port: " + std::to_string(Port);
        return false;
    }
    auto session = std::make_unique<Session>();
    session->multi = curl_multi_init();
    session->curl = curl_easy_init();
    if (session->multi == nullptr || session->curl == nullptr) {
        lastError_ = "cannot start an FTP session";
        return false;
    }
    const bool literalV6 = Host.find(':') != std::string::npos && Host.front() != '[';
    session->baseUrl =
        "ftp://" + (literalV6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port) + "/";
    session->work = [this] { Work(); };
    CURL* c = session->curl;
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // The platform's rule, which sends FTP direct: libcurl reads no proxy variable of its own.
    const std::string proxy = platform::ProxyFor(session->baseUrl);
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");
    if (!Username.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, Username.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, Password.c_str());
    }
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, TimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, TimeoutSeconds);
    // A transfer that stalls ends instead of hanging the desk.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, TimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
    // Names travel as given: "../x.v3" is asked for as "../x.v3", not resolved in the URL.
    curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L);
    // The working directory is ours to set: libcurl sends no CWD of its own.
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Session::OnReply);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, session.get());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, session->errorBuffer);
    // Login and the server's entry directory; the connection stays open in the handle.
    CURLcode rc = session->Perform({}, {}, nullptr);
    if (rc != CURLE_OK) {
        lastError_ = session->Failure(rc);
        return false;
    }
    session_ = std::move(session);
    return true;
}

bool TFtpClient::Connected() const {
    if (!session_) {
        return false;
    }
    const curl_socket_t socket = session_->control;
    if (socket == CURL_SOCKET_BAD) {
        return false;
    }
    // Between operations the server has nothing to say: a readable control connection is one
    // it closed, or is about to close after telling why ("421 ...").
    const detail::SocketState state = detail::LookAtSocket(socket);
    return state == detail::SocketState::Quiet || state == detail::SocketState::Interrupted;
}

void TFtpClient::Disconnect() {
    if (!inWork_) {
        session_.reset();
    }
}

void TFtpClient::Work() {
    if (!OnWork || inWork_) {
        return;
    }
    inWork_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inWork_};
    OnWork(*this);
}

bool TFtpClient::Busy() const {
    // Asked from inside OnWork: the session is in the middle of an operation, whose error text
    // this must not replace.
    return inWork_;
}

std::string TFtpClient::RetrieveCurrentDir() {
    if (Busy()) {
        return {};
    }
    lastError_.clear();
    if (!Connected()) {
        lastError_ = "not connected";
        return {};
    }
    // "*": a refused command is answered, not a broken session.
    CURLcode rc = session_->Perform({}, "*PWD", nullptr);
    if (rc != CURLE_OK) {
        lastError_ = session_->Failure(rc);
        return {};
    }
    if (session_->ReplyCode() != 257) {
        lastError_ = "PWD: " + session_->lastReply;
        return {};
    }
    return QuotedPath(session_->lastReply);
}

bool TFtpClient::ChangeDir(const std::string& directory) {
    if (Busy()) {
        return false;
    }
    lastError_.clear();
    if (!Connected()) {
        lastError_ = "not connected";
        return false;
    }
    if (directory.empty() || !IsCommandSafe(directory)) {
        lastError_ = "not a directory name: " + directory;
        return false;
    }
    CURLcode rc = session_->Perform({}, "*CWD " + directory, nullptr);
    if (rc != CURLE_OK) {
        lastError_ = session_->Failure(rc);
        return false;
    }
    long code = session_->ReplyCode();
    if (code < 200 || code > 299) {
        lastError_ = "CWD " + directory + ": " + session_->lastReply;
        return false;
    }
    return true;
}

bool TFtpClient::Get(const std::string& remoteFile, const std::string& localPath) {
    if (Busy()) {
        return false;
    }
    lastError_.clear();
    if (!Connected()) {
        lastError_ = "not connected";
        return false;
    }
    // A name ending in "/" would fetch a directory listing in place of a file.
    if (remoteFile.empty() || remoteFile.back() == '/' || !IsCommandSafe(remoteFile)) {
        lastError_ = "not a file name: " + remoteFile;
        return false;
    }
    platform::TReplacingFile local(localPath);
    if (local.Stream() == nullptr) {
        lastError_ = text::Utf8ToGbk(local.Error());
        return false;
    }
    CURLcode rc = session_->Perform(remoteFile, {}, local.Stream());
    if (rc != CURLE_OK) {
        lastError_ = session_->Failure(rc);
        return false;
    }
    // A connection opened afresh starts in the login directory, not the one changed to, so
    // what came may be another file of the same name.
    if (session_->greeted) {
        lastError_ = "the connection to the server was lost; " + remoteFile + " was not taken";
        return false;
    }
    // Without a SIZE answer libcurl knows no length to hold the transfer to; the opening
    // reply's announcement is the only measure of a data connection closed early.
    curl_off_t received = 0;
    curl_easy_getinfo(session_->curl, CURLINFO_SIZE_DOWNLOAD_T, &received);
    if (session_->announced >= 0 && received < session_->announced) {
        lastError_ = "the server announced " + std::to_string(session_->announced) + " bytes of " +
                     remoteFile + " and sent " + std::to_string(received) +
                     "; the file was not taken";
        return false;
    }
    if (!local.Commit()) {
        lastError_ = text::Utf8ToGbk(local.Error());
        return false;
    }
    return true;
}

} // namespace zeph::ftp
