// zeph-host with the demo desk: quality-check reports from the bundled records and tables,
// lookups in public datasets and the routing package, downloads from a real FTP server and a
// file opened through the desktop's opener, and a server failure that ends the word.
#include "support/FtpTestServer.h"
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/Database.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace zeph::emulator {
namespace {

using testing::ProcessResult;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";
const std::string kDemo = std::string(ZEPH_SOURCE_DIR) + "/host/emulator/demo/";

ProcessResult Host(std::vector<std::string> args) {
    args.insert(args.begin(), kProgram);
    return testing::Run(args);
}

class DemoDeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessResult r = Host({"make-demo", db});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    void Sql(const std::string& sql) {
        Database desk = Database::Open(db, false);
        desk.Exec(sql);
    }

    testing::TempDir dir;
    std::string db = dir.File("desk.db");
};

TEST_F(DemoDeskTest, CheckReportPagesTheBundledRecords) {
    struct Case {
        const char* pageSize;
        const char* page;
        const char* count;
    } cases[] = {{"5", "1", "5"}, {"15", "2", "5"}, {"0", "1", "20"}, {"10", "3", "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pageSize) + "/" + c.page);
        ProcessResult r = Host({"--server", db, "--raw", "2", "call", "CHECK_REPORT",
                                "@" + kDemo + "qc-score-records.xml", "1", "", c.pageSize, c.page});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.count);
    }
    ProcessResult r = Host({"--server", db, "--raw", "1", "call", "CHECK_REPORT",
                            "@" + kDemo + "qc-score-records.xml", "1", "", "5", "1"});
    // The content titles come from the desk's content table, highest SourceID first.
    EXPECT_NE(r.out.find("\xCD\xB6\xCB\xDF\xB4\xA6\xC0\xED"), std::string::npos); // 投诉处理
}

TEST_F(DemoDeskTest, CheckResultUsesTheItemProcedureAndOpenBySql) {
    ProcessResult r = Host({"--server", db, "--verbose", "call", "CHECK_RESULT",
                            "@" + kDemo + "qc-result-records.xml", "1", "101", ""});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("[\"True\",", 0), 0u) << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("服务态度"), std::string::npos);
    EXPECT_NE(r.err.find("Server: StoreProcedure ZEPHSC_P_QC_GETITEM '1~101~' -> ok"),
              std::string::npos)
        << r.err;
    // An object without items fails the conversion, not the call.
    r = Host({"--server", db, "call", "CHECK_RESULT", "@" + kDemo + "qc-result-records.xml", "9",
              "101", ""});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("[\"False\",\"查询考评项列表失败或记录数为0\"", 0), 0u) << r.out;
}

TEST_F(DemoDeskTest, LookupsReadPublicDataAndTheRoutingPackage) {
    EXPECT_EQ(Host({"--server", db, "call", "GETMONITOR", "10005"}).out, "[\"10002\"]\n");
    EXPECT_EQ(Host({"--server", db, "call", "getroutpackage", "callerno"}).out,
              "[\"13905710001\",null]\n");
    EXPECT_EQ(Host({"--server", db, "call", "GETROUTPACKAGE", "DELAYTIME"}).out, "[33,null]\n");
    Sql("UPDATE rout_field SET value = '0574' WHERE name = 'CITYCODE'");
    EXPECT_EQ(Host({"--server", db, "call", "GETROUTPACKAGE", "CITYCODE"}).out,
              "[\"0574\",null]\n");
}

TEST_F(DemoDeskTest, AServerFailureEndsTheWordWithStatusThree) {
    Sql("DELETE FROM public_data WHERE name = 'StaffState'");
    ProcessResult r = Host({"--server", db, "call", "GETMONITOR", "10005"});
    EXPECT_EQ(r.status, 3);
    // Output as it stood: the one-element array the word had created.
    EXPECT_TRUE(r.out == "[null]\n" || r.out == "[\"\"]\n") << r.out;
    EXPECT_EQ(r.err, "Error: 没有公共数据 StaffState\n");
}

TEST_F(DemoDeskTest, RoutingPackageFieldsOfTheCurrentCall) {
    Sql("DELETE FROM rout_field;"
        "INSERT INTO rout_field(name, value) VALUES('CALLERNO', '13800138000'),"
        " ('DELAYTIME', '600'), ('CITYCODE', '0571');");
    const auto call = [&](const char* word, const char* field) {
        return Host({"--server", db, "call", word, field}).out;
    };
    EXPECT_EQ(call("getroutpackage", "callerno"), "[\"13800138000\",null]\n");
    EXPECT_EQ(call("GETROUTPACKAGE", "DELAYTIME"), "[600,null]\n");
    EXPECT_EQ(call("GETROUTPACKAGE", "CITYCODE"), "[\"0571\",null]\n");
    EXPECT_EQ(call("GETROUTPACKAGE", "CALLER NO"), "[\"参数错误\",null]\n");
    EXPECT_EQ(
        Host({"--server", db, "--edition", "basic", "call", "GETROUTPACKAGE", "CITYCODE"}).out,
        "[\"0571\",null]\n");
    Sql("DELETE FROM rout_field;"); // no current call
    EXPECT_EQ(call("GETROUTPACKAGE", "CALLERNO"), "[null,null]\n");
}

