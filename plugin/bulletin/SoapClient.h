// A SOAP client component bound to one port of one web service: it fetches the service
// description from WSDLLocation, takes the endpoint address of its port from it and posts RPC
// calls there over HTTP. Texts are host text on this side and UTF-8 on the wire. Each HTTP
// exchange takes its time limits and its proxy from the platform (zeph/platform/NetworkSettings.h).
#pragma once

#include <zeph/forms/Component.h>

#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::bulletin {

// Any failure of a call: transport, HTTP status, time-out, fault, unreadable answer.
class ESoapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An operation of a service interface: its name and its string parameters, in order.
struct SoapOperation {
    const char* name;
    std::span<const char* const> parameters;
};

class TSoapClient : public zeph::forms::Component {
public:
    TSoapClient(zeph::forms::Component* owner, std::string name, std::string service,
                std::string port);
    ~TSoapClient() override;

    std::string WSDLLocation; // host text
    std::string Service;
    std::string Port;

    // Calls the operation with one value per parameter (host text) and returns the result as
    // host text. ESoapError on any failure.
    std::string Invoke(const SoapOperation& operation, const std::vector<std::string>& values);

private:
    class Http;
    std::string Endpoint();

    std::unique_ptr<Http> http_;
    // Endpoint by description location, kept until a post to it fails in transport.
    std::map<std::string, std::string> endpoints_;
};

} // namespace morvane::bulletin
