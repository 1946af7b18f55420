// The ring of linked piece reads and sends, over a real file and a real loopback connection:
// what each run sends, where a chain stops, and that a stop ends a run that waits for the peer.
#include "FilePieceRing.h"
#include "http_test_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

namespace {

constexpr size_t Piece = 2048;

struct Connection {
    int sender = -1;
    int receiver = -1;
};

Connection ConnectLoopback() {
    Connection c;
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener);
        return c;
    }
    c.receiver = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(c.receiver, reinterpret_cast<sockaddr*>(&address), length) == 0) {
        c.sender = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    close(listener);
    return c;
}

// Everything the peer sends until it closes.
std::string ReadAll(int s) {
    tollund_test::Reply reply;
    tollund_test::ReadToClose(s, reply, 30000);
    return reply.bytes;
}

class FilePieceRingTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tollund-ring-XXXXXX";
        file_ = mkstemp(pattern);
        ASSERT_GE(file_, 0);
        unlink(pattern);
        stop_ = eventfd(0, EFD_CLOEXEC);
        ASSERT_GE(stop_, 0);
        connection_ = ConnectLoopback();
        ASSERT_GE(connection_.sender, 0);
        ring_ = std::make_unique<FilePieceRing>(stop_, Piece);
        if (!ring_->IsOpen()) {
            GTEST_SKIP() << "this system gives no io_uring ring; the plain loop serves it";
        }
    }

    void TearDown() override {
        ring_.reset();
        close(connection_.sender);
        close(connection_.receiver);
        close(stop_);
        close(file_);
    }

    std::string WriteContent(size_t size) {
        const std::string content = tollund_test::RandomBytes(size, static_cast<unsigned>(size));
        EXPECT_EQ(pwrite(file_, content.data(), content.size(), 0),
                  static_cast<ssize_t>(content.size()));
        return content;
    }

    // Runs until the body ends or a run does not send all it was given.
    FilePieceRing::Run SendAll(long long end, long long& total) {
        total = 0;
        for (;;) {
            const FilePieceRing::Run run = ring_->SendPieces(file_, connection_.sender, total, end);
            total += run.sent;
            if (run.outcome != FilePieceRing::Outcome::Sent || total >= end) {
                return run;
            }
        }
    }

    int file_ = -1;
    int stop_ = -1;
    Connection connection_;
    std::unique_ptr<FilePieceRing> ring_;
};

TEST_F(FilePieceRingTest, RunsSendTheFileWholeAndInOrder) {
    // Sizes around a piece and around a run of 64 pieces.
    for (const size_t size : {size_t{1}, Piece - 1, Piece, Piece + 1, 64 * Piece - 1, 64 * Piece,
                              64 * Piece + 1, 3 * 64 * Piece + 777}) {
        SCOPED_TRACE(size);
        ASSERT_EQ(ftruncate(file_, 0), 0);
        const std::string content = WriteContent(size);
        Connection c = ConnectLoopback();
        ASSERT_GE(c.sender, 0);
        auto received = std::async(std::launch::async, ReadAll, c.receiver);
        long long sent = 0;
        for (; sent < static_cast<long long>(size);) {
            const FilePieceRing::Run run = ring_->SendPieces(file_, c.sender, sent, size);
            ASSERT_EQ(run.outcome, FilePieceRing::Outcome::Sent);
            EXPECT_EQ(run.sent, std::min<long long>(64 * Piece, size - sent));
            sent += run.sent;
        }
        shutdown(c.sender, SHUT_WR);
        const std::string got = received.get();
        EXPECT_EQ(got.size(), content.size());
        EXPECT_TRUE(got == content) << "the bytes differ from the file's";
        close(c.sender);
        close(c.receiver);
    }
}

TEST_F(FilePieceRingTest, ShortReadStopsTheChainBeforeItsPieceIsSent) {
    // The file ends inside the third piece of the five announced: two whole pieces go, the
    // short one is neither sent nor followed by anything.
    const std::string content = WriteContent(2 * Piece + 904);
    auto received = std::async(std::launch::async, ReadAll, connection_.receiver);
    const FilePieceRing::Run run = ring_->SendPieces(file_, connection_.sender, 0, 5 * Piece);
    EXPECT_EQ(run.outcome, FilePieceRing::Outcome::Incomplete);
    EXPECT_EQ(run.sent, static_cast<long long>(2 * Piece));
    shutdown(connection_.sender, SHUT_WR);
    const std::string got = received.get();
    EXPECT_EQ(got.size(), 2 * Piece);
    EXPECT_TRUE(got == content.substr(0, 2 * Piece)) << "the bytes differ from the file's";

    // At the end of the file the next run sends nothing.
    const FilePieceRing::Run atEnd = ring_->SendPieces(
        file_, connection_.sender, static_cast<long long>(content.size()), 5 * Piece);
    EXPECT_EQ(atEnd.outcome, FilePieceRing::Outcome::Incomplete);
    EXPECT_EQ(atEnd.sent, 0);
}

TEST_F(FilePieceRingTest, PeerThatLeavesFailsTheRun) {
    WriteContent(16 * 1024 * 1024);
    linger abort{1, 0}; // close with a reset
    ASSERT_EQ(setsockopt(connection_.receiver, SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    close(connection_.receiver);
    connection_.receiver = -1;
    long long total = 0;
    const FilePieceRing::Run last = SendAll(16 * 1024 * 1024, total);
    EXPECT_EQ(last.outcome, FilePieceRing::Outcome::Failed);
    EXPECT_LT(total, 16 * 1024 * 1024);
}

TEST_F(FilePieceRingTest, StopEndsARunThatWaitsForThePeer) {
    constexpr long long Size = 32 * 1024 * 1024;
    WriteContent(Size);
    // The peer reads nothing: the runs fill the connection, then one waits.
    auto sending = std::async(std::launch::async, [&] {
        long long total = 0;
        const FilePieceRing::Run last = SendAll(Size, total);
        return std::make_pair(last.outcome, total);
    });
    EXPECT_EQ(sending.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    const uint64_t one = 1;
    ASSERT_EQ(write(stop_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    ASSERT_EQ(sending.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "the stop did not end the waiting run";
    const auto [outcome, total] = sending.get();
    EXPECT_EQ(outcome, FilePieceRing::Outcome::Stopped);
    EXPECT_LT(total, Size);
    // A stopped ring takes no further run.
    EXPECT_EQ(ring_->SendPieces(file_, connection_.sender, total, Size).outcome,
              FilePieceRing::Outcome::Stopped);
}

} // namespace
