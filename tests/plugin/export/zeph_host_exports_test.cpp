// zeph-host driving the export words of both editions: the save dialog and the overwrite
// question answered with --answer, the column picker with a --script section, the hint and
// the progress window reported on standard error, and the files read back.
#include "OtherUser.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/emulator/Database.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using zeph::testing::ProcessResult;
using zeph::testing::ReadFile;
using zeph::testing::WriteFile;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";

class ZephHostExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessResult r = zeph::testing::Run({kProgram, "make-demo", db});
        ASSERT_EQ(r.status, 0) << r.err;
        zeph::emulator::Database desk = zeph::emulator::Database::Open(db, false);
        desk.Exec(
            "INSERT OR REPLACE INTO desk_setting (name, value) VALUES ('program_dir', 'agent')");
        std::filesystem::create_directories(dir.Path() + "/agent/cfg");
        zeph::dataset::TRecordTable table;
        table.AddField({"NO", "string", 0, {}});
        table.AddField({"NAME", "string", 0, {}});
        table.AppendRow({"1", zeph::text::Utf8ToGbk("张三")});
        table.AppendRow({"2", zeph::text::Utf8ToGbk("李四")});
        WriteFile(packet, zeph::dataset::WriteDataPacket(table));
        WriteFile(script, "[TfrmSelectCol]\nuntick lvSelect 0\nclick bbtnSave\n");
    }

    ProcessResult Host(std::vector<std::string> args) {
        args.insert(args.begin(), {kProgram, "--server", db});
        return zeph::testing::Run(args);
    }

    zeph::testing::TempDir dir;
    std::string db = dir.File("desk.db");
    std::string packet = dir.File("records.xml");
    std::string script = dir.File("picker.zs");
};

TEST_F(ZephHostExportsTest, FileWordWritesTheTextFileAndReportsTheHint) {
    const std::string out = dir.File("staff.txt");
    ProcessResult r = Host({"--answer", out, "--script", script, "call", "SAVE_DATASET_TO_FILE", "",
                            "编号~姓名", "", "@" + packet});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out), zeph::text::Utf8ToGbk("姓名\r\n张三\r\n李四\r\n"));
    for (const std::string& line : std::vector<std::string>{
             "SaveDialog: ",
             "Window: 请选择列 (TfrmSelectCol)",
             "Progress: 准备导出到文件中 (TfrmHint)",
             "Progress: 正在导出文件, pbShow 0 of 0..2 (TfrmHint closed)",
             "InfoDlg: 保存文件【" + out + "】成功!",
         }) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    }

    // Again: the question answered no keeps the file; the extension .csv writes nothing.
    r = Host({"--answer", out, "--answer", "no", "call", "SAVE_DATASET_TO_FILE", "", "", "",
              "@" + packet});
    EXPECT_NE(r.err.find("QuesDlg: 文件【" + out + "】已经存在，是否覆盖？"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(out), zeph::text::Utf8ToGbk("姓名\r\n张三\r\n李四\r\n"));
    r = Host({"--answer", dir.File("x.csv"), "--script", script, "call", "SAVE_DATASET_TO_FILE", "",
              "", "", "@" + packet});
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.csv")));
    EXPECT_EQ(r.err.find("InfoDlg"), std::string::npos) << r.err;
}

TEST_F(ZephHostExportsTest, ExcelWordWritesTheWorkbookAndTheAgentsConfiguration) {
    const std::string out = dir.File("staff.xls");
    ProcessResult r = Host({"--script", script, "--answer", out, "call", "SAVE_DATASET_TO_EXCEL",
                            "", "编号~姓名", "", "@" + packet});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out).substr(0, 2), "PK");
    for (const std::string& line : std::vector<std::string>{
             "Progress: 准备将导出到Excel中 (TfrmHint)",
             "Progress: 已导出2条记录，共2条, pbStatus 100 of 0..100 (TfrmExportStatus closed)",
             "InfoDlg: 保存文件【" + out + "】成功!",
         }) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    }
    // The demo agent 10001 on the service of the demo desk's current tab.
    zeph::dataset::TRecordTable cfg =
        zeph::dataset::ReadDataPacket(ReadFile(dir.File("agent/cfg/exportFieldCfg_10001.xml")));
    ASSERT_EQ(cfg.RowCount(), 1u);
    EXPECT_EQ(cfg.Value(0, 0), "SV1001");
    EXPECT_EQ(cfg.Value(0, 1), "NO");
    EXPECT_EQ(cfg.Value(0, 2), zeph::text::Utf8ToGbk("编号"));
}

