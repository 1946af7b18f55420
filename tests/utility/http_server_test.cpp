// The HTTP/1.0 file server over real loopback sockets: what it serves, the header it writes,
// every request it refuses by closing the connection, and starting and stopping.
#include "http_test_client.h"
#include "support/TempDir.h"

#include <tollund/CHttpServer.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <sched.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tollund_test;

namespace {

const std::regex HeaderForm(
    "HTTP/1\\.0 200 OK\r\n"
    "Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), \\d{2} (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
    "\\d{4} \\d{2}:\\d{2}:\\d{2} GMT\r\n"
    "Server: Vintor OAM Http Server\r\n"
    "Content-Type: ([^\r]*)\r\n"
    "Content-Length: (\\d+)\r\n"
    "Last-Modified: ([^\r]*)\r\n\r\n");

struct Response {
    bool answered = false;
    std::string contentType;
    long long contentLength = -1;
    std::string lastModified;
    std::string body;
};

Response Parse(const Reply& reply) {
    Response r;
    std::smatch match;
    if (!std::regex_search(reply.bytes, match, HeaderForm,
                           std::regex_constants::match_continuous)) {
        return r;
    }
    r.answered = true;
    r.contentType = match[3];
    r.contentLength = std::stoll(match[4]);
    r.lastModified = match[5];
    r.body = match.suffix();
    return r;
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
}

class HttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        descriptors_ = OpenDescriptors();
        threads_ = Threads();
        root_ = temp_.Path();
        WriteFile(root_ / "index.html", "<html>hi</html>");
        WriteFile(root_ / "a.txt", "plain text");
        WriteFile(root_ / "photo.jpg", "jpeg");
        WriteFile(root_ / "PHOTO.JPG", "JPEG");
        WriteFile(root_ / "style.css", "css");
        WriteFile(root_ / "noext", "no extension");
        WriteFile(root_ / "f.unknown", "unknown");
        WriteFile(root_ / "f.abcdefghij", "long key");
        WriteFile(root_ / "q.txt?x=1", "query file");
        WriteFile(root_ / "secret.txt", "secret");
        chmod((root_ / "secret.txt").c_str(), 0);
        fs::create_directory(root_ / "sub");
        WriteFile(root_ / "sub" / "inner.txt", "inner");
        data_ = RandomBytes(300000 + 17, 2048);
        WriteFile(root_ / "data.bin", data_);
        port_ = FreePort();
        server_ = std::make_unique<CHttpServer>(root_.string(), port_, "127.0.0.1");
        ASSERT_TRUE(server_->StartHttpSrv());
    }

    void TearDown() override {
        server_->StopHttpSrv();
        server_.reset();
        // Every connection's socket, file and thread is gone once the server has stopped.
        EXPECT_TRUE(SettlesTo(descriptors_, threads_))
            << OpenDescriptors() << " descriptors (" << descriptors_ << " before), " << Threads()
            << " threads (" << threads_ << " before)";
    }

    Response Get(const std::string& request) { return Parse(Exchange(port_, request)); }

    size_t descriptors_ = 0;
    size_t threads_ = 0;
    zeph::testing::TempDir temp_;
    fs::path root_;
    std::string data_;
    unsigned port_ = 0;
    std::unique_ptr<CHttpServer> server_;
};

TEST_F(HttpServerTest, LoneSlashServesIndexHtml) {
    const Response r = Get("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.contentType, "text/html");
    EXPECT_EQ(r.contentLength, 15);
    EXPECT_EQ(r.body, "<html>hi</html>");
}

TEST_F(HttpServerTest, RequestLinePiecesEndAtLineEnds) {
    // A carriage return ends the path as a blank does: no HTTP version is needed.
    for (const char* request : {"GET /a.txt\r\n", "GET /a.txt\r\nHost: x\r\n\r\n"}) {
        EXPECT_EQ(Get(request).body, "plain text") << request;
    }
}

TEST_F(HttpServerTest, MethodIsCaseInsensitive) {
    for (const char* request : {"get /a.txt HTTP/1.0\r\n\r\n", "GeT /a.txt HTTP/1.0\r\n\r\n"}) {
        const Response r = Get(request);
        ASSERT_TRUE(r.answered) << request;
        EXPECT_EQ(r.body, "plain text");
    }
}

TEST_F(HttpServerTest, HeadSendsTheHeaderAlone) {
    for (const char* request : {"HEAD /data.bin HTTP/1.0\r\n\r\n", "head /data.bin\n"}) {
        const Response r = Get(request);
        ASSERT_TRUE(r.answered) << request;
        EXPECT_EQ(r.contentLength, static_cast<long long>(data_.size()));
        EXPECT_EQ(r.body, "");
    }
}

TEST_F(HttpServerTest, LargeFileArrivesWhole) {
    const Response r = Get("GET /data.bin HTTP/1.0\r\nUser-Agent: test\r\n\r\n");
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.contentType, "application/octet-stream");
    EXPECT_EQ(r.contentLength, static_cast<long long>(data_.size()));
    EXPECT_TRUE(r.body == data_);
}

