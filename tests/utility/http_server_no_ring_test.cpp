// The HTTP file server on a system that refuses io_uring (old kernels, container filters): a
// seccomp filter installed before any thread starts makes io_uring_setup fail for the whole
// process, and large bodies must still arrive whole and still end when the server stops.
#include "http_test_client.h"
#include "support/TempDir.h"

#include <tollund/CHttpServer.h>

#include <gtest/gtest.h>
#include <liburing.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace tollund_test;

namespace {

#if defined(__x86_64__)
constexpr unsigned ThisArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned ThisArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned ThisArch = 0;
#endif

bool RefuseRings() {
    if (ThisArch == 0) {
        return false;
    }
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ThisArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_io_uring_setup, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

// Installed from main's thread before any test, so that every thread inherits it.
class NoRingEnvironment : public ::testing::Environment {
public:
    void SetUp() override { installed = RefuseRings(); }
    static inline bool installed = false;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new NoRingEnvironment);

class HttpServerNoRingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NoRingEnvironment::installed) {
            GTEST_SKIP() << "no seccomp filter on this system";
        }
        root_ = temp_.Path();
        port_ = FreePort();
        server_ = std::make_unique<CHttpServer>(root_.string(), port_, "127.0.0.1");
        ASSERT_TRUE(server_->StartHttpSrv());
    }

    void TearDown() override {
        if (server_) {
            server_->StopHttpSrv();
        }
    }

    std::string WriteFile(const std::string& name, size_t size) {
        const std::string content = RandomBytes(size, static_cast<unsigned>(size));
        std::ofstream(root_ / name, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
        return content;
    }

    zeph::testing::TempDir temp_;
    fs::path root_;
    unsigned port_ = 0;
    std::unique_ptr<CHttpServer> server_;
};

TEST_F(HttpServerNoRingTest, TheFilterRefusesRings) {
    io_uring ring{};
    EXPECT_EQ(io_uring_queue_init(8, &ring, 0), -ENOSYS);
}

TEST_F(HttpServerNoRingTest, LargeBodyArrivesWholeWithPlainCalls) {
    const std::string content = WriteFile("large.bin", 3 * 1024 * 1024 + 5);
    const Reply reply = Exchange(port_, "GET /large.bin HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(reply.closed);
    const size_t bodyStart = reply.bytes.find("\r\n\r\n");
    ASSERT_NE(bodyStart, std::string::npos);
    EXPECT_NE(reply.bytes.find("Content-Length: 3145733\r\n"), std::string::npos);
    EXPECT_TRUE(reply.bytes.compare(bodyStart + 4, std::string::npos, content) == 0);
}

TEST_F(HttpServerNoRingTest, LongRequestDoesNotCutPlainBodiesShort) {
    const std::string content = WriteFile("mib.bin", 1024 * 1024);
    EXPECT_EQ(WholeBodiesWithLongCookie(port_, "/mib.bin", content, 50), 50);
}

TEST_F(HttpServerNoRingTest, StopEndsAPlainDownloadThatWaitsForTheClient) {
    WriteFile("big.bin", 32 * 1024 * 1024);
    std::string first;
    const int reader = BeginDownload(port_, "/big.bin", first);
    ASSERT_GE(reader, 0);
    // The reader stalls until the connection is full and the server waits to send.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server_->StopHttpSrv();
    // The stop ended the waiting client before the listener gave up waiting for it.
    EXPECT_EQ(CHttpServer::ClientNum, 0u);
    close(reader);
}

} // namespace
