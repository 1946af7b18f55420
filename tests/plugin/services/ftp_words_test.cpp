// OPENFILE, SAVEASFILE and FTP_DOWNLOADFILE against a real FTP server on loopback: download or
// not, a folder chosen by the agent, a missing remote file, the server down.
#include "support/Environment.h"
#include "support/FtpTestServer.h"
#include "support/ServicesFixture.h"
#include "support/TempDir.h"

#include <chrono>
#include <thread>

namespace services_test {

using zeph::testing::FtpTestServer;
namespace {

using zeph::Variant;
namespace fs = std::filesystem;

zeph::emulator::FtpSite Site(int port) {
    zeph::emulator::FtpSite site;
    site.host = "127.0.0.1";
    site.port = port;
    site.timeoutSeconds = 10;
    return site;
}

class FtpWordsTest : public ServicesFixture {
protected:
    static void SetUpTestSuite() {
        rootDir_ = std::make_unique<zeph::testing::TempDir>();
        root_ = rootDir_->Path();
        fs::create_directories(root_ + "/docs");
        std::ofstream(root_ + "/readme.txt", std::ios::binary) << "read me\r\n";
        // The server's file system speaks UTF-8; the host asks for the name in GBK.
        std::ofstream(fs::path(root_) / fs::path(u8"docs/报告 一.txt"), std::ios::binary)
            << "\xB1\xA8\xB8\xE6";
        server_ = new FtpTestServer(root_);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        rootDir_.reset();
    }

    void SetUp() override {
        ServicesFixture::SetUp();
        services->ftpSite = Site(server_->Port());
        tmp = dir + "/tmp";
        fs::create_directories(tmp);
        Remember("TMPDIR");
        Remember("ZEPH_OPENER");
        zeph::testing::PutEnv("TMPDIR", tmp);
        SetOpener(0);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            zeph::testing::PutEnv(name, value);
        }
        ServicesFixture::TearDown();
    }