TEST_F(HttpServerTest, BodiesAroundPieceAndRunSizesArriveWhole) {
    // Small bodies go piece by piece; from 64 KiB on they go as runs of 64 linked pieces.
    for (const size_t size :
         {size_t{2047}, size_t{2048}, size_t{2049}, size_t{65535}, size_t{65536}, size_t{65537},
          size_t{131072}, size_t{131073}, size_t{5 * 1024 * 1024 + 3}}) {
        SCOPED_TRACE(size);
        const std::string content = RandomBytes(size, static_cast<unsigned>(size));
        WriteFile(root_ / "sized.bin", content);
        const Response r = Get("GET /sized.bin HTTP/1.0\r\n\r\n");
        ASSERT_TRUE(r.answered);
        EXPECT_EQ(r.contentLength, static_cast<long long>(size));
        EXPECT_TRUE(r.body == content);
    }
}

TEST_F(HttpServerTest, FileCutShortDuringTheBodyEndsItWithTheBytesItStillHad) {
    constexpr size_t Size = 32 * 1024 * 1024;
    const std::string content = RandomBytes(Size, 32);
    WriteFile(root_ / "shrinks.bin", content);
    Reply reply;
    const int reader = BeginDownload(port_, "/shrinks.bin", reply.bytes);
    ASSERT_GE(reader, 0);
    // The connection fills while the reader waits; then the file loses all but 1 MiB.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(truncate((root_ / "shrinks.bin").c_str(), 1024 * 1024), 0);
    ReadToClose(reader, reply, 10000);
    close(reader);
    ASSERT_TRUE(reply.closed);
    const Response r = Parse(reply);
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.contentLength, static_cast<long long>(Size));
    EXPECT_LT(r.body.size(), Size);
    EXPECT_GE(r.body.size(), size_t{1024 * 1024});
    EXPECT_TRUE(content.compare(0, r.body.size(), r.body) == 0)
        << "the body is the file's own bytes, never a stale or partly read piece";
}

TEST_F(HttpServerTest, ClientLeavingDuringTheBodyEndsItsConnection) {
    WriteFile(root_ / "big.bin", std::string(32 * 1024 * 1024, 'b'));
    std::string first;
    const int reader = BeginDownload(port_, "/big.bin", first);
    ASSERT_GE(reader, 0);
    linger abort{1, 0}; // leave with a reset
    ASSERT_EQ(setsockopt(reader, SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    close(reader);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (CHttpServer::ClientNum != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(CHttpServer::ClientNum, 0u) << "the client thread still sends to nobody";
}

TEST_F(HttpServerTest, ContentTypeComesFromTheTypeMap) {
    const std::pair<const char*, const char*> cases[] = {
        {"/index.html", "text/html"},
        {"/photo.jpg", "image/jpeg"},
        {"/PHOTO.JPG", " "}, // keys are case-sensitive
        {"/style.css", "text/css"},
        {"/a.txt", "text/plain"},
        {"/noext", " "},
        {"/f.unknown", " "},
        {"/f.abcdefghij", " "}, // longer than the extension field: no entry
        {"/q.txt?x=1", " "},    // the key runs to the end: ".txt?x=1"
    };
    for (const auto& [path, type] : cases) {
        const Response r = Get(std::string("GET ") + path + " HTTP/1.0\r\n\r\n");
        ASSERT_TRUE(r.answered) << path;
        EXPECT_EQ(r.contentType, type) << path;
    }
}

TEST_F(HttpServerTest, LastModifiedIsTheFilesLocalTime) {
    const time_t when = 1700000000; // a Tuesday in November 2023
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root_ / "a.txt").c_str(), times, 0), 0);
    tm local{};
    localtime_r(&when, &local);
    char expected[64];
    strftime(expected, sizeof expected, "%a, %d %b %Y %H:%M:%S GMT", &local);
    const Response r = Get("GET /a.txt HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.lastModified, expected);
}

TEST_F(HttpServerTest, TextAfterAZeroByteIsIgnored) {
    const Response r = Get(std::string("GET /a.txt HTTP/1.0\r\n\0POST ..\r\n", 31));
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.body, "plain text");
}

