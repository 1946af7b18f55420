// FTPDownLoad against pyftpdlib on a free loopback port with a temporary root: a file lands
// whole under its name; a missing file or a server that is down leaves nothing behind.
#include "support/FtpTestServer.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/DemoDatabase.h>
#include <zeph/emulator/DeskServices.h>
#include <zeph/emulator/FtpDownload.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::emulator {
namespace {

namespace fs = std::filesystem;

// The server of every test: a real one on loopback over a folder of the test.
class FtpServer {
public:
    FtpServer() : server_(root_.Path()) {}
    bool Ready() const { return server_.Port() != 0; }
    int Port() const { return server_.Port(); }
    std::string Root(const std::string& path) const { return root_.Path() + path; }
    void Stop() { server_.Stop(); }

private:
    testing::TempDir root_;
    testing::FtpTestServer server_;
};

class FtpDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ready()) << "pyftpdlib (python3-pyftpdlib) did not start";
        site.host = "127.0.0.1";
        site.port = server.Port();
        site.timeoutSeconds = 5;
    }

    std::vector<std::string> LocalFiles() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(local.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    FtpServer server;
    testing::TempDir local;
    FtpSite site;
};

TEST_F(FtpDownloadTest, FileLandsInTheFolderUnderItsName) {
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + 3);
    }
    testing::WriteFile(server.Root("/rec/0571/a.v3"), bytes);
    for (const char* dir : {"/rec/0571", "/rec/0571/", "rec/0571"}) {
        SCOPED_TRACE(dir);
        fs::remove(local.File("a.v3"));
        FtpResult r = FtpDownload(site, dir, local.Path(), "a.v3");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(testing::ReadFile(local.File("a.v3")), bytes);
    }
    EXPECT_EQ(LocalFiles(), (std::vector<std::string>{"a.v3"}));
}

TEST_F(FtpDownloadTest, HostTextNamesTravelAsUtf8) {
    testing::WriteFile(server.Root("/公告/说明 1.txt"), "hello");
    FtpResult r =
        FtpDownload(site, text::Utf8ToGbk("/公告"), local.Path(), text::Utf8ToGbk("说明 1.txt"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(testing::ReadFile(local.File("说明 1.txt")), "hello");
}

TEST_F(FtpDownloadTest, MissingRemoteFileFailsAndKeepsTheOldLocalFile) {
    testing::WriteFile(local.File("gone.v3"), "old");
    FtpResult r = FtpDownload(site, "/rec", local.Path(), "gone.v3");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(testing::ReadFile(local.File("gone.v3")), "old");
    EXPECT_EQ(LocalFiles(), (std::vector<std::string>{"gone.v3"}));
}

TEST_F(FtpDownloadTest, ServerDownFailsWithinTheTimeout) {
    server.Stop();
    auto start = std::chrono::steady_clock::now();
    FtpResult r = FtpDownload(site, "/rec", local.Path(), "a.v3");
    EXPECT_FALSE(r.ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_TRUE(LocalFiles().empty());
}

TEST_F(FtpDownloadTest, NamesThatAreNotPlainAndMissingFoldersAreRefused) {
    testing::WriteFile(server.Root("/x/a.v3"), "a");
    for (const char* name : {"", ".", "..", "../a.v3", "sub/a.v3", "a\\b"}) {
        EXPECT_FALSE(FtpDownload(site, "/x", local.Path(), name).ok) << name;
    }
    EXPECT_FALSE(FtpDownload(site, "/x", local.File("no-such-folder"), "a.v3").ok);
    EXPECT_TRUE(LocalFiles().empty());
}

TEST_F(FtpDownloadTest, DeskUsesTheConfiguredServer) {
    testing::TempDir dir;
    Database db = Database::Open(dir.File("desk.db"), true);
    BuildDemoDatabase(db);
    db.Exec("UPDATE desk_setting SET value = '" + std::to_string(server.Port()) +
            "' WHERE name = 'ftp_port'");
    DeskServices desk(db);
    desk.SetLogFile(dir.File("host.log"));
    testing::WriteFile(server.Root("/notice/n.txt"), "notice");
    EXPECT_TRUE(desk.FTPDownLoad("/notice", local.Path(), "n.txt"));
    EXPECT_EQ(testing::ReadFile(local.File("n.txt")), "notice");
    EXPECT_FALSE(desk.FTPDownLoad("/notice", local.Path(), "absent.txt"));
    EXPECT_NE(testing::ReadFile(dir.File("host.log")).find("FTPDownLoad /notice absent.txt"),
              std::string::npos);
}

TEST(FtpPathTest, EncodingKeepsSlashesAndEscapesTheRest) {
    EXPECT_EQ(EncodeFtpPath("/a b/c%d#?.v3"), "/a%20b/c%25d%23%3F.v3");
}

} // namespace
} // namespace zeph::emulator
