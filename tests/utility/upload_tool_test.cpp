// The tollund-upload program against the recording multipart server.

#include "support/UploadServer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>

namespace {

int ExitCode(int status) {
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UploadTool, UploadsTheFileAndPrintsTheReply) {
    systest::UploadServer server({"--status", "201", "--body", "<p>saved</p>"});
    systest::TempDir dir;
    const std::string path = dir / "report.xml";
    systest::WriteFile(path, std::string(200000, 'r'));
    systest::Child tool({TOLLUND_UPLOAD_TOOL, "127.0.0.1", std::to_string(server.Port()),
                         "/recv.jsp", "ref/x.htm", "report", path});
    EXPECT_EQ(tool.ReadAll(), "<p>saved</p>"); // the reply as it came, byte for byte
    EXPECT_EQ(ExitCode(tool.Wait()), 0);
    const auto request = server.Request(1);
    EXPECT_EQ(request.Field("request_line"), "POST /recv.jsp HTTP/1.1");
    EXPECT_EQ(request.Field("part0.name"), "report");
    EXPECT_EQ(request.Field("part0.filename"), path);
    EXPECT_EQ(request.part0, systest::ReadFile(path));
}

TEST(UploadTool, FailuresAndBadArgumentsEndWithNonZeroStatus) {
    systest::UploadServer server;
    systest::TempDir dir;
    const std::string port = std::to_string(server.Port());
    struct Case {
        std::vector<std::string> arguments;
        int code;
    };
    const Case cases[] = {
        {{"127.0.0.1", port, "/u", "r", "f", dir / "missing"}, 1},
        {{"127.0.0.1", port, "/u", "r", "f"}, 2},
        {{"127.0.0.1", "http", "/u", "r", "f", dir / "missing"}, 2},
        {{"127.0.0.1", "70000", "/u", "r", "f", dir / "missing"}, 2},
        {{"--stall-timeout", "-1", "127.0.0.1", port, "/u", "r", "f", dir / "missing"}, 2},
        {{"--connect-timeout", "x", "127.0.0.1", port, "/u", "r", "f", dir / "missing"}, 2},
        {{"--retries", "1", "127.0.0.1", port, "/u", "r", "f", dir / "missing"}, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {TOLLUND_UPLOAD_TOOL};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        systest::Child tool(argv);
        EXPECT_EQ(tool.ReadAll(), "");
        EXPECT_EQ(ExitCode(tool.Wait()), c.code) << c.arguments.size() << " " << c.arguments[1];
    }
}

// A listener that accepts nothing and answers nothing: the stall limit given on the command
// line ends the upload.
TEST(UploadTool, StallTimeoutOptionEndsAnUnansweredUpload) {
    systest::Unanswered listener(false);
    systest::TempDir dir;
    systest::WriteFile(dir / "a", "abc");
    const auto start = std::chrono::steady_clock::now();
    systest::Child tool({TOLLUND_UPLOAD_TOOL, "--stall-timeout", "1", "--connect-timeout", "5",
                         "127.0.0.1", std::to_string(listener.Port()), "/u", "r", "f", dir / "a"});
    EXPECT_EQ(tool.ReadAll(), "");
    EXPECT_EQ(ExitCode(tool.Wait()), 1);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 2.0);
}

} // namespace