TEST_F(ZephHostExportsTest, BasicEditionWritesXlsForTheExcelWordAndLacksTheFileWord) {
    const std::string out = dir.File("basic.xls");
    ProcessResult r = Host({"--edition", "basic", "--script", script, "--answer", out, "call",
                            "SAVE_DATASET_TO_EXCEL", "", "", "", "@" + packet});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = ReadFile(out);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\x0A\x00\x00\x00", 4));
    EXPECT_NE(r.err.find("Progress: 正在导出Excel文件, pbShow 2 of 0..2 (TfrmHint closed)"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("agent/cfg/exportFieldCfg_10001.xml")));

    r = Host({"--edition", "basic", "--answer", dir.File("f.txt"), "call", "SAVE_DATASET_TO_FILE",
              "", "", "", "@" + packet});
    EXPECT_EQ(r.err.find("SaveDialog"), std::string::npos) << r.err;
    EXPECT_EQ(r.status, 0) << r.err;
}

// The words on read-only files through zeph-host as the host platform has them: the workbook
// words (both editions) stop with the overwrite message, the file word replaces the file; for
// the superuser and for an unprivileged user alike.
TEST_F(ZephHostExportsTest, ReadOnlyFilesBehaveAlikeForEveryUser) {
    std::vector<std::vector<std::string>> users = {{}};
    std::string skipped;
    std::vector<std::string> other = export_test::AsOtherUser(dir.Path(), skipped);
    if (!other.empty()) {
        users.push_back(other);
    }
    for (const std::vector<std::string>& as : users) {
        const std::string who = as.empty() ? "as the test's user" : "as nobody";
        SCOPED_TRACE(who);
        // Files of the user who exports, with their write permission off.
        auto readOnly = [&](const std::string& name) {
            const std::string path = dir.File(name);
            WriteFile(path, "old");
            if (!as.empty()) {
                EXPECT_TRUE(export_test::GiveToOtherUser(path));
            }
            // No write permission for anyone: on Windows, the read-only attribute.
            std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::group_read |
                                                   std::filesystem::perms::others_read);
            return path;
        };
        auto run = [&](std::vector<std::string> args) {
            std::vector<std::string> argv = as;
            argv.insert(argv.end(), {kProgram, "--server", db});
            argv.insert(argv.end(), args.begin(), args.end());
            return zeph::testing::Run(argv);
        };
        for (const char* edition : {"full", "basic"}) {
            SCOPED_TRACE(edition);
            const std::string book = readOnly(std::string("ro-") + edition + ".xls");
            ProcessResult r =
                run({"--edition", edition, "--script", script, "--answer", book, "--answer", "yes",
                     "call", "SAVE_DATASET_TO_EXCEL", "", "", "", "@" + packet});
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_NE(r.err.find("ErrorDlg: 覆盖文件【" + book + "】失败，"), std::string::npos)
                << r.err;
            EXPECT_EQ(ReadFile(book), "old");
        }
        const std::string text = readOnly("ro.txt");
        ProcessResult r = run({"--script", script, "--answer", text, "--answer", "yes", "call",
                               "SAVE_DATASET_TO_FILE", "", "", "", "@" + packet});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("InfoDlg: 保存文件【" + text + "】成功!"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(text), zeph::text::Utf8ToGbk("NAME\r\n张三\r\n李四\r\n"));
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

} // namespace