TEST_F(HttpServerTest, QueryPartIsPartOfTheFileName) {
    EXPECT_EQ(Get("GET /q.txt?x=1 HTTP/1.0\r\n\r\n").body, "query file");
}

TEST_F(HttpServerTest, PathOfExactlyTheFieldSizeIsServed) {
    // root + "/" + name = 259 characters: the longest path the field holds.
    const size_t nameLength = 259 - root_.string().size() - 1;
    ASSERT_LE(nameLength, 255u);
    const std::string name(nameLength, 'n');
    WriteFile(root_ / name, "longest");
    EXPECT_EQ(Get("GET /" + name + " HTTP/1.0\r\n\r\n").body, "longest");
}

// Every one of these ends with the connection closed and no byte sent.
TEST_F(HttpServerTest, RefusedRequestsGetNoResponse) {
    const std::string garbage = RandomBytes(700, 404);
    const size_t overName = 260 - root_.string().size() - 1; // one character too many
    WriteFile(root_ / std::string(overName, 'o'), "too long");
    // A sibling of the root that a path without its leading slash would reach.
    const fs::path sibling = root_.string() + "-secret";
    fs::create_directory(sibling);
    WriteFile(sibling / "key.txt", "key");
    WriteFile(root_ / "-secret", "not the sibling either");

    const std::pair<const char*, std::string> cases[] = {
        {"dot dot in the path", "GET /../etc/passwd HTTP/1.0\r\n\r\n"},
        {"dot dot in a header", "GET /a.txt HTTP/1.0\r\nUser-Agent: x..y\r\n\r\n"},
        {"other method", "POST /a.txt HTTP/1.0\r\n\r\n"},
        {"empty request", ""},
        {"no method", "   \n\n"},
        {"lone method", "GET"},
        {"lone method and line feed", "GET \n"},
        {"lone method and line end", "GET\r\n"}, // the method piece is "GET\r"
        {"zero byte before the path", std::string("GET\0/a.txt HTTP/1.0\r\n", 22)},
        {"zero byte in the method", std::string("G\0ET /a.txt HTTP/1.0\r\n", 22)},
        {"5000 bytes", std::string(5000, 'A')},
        {"5000-byte path", "GET /" + std::string(5000, 'p') + " HTTP/1.0\r\n\r\n"},
        {"path one over the field", "GET /" + std::string(overName, 'o') + " HTTP/1.0\r\n\r\n"},
        {"binary garbage", garbage},
        {"query part of a missing file", "GET /a.txt?x=1 HTTP/1.0\r\n\r\n"},
        {"missing file", "GET /missing.txt HTTP/1.0\r\n\r\n"},
        {"directory", "GET /sub HTTP/1.0\r\n\r\n"},
        {"directory with slash", "GET /sub/ HTTP/1.0\r\n\r\n"},
        {"file nobody may read", "GET /secret.txt HTTP/1.0\r\n\r\n"},
        {"lone method, blank and line end", "GET \r\n"},
        {"lone method, line end and header", "GET\r\nHost: x\r\n\r\n"},
        {"path without slash into a sibling", "GET -secret/key.txt HTTP/1.0\r\n\r\n"},
        {"path without slash", "GET -secret HTTP/1.0\r\n\r\n"},
        {"one-character path without slash", "GET x HTTP/1.0\r\n\r\n"},
    };
    for (const auto& [name, request] : cases) {
        const Reply reply = Exchange(port_, request);
        EXPECT_TRUE(reply.connected) << name;
        EXPECT_TRUE(reply.closed) << name;
        EXPECT_EQ(reply.bytes, "") << name;
    }
    // The server still serves afterwards.
    EXPECT_EQ(Get("GET /a.txt HTTP/1.0\r\n\r\n").body, "plain text");
    fs::remove_all(sibling);
}