TEST_F(DemoDeskTest, TheBasicEditionHasNoBase64Words) {
    EXPECT_EQ(Host({"--server", db, "call", "BASE64ENCODE", "abc"}).out, "[\"YWJj\"]\n");
    EXPECT_EQ(Host({"--server", db, "--edition", "basic", "call", "BASE64ENCODE", "abc"}).out,
              "null\n");
}

// A failed note through the program: the desk is asked for no parameter, the host log says why
// after the call's own line, and the stand-in's setting shortens the exchange's time limit.
TEST_F(DemoDeskTest, AFailedNoteIsLoggedWithItsReasonAndAsksForNoParameter) {
    // A server that takes the connection and never answers.
    testing::SilentListener silent;
    const std::string port = std::to_string(silent.Port());
    Sql("UPDATE t_server_address SET ip = '127.0.0.1', port = '" + port + "' WHERE class = 'BN'");
    const std::string log = dir.File("host.log");
    const std::vector<std::string> note = {"--server", db,         "--verbose", "--log", log,
                                           "call",     "SENDNOTE", "t",         "1",     "10002",
                                           "",         "c",        "AG"};
    {
        testing::ScopedEnv shorter("ZEPH_HTTP_TIMEOUTS_MS", "1000,1000");
        ProcessResult r = Host(note);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "[\"False\",\"\"]\n");
        EXPECT_EQ(r.err.find("GetSysParam"), std::string::npos) << r.err;
        const std::string written = testing::ReadFile(log);
        const std::string wsdl = "wsdl=http://127.0.0.1:" + port + "/axis/NoteSendWS.jws?wsdl";
        const std::size_t call = written.find(wsdl + ", title=t,");
        const std::size_t reason = written.find(wsdl + ", error=Operation timed out");
        EXPECT_NE(call, std::string::npos) << written;
        EXPECT_NE(reason, std::string::npos) << written;
        EXPECT_LT(call, reason);
    }
    silent.Close();
    ProcessResult r = Host(note);
    EXPECT_EQ(r.out, "[\"False\",\"\"]\n");
    // The system's words for the refused connection, whatever the platform's wording.
    EXPECT_NE(testing::ReadFile(log).find("refused"), std::string::npos) << testing::ReadFile(log);
}

// The desk's FTP server is a real one on loopback, serving a folder of the test.
class DemoDeskFtpTest : public DemoDeskTest {
protected:
    void SetUp() override {
        DemoDeskTest::SetUp();
        server = std::make_unique<zeph::testing::FtpTestServer>(root.Path());
        Sql("UPDATE desk_setting SET value = '" + std::to_string(server->Port()) +
            "' WHERE name = 'ftp_port'");
    }

    testing::TempDir root, target;
    std::unique_ptr<zeph::testing::FtpTestServer> server;
};

TEST_F(DemoDeskFtpTest, FtpDownloadFileIntoTheAnsweredFolder) {
    testing::WriteFile(root.Path() + "/notice/rules.txt", "rules");
    testing::WriteFile(root.Path() + "/notice/报告.txt", "report bytes");

    ProcessResult r = Host({"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "rules.txt",
                            "--answer", target.Path() + "/"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\nInfoDlg: 保存文件成功\n");
    EXPECT_EQ(testing::ReadFile(target.File("rules.txt")), "rules");

    r = Host({"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "报告.txt", "--answer",
              target.Path()});
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\nInfoDlg: 保存文件成功\n");
    EXPECT_EQ(testing::ReadFile(target.File("报告.txt")), "report bytes");

    r = Host({"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "absent.txt", "--answer",
              target.Path()});
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\nErrorDlg: 保存文件失败\n");
    EXPECT_FALSE(std::filesystem::exists(target.File("absent.txt")));
    // Cancelled: no server call, nothing shown after the dialog.
    r = Host(
        {"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "rules.txt", "--answer", "cancel"});
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\n");
}

TEST_F(DemoDeskFtpTest, OpenFileThroughTheDesktopsOpener) {
    testing::WriteFile(root.Path() + "/docs/报告.txt", "report bytes");
    testing::TempDir temp;
    const std::string opener = target.File("opener.sh");
    testing::WriteFile(opener, "#!/bin/sh\ncp \"$1\" '" + target.File("opened") + "'\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    ProcessResult r;
    {
        testing::ScopedEnv openWith("ZEPH_OPENER", opener);
        testing::ScopedEnv tmpdir("TMPDIR", temp.Path());
        r = Host({"--server", db, "call", "OPENFILE", "报告.txt", "", "/docs", ""});
    }
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "null\n");
    EXPECT_EQ(testing::ReadFile(target.File("opened")), "report bytes");
}

} // namespace
} // namespace zeph::emulator
