// A real FTP server for one test: Debian's pyftpdlib on 127.0.0.1, on a port the system
// chooses, serving a folder read-only, to anonymous users or to one user with a password. It
// logs every command it receives, for tests that check what a client sent. Stopped when
// destroyed.
#pragma once

#include "support/Subprocess.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zeph::testing {

class FtpTestServer {
public:
    struct Login {
        std::string user; // empty: anonymous
        std::string password;
    };

    // Starts the server over root; throws std::runtime_error when it does not come up.
    explicit FtpTestServer(std::string root, Login login = {});
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    int Port() const noexcept { return port_; }
    const std::string& Root() const noexcept { return root_; }
    // "ftp://127.0.0.1:<port>"
    std::string BaseUrl() const;
    void Stop();

    // The commands received so far, oldest first, as the client sent them ("CWD /rec/",
    // "TYPE I"); passwords are masked by the server.
    std::vector<std::string> Commands() const;

private:
    std::string root_;
    int port_ = 0;
    struct Log {
        std::mutex mutex;
        std::condition_variable grown;
        std::string text;
        bool ended = false;
    };
    std::shared_ptr<Log> log_ = std::make_shared<Log>();
    Background server_;
};

} // namespace zeph::testing
