// The FTP client component against pyftpdlib on loopback, read through the commands the server
// received: one session from Connect on, one CWD of the whole directory as given, binary
// transfers, files byte for byte; failures reported where they happen, and a local file that a
// failed download never touches.
#include "support/FtpChecks.h"
#include "support/FtpTestServer.h"
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/ftp/TFtpClient.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zeph::ftp {
namespace {

namespace fs = std::filesystem;
using testing::FtpTestServer;
constexpr auto Matching = &testing::CommandsStartingWith;

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class FtpClientTest : public ::testing::Test {
protected:
    void Serve(FtpTestServer::Login login = {}) {
        server = std::make_unique<FtpTestServer>(root.Path(), login);
        client.Host = "127.0.0.1";
        client.Port = server->Port();
        client.TimeoutSeconds = 5;
    }

    testing::TempDir root;
    testing::TempDir local;
    std::unique_ptr<FtpTestServer> server;
    TFtpClient client{nullptr, "ftpTest"};
};

TEST_F(FtpClientTest, OneSessionOneCwdBinaryFilesByteForByte) {
    const std::string big = testing::BinaryTestBytes(10 * 1024 * 1024);
    testing::WriteFile(root.File("rec/0571/20261208/big.v3"), big);
    testing::WriteFile(root.File("rec/0571/20261208/empty.v3"), "");
    Serve();

    ASSERT_TRUE(client.Connect()) << client.LastError();
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(client.RetrieveCurrentDir(), "/");
    ASSERT_TRUE(client.ChangeDir("/rec/0571/20261208/")) << client.LastError();
    EXPECT_EQ(client.RetrieveCurrentDir(), "/rec/0571/20261208");
    ASSERT_TRUE(client.Get("big.v3", local.File("big.v3"))) << client.LastError();
    ASSERT_TRUE(client.Get("empty.v3", local.File("empty.v3"))) << client.LastError();
    EXPECT_TRUE(client.LastError().empty());
    EXPECT_TRUE(client.Connected());
    client.Disconnect();
    EXPECT_FALSE(client.Connected());

    EXPECT_TRUE(testing::ReadFile(local.File("big.v3")) == big);
    EXPECT_TRUE(fs::exists(local.File("empty.v3")));
    EXPECT_EQ(fs::file_size(local.File("empty.v3")), 0u);
    EXPECT_EQ(FolderEntries(local.Path()), (std::vector<std::string>{"big.v3", "empty.v3"}));

    const std::vector<std::string> commands =
        testing::SettledCommands(*server, testing::SessionsEnded);
    EXPECT_EQ(Matching(commands, "USER"), (std::vector<std::string>{"USER anonymous"}));
    EXPECT_EQ(Matching(commands, "CWD"), (std::vector<std::string>{"CWD /rec/0571/20261208/"}));
    EXPECT_EQ(Matching(commands, "PWD").size(), 3u);
    EXPECT_EQ(Matching(commands, "TYPE"), (std::vector<std::string>{"TYPE I"}));
    EXPECT_EQ(Matching(commands, "RETR"),
              (std::vector<std::string>{"RETR big.v3", "RETR empty.v3"}));
    EXPECT_TRUE(Matching(commands, "PORT").empty() && Matching(commands, "EPRT").empty());
    EXPECT_EQ(commands.back(), "QUIT");
}

TEST_F(FtpClientTest, LoginIsCheckedAtConnect) {
    testing::WriteFile(root.File("a.v3"), "abc");
    Serve({"agent", "s3cret"});

    client.Username = "agent";
    client.Password = "wrong";
    EXPECT_FALSE(client.Connect());
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.LastError().empty());
    EXPECT_FALSE(client.Get("a.v3", local.File("a.v3")));
    EXPECT_EQ(client.LastError(), "not connected");

    client.Password = "s3cret";
    ASSERT_TRUE(client.Connect()) << client.LastError();
    ASSERT_TRUE(client.Get("a.v3", local.File("a.v3"))) << client.LastError();
    EXPECT_EQ(testing::ReadFile(local.File("a.v3")), "abc");
    const auto twoLogins = [](const std::vector<std::string>& commands) {
        return Matching(commands, "USER").size() >= 2;
    };
    EXPECT_EQ(Matching(testing::SettledCommands(*server, twoLogins), "USER"),
              (std::vector<std::string>{"USER agent", "USER agent"}));
}

TEST_F(FtpClientTest, ProxiesTheEnvironmentNamesAreNeverUsed) {
    testing::WriteFile(root.File("rec/a.v3"), "abc");
    Serve();
    // Proxies that nothing answers: the session goes direct all the same.
    const std::string dead = "http://127.0.0.1:" + std::to_string(testing::FreeLoopbackPort());
    testing::ScopedEnv ftp("ftp_proxy", dead);
    testing::ScopedEnv all("all_proxy", dead);
    testing::ScopedEnv allUpper("ALL_PROXY", dead);
    testing::ScopedEnv none("no_proxy", std::nullopt);
    client.Host = "localhost";
    ASSERT_TRUE(client.Connect()) << client.LastError();
    ASSERT_TRUE(client.ChangeDir("/rec/")) << client.LastError();
    ASSERT_TRUE(client.Get("a.v3", local.File("a.v3"))) << client.LastError();
    EXPECT_EQ(testing::ReadFile(local.File("a.v3")), "abc");
}

TEST_F(FtpClientTest, ServerDownFailsAtConnect) {
    Serve();
    server->Stop();
    EXPECT_FALSE(client.Connect());
    EXPECT_FALSE(client.Connected());
    EXPECT_NE(client.LastError().find("onnect"), std::string::npos) << client.LastError();
}

TEST_F(FtpClientTest, FailedDownloadsLeaveTheLocalFileAsItWas) {
    testing::WriteFile(root.File("rec/a.v3"), "new bytes");
    testing::WriteFile(local.File("keep.v3"), "the agent's file");
    Serve();
    ASSERT_TRUE(client.Connect()) << client.LastError();

    // A directory that is not there, and then a file that is not there.
    EXPECT_FALSE(client.ChangeDir("/nowhere/"));
    EXPECT_NE(client.LastError().find("550"), std::string::npos) << client.LastError();
    ASSERT_TRUE(client.ChangeDir("/rec/")) << client.LastError();
    EXPECT_FALSE(client.Get("missing.v3", local.File("keep.v3")));
    EXPECT_NE(client.LastError().find("550"), std::string::npos) << client.LastError();
    // Names that would inject a command or fetch a listing never reach the server.
    EXPECT_FALSE(client.ChangeDir("/rec/\r\nDELE a.v3"));
    EXPECT_FALSE(client.Get("a.v3\r\nDELE a.v3", local.File("keep.v3")));
    EXPECT_FALSE(client.Get("sub/", local.File("keep.v3")));
    EXPECT_EQ(testing::ReadFile(local.File("keep.v3")), "the agent's file");

    // The session survived the refusals, and a download that succeeds replaces the file.
    EXPECT_TRUE(client.Connected());
    ASSERT_TRUE(client.Get("a.v3", local.File("keep.v3"))) << client.LastError();
    EXPECT_EQ(testing::ReadFile(local.File("keep.v3")), "new bytes");

    // A server gone between two operations: not connected, nothing written.
    testing::WriteFile(local.File("keep.v3"), "the agent's file");
    server->Stop();
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.Get("a.v3", local.File("keep.v3")));
    EXPECT_EQ(testing::ReadFile(local.File("keep.v3")), "the agent's file");
    EXPECT_EQ(FolderEntries(local.Path()), (std::vector<std::string>{"keep.v3"}));
    const std::vector<std::string> commands = testing::QuietCommands(*server);
    for (const std::string& command : commands) {
        EXPECT_EQ(command.find("DELE"), std::string::npos) << command;
    }
    EXPECT_EQ(Matching(commands, "USER").size(), 1u);
}

TEST_F(FtpClientTest, LocalFolderMissingFailsWithoutDownloading) {
    testing::WriteFile(root.File("a.v3"), "abc");
    Serve();
    ASSERT_TRUE(client.Connect()) << client.LastError();
    EXPECT_FALSE(client.Get("a.v3", local.File("no/such/folder/a.v3")));
    EXPECT_FALSE(client.LastError().empty());
    EXPECT_TRUE(Matching(testing::QuietCommands(*server), "RETR").empty());
}

} // namespace
} // namespace zeph::ftp
