// The small services as the zeph-host program plays the host: the plug-in loaded with dlopen,
// the routing package from the desk database, FTPDownLoad against a real FTP server, dialogs
// answered on the command line.
#include "support/FtpTestServer.h"

#include <zeph/text/HostText.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace services_test {
namespace {

namespace fs = std::filesystem;

struct HostRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ZephHostWordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zeph-host-words-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        fs::create_directories(dir + "/root/docs");
        fs::create_directories(dir + "/got");
        std::ofstream(dir + "/root/docs/报告.txt", std::ios::binary) << "report bytes";
        server = std::make_unique<FtpTestServer>(dir + "/root");
        desk = dir + "/desk.db";
        ASSERT_EQ(Host({"make-demo", desk}).status, 0);
        Sql("DELETE FROM rout_field;"
            "INSERT INTO rout_field(name, value) VALUES('CALLERNO', '13800138000'),"
            " ('DELAYTIME', '600'), ('CITYCODE', '0571');"
            "DELETE FROM desk_setting WHERE name IN ('ftp_host', 'ftp_port', 'ftp_user',"
            " 'ftp_password', 'ftp_encoding');"
            "INSERT INTO desk_setting(name, value) VALUES('ftp_host', '127.0.0.1'),"
            " ('ftp_port', '" +
            std::to_string(server->Port()) +
            "'), ('ftp_user', 'anonymous'), ('ftp_password', 'agent@'),"
            " ('ftp_encoding', 'UTF-8');");
    }
    void TearDown() override {
        server.reset();
        fs::remove_all(dir);
    }

    void Sql(const std::string& statements) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(desk.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    // Runs zeph-host with the arguments; standard output and error are kept.
    HostRun Host(std::vector<std::string> args) {
        args.insert(args.begin(), ZEPH_HOST_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string out = dir + "/stdout", err = dir + "/stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = 0;
        HostRun run;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }
    HostRun Call(std::vector<std::string> args) {
        args.insert(args.begin(), {"--server", desk});
        return Host(std::move(args));
    }

    std::string dir, desk;
    std::unique_ptr<FtpTestServer> server;
};

TEST_F(ZephHostWordsTest, RoutingPackageFieldsOfTheCurrentCall) {
    EXPECT_EQ(Call({"call", "getroutpackage", "callerno"}).out, "[\"13800138000\",null]\n");
    EXPECT_EQ(Call({"call", "GETROUTPACKAGE", "DELAYTIME"}).out, "[600,null]\n");
    EXPECT_EQ(Call({"call", "GETROUTPACKAGE", "CITYCODE"}).out, "[\"0571\",null]\n");
    EXPECT_EQ(Call({"call", "GETROUTPACKAGE", "CALLER NO"}).out, "[\"参数错误\",null]\n");
    Sql("DELETE FROM rout_field;"); // no current call
    EXPECT_EQ(Call({"call", "GETROUTPACKAGE", "CALLERNO"}).out, "[null,null]\n");
}

TEST_F(ZephHostWordsTest, DownloadIntoAFolderAnsweredOnTheCommandLine) {
    HostRun run = Call({"--answer", dir + "/got", "call", "FTP_DOWNLOADFILE", "/docs", "报告.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("FolderDialog: 下载到..."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("InfoDlg: 保存文件成功"), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(dir + "/got/报告.txt"), "report bytes");

    run = Call({"--answer", dir + "/got", "call", "FTP_DOWNLOADFILE", "/docs", "none.txt"});
    EXPECT_NE(run.err.find("ErrorDlg: 保存文件失败"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir + "/got/none.txt"));
}

TEST_F(ZephHostWordsTest, OpenFileThroughTheDesktopsOpener) {
    fs::create_directories(dir + "/tmp");
    std::string opener = dir + "/opener.sh";
    std::ofstream(opener) << "#!/bin/sh\ncp \"$1\" '" << dir << "/opened'\n";
    chmod(opener.c_str(), 0755);
    setenv("ZEPH_OPENER", opener.c_str(), 1);
    setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
    HostRun run = Call({"call", "OPENFILE", "报告.txt", "", "/docs", ""});
    unsetenv("ZEPH_OPENER");
    unsetenv("TMPDIR");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "null\n");
    EXPECT_EQ(Slurp(dir + "/opened"), "report bytes");
}

TEST_F(ZephHostWordsTest, TheBasicEditionHasNoBase64Words) {
    EXPECT_EQ(Call({"call", "BASE64ENCODE", "abc"}).out, "[\"YWJj\"]\n");
    EXPECT_EQ(Call({"--edition", "basic", "call", "BASE64ENCODE", "abc"}).out, "null\n");
    EXPECT_EQ(Call({"--edition", "basic", "call", "GETROUTPACKAGE", "CITYCODE"}).out,
              "[\"0571\",null]\n");
}

} // namespace
} // namespace services_test
