// CHttpUpload on bad input and bad servers: each ends with 0 and its log line, nothing hangs,
// and resetConnection ends a running upload at once.

#include "support/UploadServer.h"

#include <tollund/CHttpUpload.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using systest::LogHasEntry;
using systest::LogText;
using systest::Prepared;
using systest::UploadServer;

// A loopback port that nothing listens on (bound, never listening, until the object ends).
class DeadPort {
public:
    DeadPort() {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~DeadPort() { close(m_fd); }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

using systest::Unanswered;

// Runs the upload on this thread, which must fail in about a second (within [0.9 s, 2 s));
// the log entries it added.
std::string FailsInAboutASecond(CHttpUpload& upload) {
    const std::string before = LogText();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CHttpUpload::uploadObj(&upload), 0u);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 2.0);
    return LogText().substr(before.size());
}

TEST(UploadLocalFile, UnreadablePathsFailWithTheirLogLine) {
    UploadServer server;
    systest::TempDir dir;
    mkdir((dir / "folder").c_str(), 0755);
    mkfifo((dir / "pipe").c_str(), 0644);
    for (const std::string name : {"missing.bin", "folder", "pipe"}) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        auto upload = Prepared(path, server.Port());
        EXPECT_EQ(CHttpUpload::uploadObj(upload.get()), 0u);
        EXPECT_TRUE(LogHasEntry(LogText(), "uploadObj Unable to open the local file: " + path));
    }
    EXPECT_FALSE(server.HasRequest(1));
}

TEST(UploadLocalFile, UnreadableFileLeavesThePreviousResponse) {
    UploadServer server({"--body", "first reply"});
    systest::TempDir dir;
    systest::WriteFile(dir / "ok.bin", "x");
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    upload.UploadFile(dir / "ok.bin");
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.getResponseHtml() == "first reply"; }));
    const std::string missing = dir / "gone.bin";
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.UploadFile(missing) == 1; }));
    ASSERT_TRUE(systest::WaitUntil([&] {
        return LogHasEntry(LogText(), "uploadObj Unable to open the local file: " + missing);
    }));
    EXPECT_EQ(upload.getResponseHtml(), "first reply");
    EXPECT_FALSE(server.HasRequest(2));
}

TEST(UploadLifecycle, UnconfiguredObjectStartsAWorkerThatEndsWithZero) {
    systest::TempDir dir;
    systest::WriteFile(dir / "a", "a");
    CHttpUpload upload;
    EXPECT_EQ(upload.UploadFile(dir / "a"), 1);
    EXPECT_TRUE(systest::WaitUntil([&] { return upload.UploadFile(dir / "a") == 1; }));
    EXPECT_EQ(CHttpUpload::uploadObj(&upload), 0u);
    EXPECT_EQ(upload.GetProgress(), 0u);
    EXPECT_EQ(upload.getResponseHtml(), "");
    upload.resetConnection(); // nothing to reset
}

TEST(UploadServerFailure, RefusedConnectionAndMidwayCloseAreLoggedFailures) {
    systest::TempDir dir;
    const std::string path = dir / "big";
    systest::WriteFile(path, std::string(2 << 20, 'z'));
    {
        DeadPort dead;
        auto upload = Prepared(path, dead.Port());
        const std::string before = LogText();
        EXPECT_EQ(CHttpUpload::uploadObj(upload.get()), 0u);
        EXPECT_NE(LogText().find("CHttpUpload::uploadObj,266:", before.size()), std::string::npos);
        EXPECT_EQ(upload->getResponseHtml(), "");
    }
    {
        UploadServer server({"--mode", "close-midway"});
        auto upload = Prepared(path, server.Port());
        const std::string before = LogText();
        EXPECT_EQ(CHttpUpload::uploadObj(upload.get()), 0u);
        EXPECT_NE(LogText().find("CHttpUpload::uploadObj,266:", before.size()), std::string::npos);
    }
}

