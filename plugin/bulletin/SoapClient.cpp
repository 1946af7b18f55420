#include "bulletin/SoapClient.h"

#include "bulletin/EventfulTransfer.h"
#include "bulletin/SoapEnvelope.h"
#include "bulletin/XmlLimits.h"

#include <zeph/platform/NetworkSettings.h>
#include <zeph/platform/SystemError.h>
#include <zeph/text/HostText.h>

#include <curl/curl.h>

#include <mutex>

namespace morvane::bulletin {
namespace {

// Answers beyond this are refused: no description or answer of these services comes near it.
constexpr std::size_t kMaxAnswerBytes = 16u << 20;

struct Buffer {
    std::string bytes;
    bool tooLarge = false;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* buffer = static_cast<Buffer*>(user);
    const std::size_t n = size * count;
    if (buffer->bytes.size() + n > kMaxAnswerBytes) {
        buffer->tooLarge = true;
        return 0;
    }
    buffer->bytes.append(data, n);
    return n;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

// One libcurl handle per client, so that consecutive calls reuse the connection.
class TSoapClient::Http {
public:
    Http() {
        GlobalInit();
        curl_ = curl_easy_init();
        if (curl_ == nullptr) {
            throw ESoapError("cannot create an HTTP handle");
        }
    }
    ~Http() { curl_easy_cleanup(curl_); }
    Http(const Http&) = delete;
    Http& operator=(const Http&) = delete;

    struct Reply {
        long status = 0;
        std::string body;
    };

    // GET when body is null, else POST of body as a SOAP 1.1 request. Transport failures and
    // time-outs raise ESoapError; an HTTP status comes back in the reply.
    Reply Exchange(const std::string& url, const std::string* body) {
        curl_easy_reset(curl_);
        const zeph::platform::HttpTimeouts limits = zeph::platform::HttpExchangeTimeouts();
        const std::string proxy = zeph::platform::ProxyFor(url);
        Buffer buffer;
        char reason[CURL_ERROR_SIZE] = {};
        curl_slist* headers = nullptr;
        curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, reason);
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, limits.exchangeMs);
        // The platform's rule decides alone: libcurl reads no proxy variable of its own.
        curl_easy_setopt(curl_, CURLOPT_PROXY, proxy.c_str());
        curl_easy_setopt(curl_, CURLOPT_NOPROXY, "");
        curl_easy_setopt(curl_, CURLOPT_USERAGENT, "Morvane SOAP client");
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &Collect);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &buffer);
        if (body != nullptr) {
            headers = curl_slist_append(headers, "Content-Type: text/xml; charset=utf-8");
            headers = curl_slist_append(headers, "SOAPAction: \"\"");
            headers = curl_slist_append(headers, "Expect:");
            curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(curl_, CURLOPT_POST, 1L);
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body->data());
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body->size()));
        }
        const CURLcode code = transfer_.Perform(curl_);
        curl_slist_free_all(headers);
        curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, nullptr);
        if (code != CURLE_OK) {
            throw ESoapError(buffer.tooLarge ? "the answer is too large" : Failure(code, reason));
        }
        Reply reply;
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &reply.status);
        reply.body = std::move(buffer.bytes);
        return reply;
    }

private:
    // libcurl's own account (the peer, the time spent), and the system's word for the cause
    // ("Connection refused") where there is one.
    std::string Failure(CURLcode code, const char* reason) const {
        std::string text = reason[0] != 0 ? reason : curl_easy_strerror(code);
        long osError = 0;
        curl_easy_getinfo(curl_, CURLINFO_OS_ERRNO, &osError);
        if (osError != 0) {
            text += " (" + zeph::platform::SystemErrorText(osError) + ")";
        }
        return text;
    }

    CURL* curl_ = nullptr;
    EventfulTransfer transfer_;
};

TSoapClient::TSoapClient(zeph::forms::Component* owner, std::string name, std::string service,
                         std::string port)
    : Component(owner, std::move(name)), Service(std::move(service)), Port(std::move(port)) {}

TSoapClient::~TSoapClient() = default;

std::string TSoapClient::Endpoint() {
    const std::string location = zeph::text::GbkToUtf8(WSDLLocation);
    if (auto known = endpoints_.find(location); known != endpoints_.end()) {
        return known->second;
    }
    if (!http_) {
        http_ = std::make_unique<Http>();
    }
    const Http::Reply reply = http_->Exchange(location, nullptr);
    if (reply.status != 200) {
        throw ESoapError("the service description answered HTTP " + std::to_string(reply.status));
    }
    if (const char* breach = XmlLimitBreach(reply.body)) {
        throw ESoapError(std::string("the service description was not read: ") + breach);
    }
    std::optional<std::string> endpoint = FindEndpoint(reply.body, Service, Port);
    if (!endpoint) {
        throw ESoapError("the service description cannot be read or names no port " + Port +
                         " of " + Service);
    }
    return endpoints_[location] = *endpoint;
}

std::string TSoapClient::Invoke(const SoapOperation& operation,
                                const std::vector<std::string>& values) {
    const std::string endpoint = Endpoint();
    std::vector<std::string> wire;
    wire.reserve(values.size());
    for (const std::string& value : values) {
        wire.push_back(zeph::text::GbkToUtf8(value));
    }
    const std::string request = BuildRpcRequest(operation.name, operation.parameters, wire);
    Http::Reply reply;
    try {
        reply = http_->Exchange(endpoint, &request);
    } catch (const ESoapError&) {
        // The server may have moved: the next call reads the description again.
        endpoints_.erase(zeph::text::GbkToUtf8(WSDLLocation));
        throw;
    }
    if (const char* breach = reply.status == 200 ? XmlLimitBreach(reply.body) : nullptr) {
        throw ESoapError(std::string("the answer was not read: ") + breach);
    }
    // A fault comes with HTTP 500; either way only a readable return value counts.
    std::optional<std::string> value =
        reply.status == 200 ? ReadReturnValue(reply.body) : std::nullopt;
    if (!value) {
        throw ESoapError(reply.status == 200
                             ? "the answer is not a SOAP result"
                             : "the service answered HTTP " + std::to_string(reply.status));
    }
    return zeph::text::Utf8ToGbk(*value);
}

} // namespace morvane::bulletin
