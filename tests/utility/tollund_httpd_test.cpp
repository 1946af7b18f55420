// The tollund-httpd program: serves its root until SIGTERM or SIGINT, then stops cleanly.
#include "http_test_client.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tollund_test;

namespace {

const std::string Program = std::string(ZEPH_BINARY_DIR) + "/bin/tollund-httpd";

// Starts the program; with maxDescriptors, it may have no more descriptors open than that.
pid_t Start(const std::vector<std::string>& arguments, rlim_t maxDescriptors = 0) {
    const pid_t child = fork();
    if (child == 0) {
        if (maxDescriptors > 0) {
            const rlimit limit{maxDescriptors, maxDescriptors};
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                _exit(126);
            }
        }
        std::vector<char*> argv{const_cast<char*>(Program.c_str())};
        for (const std::string& a : arguments) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(Program.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

// Exit status of the child, or -1 when it has not ended within the limit.
int WaitExit(pid_t child, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

class TollundHttpdTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        root_ = temp_.Path();
        std::ofstream(root_ / "hello.txt") << "hello";
    }
    zeph::testing::TempDir temp_;
    fs::path root_;
};

TEST_P(TollundHttpdTest, ServesUntilTheStopSignal) {
    const unsigned port = FreePort();
    const pid_t child = Start({root_.string() + "/", std::to_string(port), "127.0.0.1"});
    Reply reply;
    for (int i = 0; i < 100 && !reply.connected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reply = Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n");
    }
    EXPECT_NE(reply.bytes.find("\r\n\r\nhello"), std::string::npos) << reply.bytes;
    const int silent = Connect(port); // waits on the network when the signal comes
    ASSERT_GE(silent, 0);
    kill(child, GetParam());
    EXPECT_EQ(WaitExit(child, 15000), 0);
    Reply after;
    ReadToClose(silent, after, 5000);
    EXPECT_TRUE(after.closed);
    close(silent);
    EXPECT_FALSE(Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n").connected);
}

INSTANTIATE_TEST_SUITE_P(Signals, TollundHttpdTest, ::testing::Values(SIGTERM, SIGINT));

Reply FirstAnswer(unsigned port) {
    Reply reply;
    for (int i = 0; i < 100 && reply.bytes.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reply = Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n");
    }
    return reply;
}

std::string LogSince(size_t offset) {
    std::ifstream in(std::string(ZEPH_BINARY_DIR) + "/bin/Info.dat", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return offset <= text.size() ? text.substr(offset) : text;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// Idle connections use up the server's descriptors; once they are gone, it serves again.
TEST_F(TollundHttpdTest, AcceptsAgainAfterRunningOutOfDescriptors) {
    const unsigned port = FreePort();
    const size_t logStart = LogSince(0).size();
    const pid_t child =
        Start({"--request-timeout", "0", root_.string(), std::to_string(port), "127.0.0.1"}, 16);
    ASSERT_NE(FirstAnswer(port).bytes.find("\r\n\r\nhello"), std::string::npos);
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        const int s = Connect(port);
        ASSERT_GE(s, 0);
        idle.push_back(s);
    }
    // Out of descriptors, the server leaves the download waiting.
    EXPECT_EQ(Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n", 700).bytes, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a few retries
    for (const int s : idle) {
        close(s);
    }
    const Reply reply = Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n", 5000);
    EXPECT_NE(reply.bytes.find("\r\n\r\nhello"), std::string::npos) << reply.bytes;
    // A second after the last failure, the next connection ends the episode.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_NE(Exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n", 5000).bytes.find("hello"),
              std::string::npos);
    kill(child, SIGTERM);
    EXPECT_EQ(WaitExit(child, 15000), 0);
    // One entry when the episode ends (the one at its start may find no descriptor to log),
    // however many connections came and went while it lasted.
    const std::string log = LogSince(logStart);
    EXPECT_EQ(Count(log, "CHttpServer: accepting connections again"), 1u) << log;
    EXPECT_LE(Count(log, "CHttpServer: accept failed"), 1u) << log;
}

TEST_F(TollundHttpdTest, RequestTimeoutOptionClosesIdleConnections) {
    const unsigned port = FreePort();
    const pid_t child =
        Start({"--request-timeout", "1", root_.string(), std::to_string(port), "127.0.0.1"});
    ASSERT_NE(FirstAnswer(port).bytes.find("\r\n\r\nhello"), std::string::npos);
    const int idle = Connect(port);
    ASSERT_GE(idle, 0);
    const auto start = std::chrono::steady_clock::now();
    Reply reply;
    ReadToClose(idle, reply, 5000);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(reply.closed);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    close(idle);
    EXPECT_EQ(WaitExit(Start({"--request-timeout", "soon", root_.string()}), 5000), 2);
    kill(child, SIGTERM);
    EXPECT_EQ(WaitExit(child, 15000), 0);
}

TEST(TollundHttpdArguments, BadArgumentsAndBusyPortFail) {
    EXPECT_EQ(WaitExit(Start({}), 10000), 2);
    EXPECT_EQ(WaitExit(Start({"/nonexistent-root"}), 10000), 2);
    EXPECT_EQ(WaitExit(Start({"/tmp", "70000"}), 10000), 2);
    EXPECT_EQ(WaitExit(Start({"/tmp", "12x"}), 10000), 2);
    const int busy = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(busy, 1), 0);
    socklen_t length = sizeof address;
    getsockname(busy, reinterpret_cast<sockaddr*>(&address), &length);
    EXPECT_EQ(
        WaitExit(Start({"/tmp", std::to_string(ntohs(address.sin_port)), "127.0.0.1"}), 10000), 1);
    close(busy);
}

} // namespace
