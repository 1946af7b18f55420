// The bulletin-and-note web service of the tests: bn_soap_server.py (Debian's spyne) on
// 127.0.0.1, on a free port, over a state folder of its own. The test sets the
// answer and the mode and reads back every request the server received. Stopped when destroyed.
#pragma once

#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace bulletin_test {

class SoapTestServer {
public:
    // One request as the server saw it; texts are UTF-8.
    struct Request {
        std::string method, path, query;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string elementNamespace, element;
        struct Param {
            std::string name, type, text;
        };
        std::vector<Param> received;                              // as on the wire
        std::vector<std::pair<std::string, std::string>> decoded; // as spyne read them
        std::string Header(const std::string& name) const;
        bool HasHeader(const std::string& name) const;
    };

    SoapTestServer();
    ~SoapTestServer();
    SoapTestServer(const SoapTestServer&) = delete;
    SoapTestServer& operator=(const SoapTestServer&) = delete;

    int Port() const noexcept { return port_; }
    // "127.0.0.1:<port>", as the address table holds it.
    std::string Address() const;
    // The text every call answers (UTF-8).
    void SetAnswer(const std::string& utf8);
    // normal, fault, http500, slow, notsoap, noport, entity (see bn_soap_server.py).
    void SetMode(const std::string& mode);
    void SetDelaySeconds(double seconds);
    // The file an external entity of mode "entity" points at.
    std::string SecretPath() const;
    std::vector<Request> Requests() const;
    void Stop();

private:
    zeph::testing::TempDir state_;
    int port_ = 0;
    std::unique_ptr<zeph::testing::Background> process_;
};

} // namespace bulletin_test
