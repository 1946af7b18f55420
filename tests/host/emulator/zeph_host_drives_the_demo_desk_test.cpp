// zeph-host with the demo desk: quality-check reports from the bundled records and tables,
// lookups in public datasets and the routing package, a download from a real FTP server, and
// a server failure that ends the word.
#include "Subprocess.h"

#include <zeph/emulator/Database.h>

#include <gtest/gtest.h>

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

TEST_F(DemoDeskTest, FtpDownloadFileIntoTheAnsweredFolder) {
    testing::TempDir root, target;
    int port = testing::FreeLoopbackPort();
    testing::Background server({"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                                std::to_string(port), "-d", root.Path()});
    ASSERT_TRUE(testing::WaitForPort(port, std::chrono::seconds(15)));
    Sql("UPDATE desk_setting SET value = '" + std::to_string(port) + "' WHERE name = 'ftp_port'");
    testing::WriteFile(root.Path() + "/notice/rules.txt", "rules");

    ProcessResult r = Host({"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "rules.txt",
                            "--answer", target.Path() + "/"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\nInfoDlg: 保存文件成功\n");
    EXPECT_EQ(testing::ReadFile(target.File("rules.txt")), "rules");

    r = Host({"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "absent.txt", "--answer",
              target.Path()});
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\nErrorDlg: 保存文件失败\n");
    // Cancelled: no server call, nothing shown after the dialog.
    r = Host(
        {"--server", db, "call", "FTP_DOWNLOADFILE", "/notice", "rules.txt", "--answer", "cancel"});
    EXPECT_EQ(r.err, "FolderDialog: 下载到...\n");
}

} // namespace
} // namespace zeph::emulator
