#include "SoapTestServer.h"

#include <chrono>
#include <sstream>
#include <stdexcept>

namespace bulletin_test {
namespace {

// The Debian interpreter, which has python3-spyne; another python3 on PATH may not.
constexpr const char* kPython = "/usr/bin/python3";

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

} // namespace

std::string SoapTestServer::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

bool SoapTestServer::Request::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (header.first == name) {
            return true;
        }
    }
    return false;
}

SoapTestServer::SoapTestServer() {
    SetAnswer("");
    zeph::testing::WriteFile(SecretPath(), "the secret must stay here");
    port_ = zeph::testing::FreeLoopbackPort();
    process_ = std::make_unique<zeph::testing::Background>(
        std::vector<std::string>{kPython, BN_SOAP_SERVER, state_.Path(), std::to_string(port_)});
    if (!zeph::testing::WaitForPort(port_, std::chrono::seconds(20))) {
        Stop();
        throw std::runtime_error("the SOAP server did not start on port " + std::to_string(port_));
    }
}

SoapTestServer::~SoapTestServer() {
    Stop();
}

std::string SoapTestServer::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void SoapTestServer::SetAnswer(const std::string& utf8) {
    zeph::testing::WriteFile(state_.File("answer"), utf8);
}

void SoapTestServer::SetMode(const std::string& mode) {
    zeph::testing::WriteFile(state_.File("mode"), mode);
}

void SoapTestServer::SetDelaySeconds(double seconds) {
    zeph::testing::WriteFile(state_.File("delay"), std::to_string(seconds));
}

std::string SoapTestServer::SecretPath() const {
    return state_.File("secret");
}

std::vector<SoapTestServer::Request> SoapTestServer::Requests() const {
    std::vector<Request> requests;
    std::istringstream in(zeph::testing::ReadFile(state_.File("received.log")));
    std::string line;
    Request current;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Fields(line);
        const std::string& tag = f[0];
        auto at = [&](std::size_t i) { return i < f.size() ? Unhex(f[i]) : std::string(); };
        if (tag == "request") {
            current = Request{};
            current.method = at(1);
            current.path = at(2);
            current.query = at(3);
        } else if (tag == "header") {
            current.headers.emplace_back(at(1), at(2));
        } else if (tag == "element") {
            current.elementNamespace = at(1);
            current.element = at(2);
        } else if (tag == "received") {
            current.received.push_back({at(1), at(2), at(3)});
        } else if (tag == "decoded") {
            current.decoded.emplace_back(at(1), at(2));
        } else if (tag == "end") {
            requests.push_back(current);
        }
    }
    return requests;
}

void SoapTestServer::Stop() {
    process_.reset();
}

} // namespace bulletin_test