// The request must come within the limit: an idle connection is closed when it runs out, one
// that sends in time is served.
TEST_F(HttpServerTest, RequestTimeOutClosesIdleConnections) {
    server_->SetRequestTimeoutMs(400);
    const int idle = Connect(port_);
    const int late = Connect(port_);
    ASSERT_GE(idle, 0);
    ASSERT_GE(late, 0);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const std::string request = "GET /a.txt HTTP/1.0\r\n\r\n";
    ASSERT_EQ(send(late, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    Reply served;
    ReadToClose(late, served, 5000);
    EXPECT_NE(served.bytes.find("\r\n\r\nplain text"), std::string::npos);
    Reply reply;
    ReadToClose(idle, reply, 5000);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes, "");
    EXPECT_GE(waited, std::chrono::milliseconds(350));
    EXPECT_LT(waited, std::chrono::milliseconds(800));
    close(idle);
    close(late);
}

// The server reads only the first 1023 bytes of a request. Closing with the rest unread would
// reset the connection and cut the body short; every body must arrive whole.
TEST_F(HttpServerTest, LongRequestDoesNotCutBodiesShort) {
    const std::string content = RandomBytes(1024 * 1024, 1100);
    WriteFile(root_ / "mib.bin", content);
    EXPECT_EQ(WholeBodiesWithLongCookie(port_, "/mib.bin", content, 50), 50);
    // HEAD has no body to lose, but its header must not be reset away either.
    const std::string head =
        "HEAD /a.txt HTTP/1.0\r\nCookie: " + std::string(1100, 'h') + "\r\n\r\n";
    EXPECT_NE(Exchange(port_, head).bytes.find("Content-Length: 10\r\n"), std::string::npos);
}

// A request whose header lines come in a later segment than its request line is not read whole:
// the lines still coming must not reset the connection under a body the client has yet to read.
// Only a request read to its blank line closes at once.
TEST_F(HttpServerTest, RequestSplitOverSegmentsDoesNotCutTheBodyShort) {
    const std::string content = RandomBytes(4 * 1024 * 1024, 1200);
    WriteFile(root_ / "split.bin", content);
    for (int i = 0; i < 5; ++i) {
        const int s = Connect(port_);
        ASSERT_GE(s, 0);
        const std::string line = "GET /split.bin HTTP/1.0\r\n";
        ASSERT_EQ(send(s, line.data(), line.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(line.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string rest = "User-Agent: split\r\n\r\n";
        ASSERT_EQ(send(s, rest.data(), rest.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(rest.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the server is done sending
        Reply reply;
        ReadToClose(s, reply, 5000);
        close(s);
        const size_t bodyStart = reply.bytes.find("\r\n\r\n");
        ASSERT_NE(bodyStart, std::string::npos) << i;
        EXPECT_EQ(reply.bytes.size() - bodyStart - 4, content.size()) << i;
    }
}

TEST_F(HttpServerTest, ClientCountReturnsToZero) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(Get("GET /a.txt HTTP/1.0\r\n\r\n").answered);
    }
    std::shared_ptr<CHttpEvent> none;
    {
        std::lock_guard<std::mutex> guard(CHttpServer::m_critSect);
        none = CHttpServer::None;
    }
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->Wait(10000));
    std::lock_guard<std::mutex> guard(CHttpServer::m_critSect);
    EXPECT_EQ(CHttpServer::ClientNum, 0u);
}

TEST_F(HttpServerTest, SilentClientDoesNotHoldUpOthersAndStopEndsIt) {
    const int silent = Connect(port_);
    ASSERT_GE(silent, 0);
    EXPECT_EQ(Get("GET /a.txt HTTP/1.0\r\n\r\n").body, "plain text");
    const auto start = std::chrono::steady_clock::now();
    server_->StopHttpSrv();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    Reply reply;
    ReadToClose(silent, reply, 10000);
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes, "");
    close(silent);
}

// Threads of this process scheduled as batch work.
size_t BatchThreads() {
    size_t count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        const int policy = sched_getscheduler(std::stoi(task.path().filename().string()));
        count += policy == SCHED_BATCH ? 1 : 0;
    }
    return count;
}

TEST_F(HttpServerTest, ServerThreadsRunAsBatchWorkAtNormalPriority) {
    // The listening thread, and the client thread held by a connection that sends nothing.
    const int silent = Connect(port_);
    ASSERT_GE(silent, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (BatchThreads() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(BatchThreads(), 2u);
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER) << "the caller's own thread is left alone";
    close(silent);
}

TEST_F(HttpServerTest, StopEndsADownloadThatWaitsForTheClient) {
    std::string big(32 * 1024 * 1024, 'b');
    WriteFile(root_ / "big.bin", big);
    std::string first;
    const int reader = BeginDownload(port_, "/big.bin", first);
    ASSERT_GE(reader, 0);
    // The download has begun; now stall until the connection is full and the server waits to
    // send.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    server_->StopHttpSrv();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    // The stop ended the waiting client before the listener gave up waiting for it.
    EXPECT_EQ(CHttpServer::ClientNum, 0u);
    Reply rest;
    ReadToClose(reader, rest, 10000);
    EXPECT_TRUE(rest.closed);
    EXPECT_LT(rest.bytes.size(), big.size());
    close(reader);
}

TEST_F(HttpServerTest, StartsAgainAfterStopAndRefusesASecondStart) {
    EXPECT_FALSE(server_->StartHttpSrv()); // already listening
    server_->StopHttpSrv();
    server_->StopHttpSrv(); // stopping twice is harmless
    EXPECT_FALSE(Exchange(port_, "GET /a.txt HTTP/1.0\r\n\r\n").connected);
    ASSERT_TRUE(server_->StartHttpSrv());
    EXPECT_EQ(Get("GET /a.txt HTTP/1.0\r\n\r\n").body, "plain text");
}

TEST_F(HttpServerTest, BusyPortFailsToStart) {
    CHttpServer second(root_.string(), port_, "127.0.0.1");
    EXPECT_FALSE(second.StartHttpSrv());
    second.StopHttpSrv();
    CHttpServer badAddress(root_.string(), FreePort(), "not-an-address");
    EXPECT_FALSE(badAddress.StartHttpSrv());
    CHttpServer badPort(root_.string(), 70000, "127.0.0.1");
    EXPECT_FALSE(badPort.StartHttpSrv());
}

TEST_F(HttpServerTest, RootWithADotGivesNoContentType) {
    const fs::path dotted = root_ / "site.d";
    fs::create_directory(dotted);
    WriteFile(dotted / "index.html", "dotted");
    const unsigned port = FreePort();
    CHttpServer server(dotted.string(), port, "127.0.0.1");
    ASSERT_TRUE(server.StartHttpSrv());
    const Response r = Parse(Exchange(port, "GET / HTTP/1.0\r\n\r\n"));
    server.StopHttpSrv();
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.contentType, " ");
    EXPECT_EQ(r.body, "dotted");
}

TEST_F(HttpServerTest, LongRootIsRefusedNotOverflowed) {
    // A root of 250 characters leaves room for no request path but the shortest.
    fs::path deep = root_;
    while (deep.string().size() < 250) {
        deep /= std::string(std::min<size_t>(60, 250 - deep.string().size() - 1), 'd');
    }
    fs::create_directories(deep);
    WriteFile(deep / "index.html", "deep");
    const unsigned port = FreePort();
    CHttpServer server(deep.string(), port, "127.0.0.1");
    ASSERT_TRUE(server.StartHttpSrv());
    const Reply refused = Exchange(port, "GET /index.html HTTP/1.0\r\n\r\n");
    const Reply shortPath = Exchange(port, "GET /x HTTP/1.0\r\n\r\n");
    server.StopHttpSrv();
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(refused.bytes, "");
    EXPECT_EQ(shortPath.bytes, "");
}

TEST(HttpServerDefaultPort, PortZeroListensOnTheHttpServicePort) {
    servent* entry = getservbyname("http", "tcp");
    const unsigned expected = entry != nullptr ? ntohs(static_cast<uint16_t>(entry->s_port)) : 80;
    const zeph::testing::TempDir root;
    WriteFile(fs::path(root.Path()) / "index.html", "default port");
    CHttpServer server(root.Path(), 0, "127.0.0.1");
    if (!server.StartHttpSrv()) {
        GTEST_SKIP() << "port " << expected << " is taken on this machine";
    }
    const Response r = Parse(Exchange(expected, "GET / HTTP/1.0\r\n\r\n"));
    server.StopHttpSrv();
    EXPECT_EQ(r.body, "default port");
}

} // namespace