TEST(UploadServerFailure, LineBreakInTheRefererIsRefusedBeforeAnyTraffic) {
    UploadServer server;
    systest::TempDir dir;
    systest::WriteFile(dir / "a", "a");
    auto upload = Prepared(dir / "a", server.Port(), "x\r\nX-Injected: 1");
    EXPECT_EQ(CHttpUpload::uploadObj(upload.get()), 0u);
    EXPECT_TRUE(LogHasEntry(LogText(), "CHttpUpload::uploadObj,266:A line break in the server name "
                                       "or referer path would split the headers."));
    EXPECT_FALSE(server.HasRequest(1));
}

// What would end the request line or a part's header early is refused with a logged failure;
// the receiver never sees a request, let alone an injected line.
TEST(UploadServerFailure, LineBreaksAndQuotesThatWouldInjectLinesAreRefused) {
    UploadServer server;
    systest::TempDir dir;
    struct Case {
        std::string objectPath;
        std::string fieldName;
        std::string fileName;
        std::string message;
    };
    const std::string pathMessage = "A line break in the object path would split the request line.";
    const std::string nameMessage =
        "A quote or line break in the field or file name would split the part's headers.";
    const Case cases[] = {
        {"/u HTTP/1.1\r\nX-Injected: 1\r\nX-Pad:", "f", "a", pathMessage},
        {"/u\nX-Injected: 1", "f", "a", pathMessage},
        {"/u", "f\"\r\nX-Injected: 1\r\nX-Pad: \"", "a", nameMessage},
        {"/u", "f\"; filename=\"evil", "a", nameMessage},
        {"/u", "f", "a\r\nX-Injected: 1", nameMessage},
        {"/u", "f", "a\"; name=\"other", nameMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objectPath + "|" + c.fieldName + "|" + c.fileName);
        const std::string path = dir / c.fileName;
        systest::WriteFile(path, "payload");
        CHttpUpload upload;
        upload.SetUploadParams("127.0.0.1", server.Port(), c.objectPath, "r", c.fieldName);
        const std::string before = LogText();
        ASSERT_EQ(upload.UploadFile(path), 1);
        ASSERT_TRUE(systest::WaitUntil(
            [&] { return LogText().find(c.message, before.size()) != std::string::npos; }));
        EXPECT_TRUE(LogHasEntry(LogText(), "CHttpUpload::uploadObj,266:" + c.message));
    }
    // The same names without the offending characters do arrive: the receiver is listening.
    systest::WriteFile(dir / "plain", "payload");
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    EXPECT_EQ(upload.UploadFile(dir / "plain"), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return server.HasRequest(1); }));
    EXPECT_EQ(server.Request(1).raw.find("X-Injected"), std::string::npos);
    EXPECT_FALSE(server.HasRequest(2));
}

// A connect that is never answered ends at the connect time-out; a connected request that gets
// no answer ends at the stall limit. Both within twice their setting.
TEST(UploadTimeLimits, ConnectTimeOutAndStallLimitEndTheUpload) {
    systest::TempDir dir;
    const std::string path = dir / "a";
    systest::WriteFile(path, std::string(1000, 'a'));
    {
        Unanswered full(true);
        ASSERT_FALSE(full.Connect(std::chrono::milliseconds(500)))
            << "the loopback listener still completes handshakes";
        auto upload = Prepared(path, full.Port());
        upload->SetConnectTimeout(1);
        upload->SetStallTimeout(0);
        const std::string log = FailsInAboutASecond(*upload);
        EXPECT_NE(log.find("CHttpUpload::uploadObj,266:"), std::string::npos) << log;
        EXPECT_NE(log.find("Timeout was reached"), std::string::npos) << log;
    }
    {
        Unanswered silent(false);
        auto upload = Prepared(path, silent.Port());
        upload->SetStallTimeout(1);
        const std::string log = FailsInAboutASecond(*upload);
        EXPECT_TRUE(LogHasEntry(log, "CHttpUpload::uploadObj,266:No progress for 1 seconds."))
            << log;
        EXPECT_EQ(upload->GetProgress(), 100u); // the whole request went out; no reply came
    }
}

