// The HTTP file server on Winsock, asked by a Winsock client on the loopback address: GET and
// HEAD are answered, what the server refuses gets no answer at all, and a stop ends it.

#include <tollund/CHttpServer.h>

#include <gtest/gtest.h>

// The system headers need winsock2.h first.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class WinsockUser {
public:
    WinsockUser() {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};

// A port that was free a moment ago.
unsigned FreePort() {
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

// Sends the request and reads until the server closes the connection.
std::string Exchange(unsigned port, const std::string& request) {
    const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(client);
        return "(no connection)";
    }
    send(client, request.data(), static_cast<int>(request.size()), 0);
    std::string reply;
    char buffer[4096];
    for (;;) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        reply.append(buffer, static_cast<size_t>(got));
    }
    closesocket(client);
    return reply;
}

class WindowsHttpServer : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() / ("tollund-www-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(root_);
        Write("index.html", "<p>index</p>");
        std::string big;
        for (int i = 0; i < 5000; ++i) {
            big += "line " + std::to_string(i) + "\n";
        }
        big_ = big;
        Write("big.txt", big_);
        port_ = FreePort();
        server_ = std::make_unique<CHttpServer>(root_.string(), port_, "127.0.0.1");
        ASSERT_TRUE(server_->StartHttpSrv());
    }
    void TearDown() override {
        if (server_) {
            server_->StopHttpSrv();
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream file(root_ / name, std::ios::binary);
        file << bytes;
    }
    static std::string Body(const std::string& reply) {
        const size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : reply.substr(end + 4);
    }

    WinsockUser winsock_;
    fs::path root_;
    std::string big_;
    unsigned port_ = 0;
    std::unique_ptr<CHttpServer> server_;
};

} // namespace

TEST_F(WindowsHttpServer, AGetOfTheRootServesIndexHtml) {
    const std::string reply = Exchange(port_, "GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << reply;
    EXPECT_NE(reply.find("\r\nServer: Vintor OAM Http Server\r\n"), std::string::npos);
    EXPECT_NE(reply.find("\r\nContent-Type: text/html\r\n"), std::string::npos);
    EXPECT_NE(reply.find("\r\nContent-Length: 12\r\n"), std::string::npos);
    EXPECT_EQ(Body(reply), "<p>index</p>");
}

TEST_F(WindowsHttpServer, AFileOfManyPiecesArrivesWhole) {
    const std::string reply = Exchange(port_, "get /big.txt HTTP/1.0\r\n\r\n");
    EXPECT_NE(reply.find("\r\nContent-Type: text/plain\r\n"), std::string::npos);
    EXPECT_EQ(Body(reply), big_);
}

TEST_F(WindowsHttpServer, AHeadGetsTheHeaderWithTheFileSizeAndNoBody) {
    const std::string reply = Exchange(port_, "HEAD /big.txt HTTP/1.0\r\n\r\n");
    EXPECT_NE(reply.find("\r\nContent-Length: " + std::to_string(big_.size()) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(Body(reply), "");
}

TEST_F(WindowsHttpServer, RefusedRequestsGetNoAnswer) {
    EXPECT_EQ(Exchange(port_, "POST /index.html HTTP/1.0\r\n\r\n"), "");
    EXPECT_EQ(Exchange(port_, "GET /index.html HTTP/1.0\r\nUser-Agent: a..b\r\n\r\n"), "");
    EXPECT_EQ(Exchange(port_, "GET /missing.html HTTP/1.0\r\n\r\n"), "");
}

TEST_F(WindowsHttpServer, AnUnknownExtensionHasABlankContentType) {
    Write("data.xyz", "x");
    const std::string reply = Exchange(port_, "GET /data.xyz HTTP/1.0\r\n\r\n");
    EXPECT_NE(reply.find("\r\nContent-Type:  \r\n"), std::string::npos) << reply;
}

TEST_F(WindowsHttpServer, AfterTheStopNothingListens) {
    server_->StopHttpSrv();
    EXPECT_EQ(Exchange(port_, "GET / HTTP/1.0\r\n\r\n"), "(no connection)");
    server_.reset();
}