    // An opener that notes each document it is given, then exits with code.
    void SetOpener(int code) {
        std::string script = dir + "/opener-" + std::to_string(code) + ".sh";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << dir
                              << "/opened'\ncat \"$1\" >> '" << dir << "/opened-content'\nexit "
                              << code << "\n";
        fs::permissions(script, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        zeph::testing::PutEnv("ZEPH_OPENER", script);
    }
    std::string Opened() { return ReadFile(dir + "/opened"); }
    std::string OpenedContent() { return ReadFile(dir + "/opened-content"); }

    void Remember(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    const zeph::forms::MessageRequest& OnlyMessage() {
        EXPECT_EQ(backend->Messages().size(), 1u);
        static zeph::forms::MessageRequest none;
        return backend->Messages().empty() ? none : backend->Messages()[0];
    }
    zeph::forms::WindowHandle MainHandle() { return handle; }
    void ExpectCursorRestored() {
        ASSERT_FALSE(backend->CursorChanges().empty());
        EXPECT_EQ(backend->CursorChanges().front(), zeph::forms::Cursor::HourGlass);
        EXPECT_EQ(backend->CursorChanges().back(), zeph::forms::Cursor::Default);
        EXPECT_EQ(zeph::forms::Application()->GetCursor(), zeph::forms::Cursor::Default);
    }

    static std::string root_;
    static FtpTestServer* server_;
    static inline std::unique_ptr<zeph::testing::TempDir> rootDir_;
    std::string tmp;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string FtpWordsTest::root_;
FtpTestServer* FtpWordsTest::server_ = nullptr;

// A server that was started and stopped: its port now refuses connections.
int DownServerPort() {
    zeph::testing::TempDir root;
    FtpTestServer server(root.Path());
    return server.Port();
}

TEST_F(FtpWordsTest, OpenFileDownloadsIntoTheTemporaryDirectoryAndOpensIt) {
    // The switch is on unless it says FALSE; an empty remote directory means the root.
    for (const char* download : {"", "TRUE", "yes"}) {
        SCOPED_TRACE(download);
        fs::remove(tmp + "/readme.txt");
        fs::remove(dir + "/opened");
        NewBackend();
        EXPECT_TRUE(Call({"OPENFILE", "readme.txt", dir + "/", " ", download}).IsEmpty());
        ASSERT_FALSE(services->downloads.empty());
        const auto& d = services->downloads.back();
        EXPECT_EQ(d.remoteDir, "/");
        EXPECT_EQ(d.localDir, tmp + "/");
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(Opened(), tmp + "/readme.txt\n");
        EXPECT_EQ(ReadFile(tmp + "/readme.txt"), "read me\r\n");
        EXPECT_TRUE(backend->Messages().empty());
        ExpectCursorRestored();
    }
}

TEST_F(FtpWordsTest, OpenFileWithAChineseNameInASubdirectory) {
    const std::string name = "报告 一.txt"_host;
    Call({"OPENFILE", name, "", "/docs", "FALSE"}); // no local directory: download anyway
    ASSERT_EQ(services->downloads.size(), 1u);
    EXPECT_TRUE(services->downloads[0].ok);
    EXPECT_EQ(Opened(), zeph::text::GbkToUtf8(tmp + "/" + name) + "\n");
    EXPECT_EQ(OpenedContent(), "\xB1\xA8\xB8\xE6");
}

TEST_F(FtpWordsTest, OpenFileWithoutDownloadOpensTheLocalFile) {
    WriteFile("local.txt", "local");
    Call({"OPENFILE", "local.txt", dir + "/", "/docs", "false"});
    EXPECT_TRUE(services->downloads.empty());
    EXPECT_EQ(Opened(), dir + "/local.txt\n");
    EXPECT_EQ(OpenedContent(), "local");
}

TEST_F(FtpWordsTest, OpenFileWithABlankNameDoesNothing) {
    Call({"OPENFILE", " \t", dir + "/", "/", ""});
    EXPECT_TRUE(services->downloads.empty());
    EXPECT_TRUE(backend->Messages().empty());
    EXPECT_FALSE(Exists(dir + "/opened"));
    ExpectCursorRestored();
}

TEST_F(FtpWordsTest, OpenFileReportsAMissingRemoteFileAndADownServer) {
    Call({"OPENFILE", "nothing.txt", "", "/", ""});
    EXPECT_EQ(OnlyMessage().text, "从服务器读取文件失败"_host);
    EXPECT_EQ(OnlyMessage().source, "InfoDlg");
    EXPECT_EQ(OnlyMessage().owner, MainHandle());
    EXPECT_FALSE(Exists(tmp + "/nothing.txt"));

    NewBackend();
    services->ftpSite = Site(DownServerPort());
    Call({"OPENFILE", "readme.txt", "", "/", ""});
    EXPECT_EQ(OnlyMessage().text, "从服务器读取文件失败"_host);
    EXPECT_FALSE(Exists(dir + "/opened"));
    ExpectCursorRestored();
}

TEST_F(FtpWordsTest, OpenFileWithoutATemporaryDirectorySaysSo) {
    zeph::testing::PutEnv("TMPDIR", dir + "/no-such-dir");
    Call({"OPENFILE", "readme.txt", "", "/", ""});
    EXPECT_EQ(OnlyMessage().text, "获取系统临时目录失败"_host);
    EXPECT_TRUE(services->downloads.empty());
}

TEST_F(FtpWordsTest, WhenTheOpenerFailsThePersonChoosesAProgram) {
    SetOpener(3);
    std::string chooser = dir + "/chosen.sh";
    std::ofstream(chooser) << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << dir << "/chosen.tmp'\nmv '"
                           << dir << "/chosen.tmp' '" << dir << "/chosen'\n";
    fs::permissions(chooser, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    backend->AnswerFiles({chooser});
    WriteFile("local.txt", "local");
    Call({"OPENFILE", "local.txt", dir + "/", "", "FALSE"});
    EXPECT_EQ(Opened(), dir + "/local.txt\n"); // the opener was asked first
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_EQ(backend->FileDialogs()[0].name, "OpenAsDialog");
    // The chosen program runs on its own; give it a bounded moment to note its document.
    for (int i = 0; i < 250 && !Exists(dir + "/chosen"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ReadFile(dir + "/chosen"), dir + "/local.txt\n");
}

TEST_F(FtpWordsTest, SaveAsFileDownloadsAndCopiesToTheChosenName) {
    const std::string name = "报告 一.txt"_host;
    fs::create_directories(dir + "/dl");
    backend->AnswerFiles({dir + "/saved.txt"});
    EXPECT_TRUE(Call({"SAVEASFILE", name, dir + "/dl/", "/docs", ""}).IsEmpty());
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    const auto& request = backend->FileDialogs()[0];
    EXPECT_EQ(request.kind, zeph::forms::FileDialogKind::Save);
    EXPECT_EQ(request.filter, "任意文件 (*.*)|*.*"_host);
    EXPECT_EQ(request.fileName, name);
    EXPECT_EQ(request.owner, zeph::forms::Application()->Handle()); // no owner
    ASSERT_EQ(services->downloads.size(), 1u);
    EXPECT_EQ(services->downloads[0].localDir, dir + "/dl/");
    EXPECT_EQ(ReadFile(dir + "/saved.txt"), "\xB1\xA8\xB8\xE6");
    EXPECT_TRUE(backend->Messages().empty());
    ExpectCursorRestored();
}

TEST_F(FtpWordsTest, SaveAsFileWithoutDownloadCopiesTheLocalFile) {
    WriteFile("local.txt", "local bytes");
    backend->AnswerFiles({dir + "/copy.txt"});
    Call({"SAVEASFILE", "local.txt", dir + "/", "/docs", "False"});
    EXPECT_TRUE(services->downloads.empty());
    EXPECT_EQ(ReadFile(dir + "/copy.txt"), "local bytes");
}

TEST_F(FtpWordsTest, SaveAsFileOntoAnExistingFileLeavesItUnchanged) {
    WriteFile("local.txt", "new");
    std::string existing = WriteFile("existing.txt", "old");
    backend->AnswerFiles({existing});
    Call({"SAVEASFILE", "local.txt", dir + "/", "", "FALSE"});
    EXPECT_EQ(ReadFile(existing), "old");
    EXPECT_TRUE(backend->Messages().empty());
}

TEST_F(FtpWordsTest, SaveAsFileReportsFailures) {
    // Missing remote file: the host's message, no owner, nothing created.
    fs::create_directories(dir + "/dl");
    backend->AnswerFiles({dir + "/a.txt"});
    Call({"SAVEASFILE", "nothing.txt", dir + "/dl/", "/", ""});
    EXPECT_EQ(OnlyMessage().text, "从服务器读取文件失败"_host);
    EXPECT_EQ(OnlyMessage().owner, zeph::forms::kNoOwner);
    EXPECT_FALSE(Exists(dir + "/a.txt"));

    // Server down: the same.
    NewBackend();
    services->ftpSite = Site(DownServerPort());
    backend->AnswerFiles({dir + "/b.txt"});
    Call({"SAVEASFILE", "readme.txt", dir + "/dl/", "/", ""});
    EXPECT_EQ(OnlyMessage().text, "从服务器读取文件失败"_host);
    EXPECT_FALSE(Exists(dir + "/b.txt"));

    // A copy that cannot be made is said rather than passed over.
    NewBackend();
    backend->AnswerFiles({dir + "/c.txt"});
    Call({"SAVEASFILE", "absent.txt", dir + "/", "", "FALSE"});
    EXPECT_EQ(OnlyMessage().text, "保存文件失败"_host);
    EXPECT_EQ(OnlyMessage().source, "ErrorDlg");
    EXPECT_FALSE(Exists(dir + "/c.txt"));
}

TEST_F(FtpWordsTest, SaveAsFileCancelledOrBlankDoesNothing) {
    backend->CancelFileDialog();
    Call({"SAVEASFILE", "readme.txt", "", "/", ""});
    Call({"SAVEASFILE", "", "", "/", ""}); // no dialog at all for a blank name
    EXPECT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_TRUE(services->downloads.empty());
    EXPECT_TRUE(backend->Messages().empty());
    ExpectCursorRestored();
}

TEST_F(FtpWordsTest, DownloadFileIntoAChosenFolder) {
    fs::create_directories(dir + "/got");
    backend->AnswerFolder(dir + "/got/");
    EXPECT_TRUE(Call({"FTP_DOWNLOADFILE", "/docs", "报告 一.txt"_host}).IsEmpty());
    ASSERT_EQ(backend->FolderDialogs().size(), 1u);
    EXPECT_EQ(backend->FolderDialogs()[0].title, "下载到..."_host);
    EXPECT_EQ(backend->FolderDialogs()[0].owner, MainHandle());
    ASSERT_EQ(services->downloads.size(), 1u);
    EXPECT_EQ(services->downloads[0].remoteDir, "/docs");
    EXPECT_EQ(services->downloads[0].localDir, dir + "/got"); // as a folder browser gives it
    EXPECT_EQ(ReadFile(dir + "/got/" + "报告 一.txt"_host), "\xB1\xA8\xB8\xE6");
    EXPECT_EQ(OnlyMessage().text, "保存文件成功"_host);
    EXPECT_EQ(OnlyMessage().source, "InfoDlg");
}

TEST_F(FtpWordsTest, DownloadFileReportsAMissingFileAndADownServer) {
    backend->AnswerFolder(dir);
    Call({"FTP_DOWNLOADFILE", "/", "nothing.txt"});
    EXPECT_EQ(OnlyMessage().text, "保存文件失败"_host);
    EXPECT_EQ(OnlyMessage().source, "ErrorDlg");
    EXPECT_FALSE(Exists(dir + "/nothing.txt"));

    NewBackend();
    services->ftpSite = Site(DownServerPort());
    backend->AnswerFolder(dir);
    Call({"FTP_DOWNLOADFILE", "/", "readme.txt"});
    EXPECT_EQ(OnlyMessage().text, "保存文件失败"_host);
    EXPECT_FALSE(Exists(dir + "/readme.txt"));
}

TEST_F(FtpWordsTest, DownloadFileCancelledMakesNoServerCall) {
    backend->CancelFolderDialog();
    backend->AnswerFolder(std::string());
    Call({"FTP_DOWNLOADFILE", "/", "readme.txt"});
    Call({"FTP_DOWNLOADFILE", "/", "readme.txt"});
    EXPECT_TRUE(services->downloads.empty());
    EXPECT_TRUE(backend->Messages().empty());
}

} // namespace
} // namespace services_test
