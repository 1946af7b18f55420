// The file server under load on loopback: 200 concurrent connections and 20,000 requests, all
// answered correctly, nothing left behind; stopping under load; a silent client meanwhile.
#include "http_test_client.h"
#include "support/TempDir.h"

#include <tollund/CHttpServer.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tollund_test;

namespace {

constexpr int Connections = 200;
constexpr int Requests = 20000;

class HttpServerLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        descriptors_ = OpenDescriptors();
        threads_ = Threads();
        root_ = temp_.Path();
        std::mt19937 random(200);
        for (const size_t size : {0u, 1024u, 65536u + 3u}) {
            std::string content(size, '\0');
            for (auto& c : content) {
                c = static_cast<char>(random());
            }
            const std::string name = "/f" + std::to_string(size) + ".bin";
            std::ofstream(root_.string() + name, std::ios::binary)
                .write(content.data(), static_cast<std::streamsize>(size));
            files_.push_back({name, content});
        }
        port_ = FreePort();
        server_ = std::make_unique<CHttpServer>(root_.string(), port_, "127.0.0.1");
        ASSERT_TRUE(server_->StartHttpSrv());
    }

    void TearDown() override {
        server_->StopHttpSrv();
        server_.reset();
        EXPECT_TRUE(SettlesTo(descriptors_, threads_))
            << OpenDescriptors() << " descriptors (" << descriptors_ << " before), " << Threads()
            << " threads (" << threads_ << " before)";
    }

    // True when the reply is exactly the header and the bytes of file i.
    bool Correct(const Reply& reply, size_t i) const {
        const std::string& content = files_[i].second;
        const size_t end = reply.bytes.find("\r\n\r\n");
        if (!reply.closed || end == std::string::npos ||
            reply.bytes.compare(0, 17, "HTTP/1.0 200 OK\r\n") != 0) {
            return false;
        }
        const std::string header = reply.bytes.substr(0, end + 4);
        return header.find("\r\nContent-Type: application/octet-stream\r\n") != std::string::npos &&
               header.find("\r\nContent-Length: " + std::to_string(content.size()) + "\r\n") !=
                   std::string::npos &&
               reply.bytes.compare(end + 4, std::string::npos, content) == 0;
    }

    size_t descriptors_ = 0;
    size_t threads_ = 0;
    zeph::testing::TempDir temp_;
    fs::path root_;
    std::vector<std::pair<std::string, std::string>> files_;
    unsigned port_ = 0;
    std::unique_ptr<CHttpServer> server_;
};

TEST_F(HttpServerLoadTest, EveryRequestOfManyConcurrentClientsIsAnsweredCorrectly) {
    const int silent = Connect(port_); // connects and never sends
    ASSERT_GE(silent, 0);
    std::atomic<int> correct{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < Connections; ++c) {
        clients.emplace_back([&, c] {
            for (int r = 0; r < Requests / Connections; ++r) {
                const size_t file = static_cast<size_t>(c + r) % files_.size();
                const Reply reply =
                    Exchange(port_, "GET " + files_[file].first + " HTTP/1.0\r\n\r\n", 20000);
                (Correct(reply, file) ? correct : wrong)++;
            }
        });
    }
    for (auto& t : clients) {
        t.join();
    }
    EXPECT_EQ(correct.load(), Requests);
    EXPECT_EQ(wrong.load(), 0);

    const auto start = std::chrono::steady_clock::now();
    server_->StopHttpSrv();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    Reply reply;
    ReadToClose(silent, reply, 10000);
    EXPECT_TRUE(reply.closed); // stopping ended the silent connection
    EXPECT_EQ(reply.bytes, "");
    close(silent);
}

TEST_F(HttpServerLoadTest, StopUnderLoadReturnsAndLeavesNothingBehind) {
    std::atomic<bool> stopped{false};
    std::atomic<int> answered{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < Connections; ++c) {
        clients.emplace_back([&, c] {
            for (int r = 0; r < Requests / Connections && !stopped; ++r) {
                const size_t file = static_cast<size_t>(c + r) % files_.size();
                const Reply reply =
                    Exchange(port_, "GET " + files_[file].first + " HTTP/1.0\r\n\r\n", 20000);
                if (Correct(reply, file)) {
                    ++answered;
                } else if (!stopped) {
                    ++wrong; // before the stop every answer must be whole
                }
            }
        });
    }
    while (answered < 2000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto start = std::chrono::steady_clock::now();
    stopped = true;
    server_->StopHttpSrv();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    for (auto& t : clients) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
