// The file server under load on loopback: 200 concurrent connections and 20,000 requests, all
// answered correctly, nothing left behind; stopping under load; a silent client meanwhile; a
// burst of 500 connections held open at once; the threads that wait for the next connection.
#include "http_test_client.h"
#include "support/TempDir.h"

#include <tollund/CHttpServer.h>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <set>
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

// The ids of the process's threads.
std::set<int> ThreadIds() {
    std::set<int> ids;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        ids.insert(std::stoi(task.path().filename().string()));
    }
    return ids;
}

uint32_t Clients() {
    std::lock_guard<std::mutex> guard(CHttpServer::m_critSect);
    return CHttpServer::ClientNum;
}

// Every connection is served by a thread of its own while it lasts: 500 connections that have
// not sent their requests yet are 500 clients at once, and each is answered once it does.
TEST_F(HttpServerLoadTest, BurstOf500ConnectionsHeldOpenAtOnceIsServedWhole) {
    constexpr int Burst = 500;
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < 3 * Burst) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4 * Burst);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur < 3 * Burst) {
        GTEST_SKIP() << "the process may open only " << limit.rlim_cur << " descriptors";
    }
    std::vector<int> sockets;
    for (int i = 0; i < Burst; ++i) {
        const int s = Connect(port_);
        ASSERT_GE(s, 0) << i;
        sockets.push_back(s);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Clients() < Burst && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Clients(), static_cast<uint32_t>(Burst));
    EXPECT_GE(Threads(), threads_ + Burst);
    for (size_t i = 0; i < sockets.size(); ++i) {
        const std::string request = "GET " + files_[i % files_.size()].first + " HTTP/1.0\r\n\r\n";
        ASSERT_EQ(send(sockets[i], request.data(), request.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(request.size()));
    }
    int correct = 0;
    for (size_t i = 0; i < sockets.size(); ++i) {
        Reply reply;
        ReadToClose(sockets[i], reply, 20000);
        correct += Correct(reply, i % files_.size()) ? 1 : 0;
        close(sockets[i]);
    }
    EXPECT_EQ(correct, Burst);
}

// A thread that has served a connection waits for the next and serves it: the thread that
// served the first of many requests in a row is still there after the last, and the threads
// are not many more than one. Once idle for two seconds, they end without a stop.
TEST_F(HttpServerLoadTest, FinishedThreadsServeTheNextConnectionsAndEndWhenIdle) {
    const std::set<int> before = ThreadIds();
    ASSERT_TRUE(Correct(Exchange(port_, "GET /f1024.bin HTTP/1.0\r\n\r\n"), 1));
    std::set<int> first;
    for (const int id : ThreadIds()) {
        if (before.count(id) == 0) {
            first.insert(id); // the thread that served it, now waiting for the next
        }
    }
    ASSERT_FALSE(first.empty());
    size_t most = 0;
    for (int r = 0; r < 300; ++r) {
        ASSERT_TRUE(Correct(Exchange(port_, "GET /f1024.bin HTTP/1.0\r\n\r\n"), 1)) << r;
        most = std::max(most, Threads());
    }
    const std::set<int> after = ThreadIds();
    bool survived = false;
    for (const int id : first) {
        survived = survived || after.count(id) != 0;
    }
    EXPECT_TRUE(survived) << "no thread of the first request served the later ones";
    EXPECT_LE(most, threads_ + 6) << "one request at a time needs few threads";
    // Left: the listening thread, with its socket and two events.
    EXPECT_TRUE(SettlesTo(descriptors_ + 3, threads_ + 1, 6000))
        << Threads() << " threads (" << threads_ << " before), " << OpenDescriptors()
        << " descriptors (" << descriptors_ << " before): idle threads did not end";
}

// Threads that wait for their next connection end at once when the server stops, and every
// descriptor goes with them.
TEST_F(HttpServerLoadTest, StopWhileThreadsWaitForConnectionsEndsThemAtOnce) {
    std::vector<std::thread> clients;
    std::atomic<int> correct{0};
    for (int c = 0; c < 40; ++c) {
        clients.emplace_back([&, c] {
            for (int r = 0; r < 20; ++r) {
                const size_t file = static_cast<size_t>(c + r) % files_.size();
                correct +=
                    Correct(Exchange(port_, "GET " + files_[file].first + " HTTP/1.0\r\n\r\n"),
                            file)
                        ? 1
                        : 0;
            }
        });
    }
    for (auto& t : clients) {
        t.join();
    }
    EXPECT_EQ(correct.load(), 40 * 20);
    // A connection is counted out just after it closes, which a client may see first.
    const auto countedOut = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (Clients() != 0 && std::chrono::steady_clock::now() < countedOut) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(Clients(), 0u);
    EXPECT_GT(Threads(), threads_ + 2) << "threads wait for the next connection";
    const auto start = std::chrono::steady_clock::now();
    server_->StopHttpSrv();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_TRUE(SettlesTo(descriptors_, threads_, 1000))
        << OpenDescriptors() << " descriptors (" << descriptors_ << " before), " << Threads()
        << " threads (" << threads_ << " before)";
}

} // namespace
