// A real FTP server for one test: Debian's pyftpdlib on 127.0.0.1, on a port the system
// chooses, serving a temporary root read-only to anonymous users. Stopped when destroyed.
#pragma once

#include <sys/types.h>

#include <string>

namespace services_test {

class FtpTestServer {
public:
    // Starts the server over root; throws std::runtime_error when it does not come up.
    explicit FtpTestServer(std::string root);
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    int Port() const noexcept { return port_; }
    const std::string& Root() const noexcept { return root_; }
    // "ftp://127.0.0.1:<port>"
    std::string BaseUrl() const;
    void Stop();

private:
    std::string root_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace services_test