// A server that takes the headers and then stops reading: the worker blocks with part of the
// file sent, a second upload is refused, and resetConnection ends the worker.
TEST(UploadReset, EndsAStalledUploadAndClearsProgress) {
    UploadServer server({"--mode", "stall"});
    systest::TempDir dir;
    systest::WriteFile(dir / "big", std::string(64 << 20, 'q'));
    systest::WriteFile(dir / "other", "o");
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    ASSERT_EQ(upload.UploadFile(dir / "big"), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.GetProgress() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const unsigned stalled = upload.GetProgress();
    EXPECT_GT(stalled, 0u);
    EXPECT_LT(stalled, 100u);
    EXPECT_EQ(upload.UploadFile(dir / "other"), 0);
    upload.resetConnection();
    EXPECT_EQ(upload.GetProgress(), 0u);
    EXPECT_EQ(upload.getResponseHtml(), "");
    // Configured anew, the object uploads again.
    UploadServer good({"--body", "again"});
    upload.SetUploadParams("127.0.0.1", good.Port(), "/u", "r", "f");
    EXPECT_EQ(upload.UploadFile(dir / "other"), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.getResponseHtml() == "again"; }));
}

TEST(UploadReset, EndsAWorkerWaitingForAReplyThatNeverComes) {
    UploadServer server({"--mode", "silent"});
    systest::TempDir dir;
    systest::WriteFile(dir / "a", std::string(1000, 'a'));
    auto upload = std::make_unique<CHttpUpload>();
    upload->SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    ASSERT_EQ(upload->UploadFile(dir / "a"), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return server.HasRequest(1); }));
    EXPECT_EQ(upload->GetProgress(), 100u);
    upload.reset(); // the destructor resets: the worker must end
}

TEST(UploadReset, SetUploadParamsDuringAnUploadAbandonsIt) {
    UploadServer silent({"--mode", "silent"});
    UploadServer good({"--body", "fresh"});
    systest::TempDir dir;
    systest::WriteFile(dir / "a", "abc");
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", silent.Port(), "/u", "r", "f");
    upload.UploadFile(dir / "a");
    ASSERT_TRUE(systest::WaitUntil([&] { return silent.HasRequest(1); }));
    upload.SetUploadParams("127.0.0.1", good.Port(), "/v", "r", "f");
    EXPECT_EQ(upload.UploadFile(dir / "a"), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.getResponseHtml() == "fresh"; }));
    EXPECT_EQ(good.Request(1).Field("request_line"), "POST /v HTTP/1.1");
}

// The length declared at the start is what is sent: bytes appended later stay out of the body.
TEST(UploadChangingFile, GrowingFileSendsTheLengthDeclaredAtTheStart) {
    UploadServer server({"--mode", "pause", "--body", "grown"});
    systest::TempDir dir;
    const std::string path = dir / "growing";
    const std::string start(3 << 20, 'g');
    systest::WriteFile(path, start);
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    ASSERT_EQ(upload.UploadFile(path), 1);
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.GetProgress() > 0; }));
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << std::string(1 << 20, 'X');
    }
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.getResponseHtml() == "grown"; }));
    const auto request = server.Request(1);
    EXPECT_EQ(request.Field("complete"), "1");
    EXPECT_EQ(request.Field("part0.size"), std::to_string(start.size()));
    EXPECT_EQ(request.part0, start);
}

TEST(UploadChangingFile, ShrinkingFileEndsTheUploadWithALoggedFailure) {
    UploadServer server({"--mode", "pause"});
    systest::TempDir dir;
    const std::string path = dir / "shrinking";
    systest::WriteFile(path, std::string(64 << 20, 's'));
    auto upload = Prepared(path, server.Port());
    std::atomic<unsigned> result{9};
    std::thread worker([&] { result = CHttpUpload::uploadObj(upload.get()); });
    ASSERT_TRUE(systest::WaitUntil([&] { return upload->GetProgress() > 0; }));
    EXPECT_LT(upload->GetProgress(), 100u);
    EXPECT_EQ(truncate(path.c_str(), 0), 0);
    worker.join();
    EXPECT_EQ(result.load(), 0u);
    EXPECT_TRUE(LogHasEntry(LogText(), "CHttpUpload::uploadObj,266:The local file became shorter "
                                       "while it was sent."));
}

} // namespace
