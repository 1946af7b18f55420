// SAVE_DATASET_TO_FILE and SAVE_DATASET_TO_EXCEL of the full edition through the main window:
// every step a person sees, in its order, and the files read back by xlrd and openpyxl. What
// depends on POSIX file systems (modes, flags, size limits, links) is in
// export_words_posix_test.cpp.
#include "ExportTestKit.h"
#include "ExportWordsFixture.h"
#include "export/ExportColumns.h"
#include "export/untExportStatus.h"
#include "export/untSelectCol.h"

#include <zeph/formdrive/User.h>
#include <zeph/platform/Paths.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace export_test {
namespace {

namespace forms = zeph::forms;
using morvane::exporting::TfrmExportStatus;
using morvane::exporting::TfrmSelectCol;

TEST(ExportColumnsTest, DefaultOrderIsRewrittenToZeroWhereverItStands) {
    using morvane::exporting::RewriteDefaultOrder;
    EXPECT_EQ(
        RewriteDefaultOrder(R"(<PARAMS DEFAULT_ORDER="1 2" a="<params default_order="1 2"/>)"),
        R"(<PARAMS DEFAULT_ORDER="0" a="<PARAMS DEFAULT_ORDER="0"/>)");
    EXPECT_EQ(RewriteDefaultOrder(R"(<PARAMS LCID="2052"/>)"), R"(<PARAMS LCID="2052"/>)");
    EXPECT_EQ(RewriteDefaultOrder(R"(<PARAMS DEFAULT_ORDER="3)"), R"(<PARAMS DEFAULT_ORDER="3)");

    std::string list = "a~~b~";
    std::vector<std::string> pieces;
    while (!list.empty()) {
        pieces.push_back(morvane::exporting::NextPiece(list));
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b"})) << "a trailing ~ adds no piece";
}

TEST_F(ExportWordsTest, FileWordWritesXlsWithItsDialogHintAndMessage) {
    ConfirmPicker();
    const std::string path = dir + "/out.Xls";
    SaveToFile(path, "编号~名称~备注"_host, "");
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_EQ(backend->FileDialogs()[0].name, "SaveDialog");
    EXPECT_EQ(backend->FileDialogs()[0].filter, "Excel 文件|*.xls|TXT 文件|*.txt"_host);
    EXPECT_EQ(backend->FileDialogs()[0].defaultExt, ".xls");
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
    EXPECT_EQ(ReadWithPython("xls", path),
              R"({"rows": [["编号", "名称", "备注"], ["1", "中文", "a,b"], ["2", "", "c"]], )"
              R"("types": [["text", "text", "text"], ["text", "text", "text"], )"
              R"(["text", "text", "text"]]})");
    // The hint: shown without a bar, then the bar at 0 of the record count, then one step per
    // record.
    ASSERT_FALSE(backend->hints.empty());
    EXPECT_EQ(backend->hints.front().text, "准备导出到文件中"_host);
    EXPECT_FALSE(backend->hints.front().barVisible);
    const HintState& last = backend->hints.back();
    EXPECT_EQ(last.text, "正在导出文件"_host);
    EXPECT_TRUE(last.barVisible);
    EXPECT_EQ(last.maximum, 2);
    EXPECT_EQ(last.position, 2);
    EXPECT_EQ(last.labelTop, 5);
}

TEST_F(ExportWordsTest, FileWordColumnsAndExtensions) {
    struct Case {
        const char* what;
        const char* name;
        std::string titles;
        std::string fields;
        std::string expected; // file bytes; empty: no file and no message
    } cases[] = {
        {"titles run out: the field name", "a.txt", "t1~t2", "",
         "t1,t2,Z\r\n1,中文,a,b\r\n2,,c\r\n"_host},
        {"a name without a field uses up its title", "b.TXT", "t1~t2~t3", "X~NOSUCH~Z",
         "t1,t3\r\n1,a,b\r\n2,c\r\n"},
        {"field names ignore case", "c.txt", "", "z~x", "z,x\r\na,b,1\r\nc,2\r\n"},
        {"another extension writes nothing", "d.csv", "t1", "", ""},
        {"nor does .xlsx", "e.xlsx", "t1", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewBackend();
        ConfirmPicker();
        const std::string path = dir + "/" + c.name;
        SaveToFile(path, c.titles, c.fields);
        if (c.expected.empty()) {
            EXPECT_FALSE(Exists(path));
            EXPECT_TRUE(backend->Messages().empty());
        } else {
            EXPECT_EQ(ReadBytes(path), c.expected);
            EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
        }
    }
}

TEST_F(ExportWordsTest, FileWordEndsQuietlyOrWithItsMessages) {
    const std::string path = dir + "/x.txt";
    // A packet that does not load: the error, and no dialog.
    Call({"SAVE_DATASET_TO_FILE", "", "", "", "<DATAPACKET"});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{"传入的数据集不是合法的XML格式"});
    EXPECT_EQ(backend->Messages()[0].source, "ErrorDlg");
    EXPECT_TRUE(backend->FileDialogs().empty());

    // The dialog cancelled, then the picker cancelled: nothing written, nothing said.
    NewBackend();
    backend->CancelFileDialog();
    Call({"SAVE_DATASET_TO_FILE", "", "", "", kPacket});
    NewBackend();
    SaveToFile(path, "", "");
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(backend->Messages().empty());

    // An existing file: "no" keeps it, "yes" replaces it.
    WriteBytes(path, "old");
    NewBackend();
    backend->AnswerNo();
    SaveToFile(path, "", "");
    EXPECT_EQ(ReadBytes(path), "old");
    ASSERT_EQ(backend->Messages().size(), 1u);
    EXPECT_EQ(MessagesUtf8()[0], "文件【" + zeph::text::GbkToUtf8(path) + "】已经存在，是否覆盖？");
    EXPECT_EQ(backend->Messages()[0].source, "QuesDlg");
    EXPECT_EQ(backend->Messages()[0].owner, forms::Form::FromHandle(handle)->Handle());
    NewBackend();
    ConfirmPicker();
    backend->AnswerYes();
    std::filesystem::permissions(zeph::text::GbkToUtf8(path), std::filesystem::perms::owner_read);
    SaveToFile(path, "", "Y");
    EXPECT_EQ(ReadBytes(path), "Y\r\n中文\r\n\r\n"_host) << "a read-only file is replaced too";

    // A file that cannot be created: the save failure.
    NewBackend();
    ConfirmPicker();
    const std::string missing = dir + "/no/such.xls";
    SaveToFile(missing, "", "");
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{FailedText(missing)});
}

TEST_F(ExportWordsTest, FileWordRefusesMoreRecordsThanXlsRowsCarry) {
    ConfirmPicker();
    zeph::dataset::TRecordTable table;
    table.AddField({"A", "string", 0, {}});
    for (int i = 0; i < 65536; ++i) {
        table.AppendRow({"v"});
    }
    const std::string path = dir + "/big.xls";
    SaveToFile(path, "", "", zeph::dataset::WriteDataPacket(table));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{FailedText(path)});
    // The same records go to a text file, which has no such limit.
    NewBackend();
    ConfirmPicker();
    SaveToFile(dir + "/big.txt", "", "", zeph::dataset::WriteDataPacket(table));
    EXPECT_EQ(ReadBytes(dir + "/big.txt").size(), 3u + 65536u * 3u);
}

TEST_F(ExportWordsTest, WorkbookHoldsTitlesTypedValuesFormatsAndWidths) {
    ConfirmPicker();
    const std::string packet = Packet(
        {{"N", "i4"},
         {"F", "r8"},
         {"D2", "fixed", {{"DECIMALS", "2"}, {"WIDTH", "10"}}},
         {"M", "r8", {{"SUBTYPE", "Money"}}},
         {"DAY", "date"},
         {"AT", "dateTime"},
         {"OK", "boolean"},
         {"S"}},
        {{"42", "1.5", "3.25", "9.99", "20240105", "20240105T10:20:30000", "TRUE", "007"},
         {"-1", "nan", "x", "", "20230229", "20231231T23:59:59", "FALSE", std::string(60, 'w')}});
    const std::string path = dir + "/book.xls";
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "整数~浮点~定点~金额~日期~时间~逻辑~文本"_host, "", packet});
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_EQ(backend->FileDialogs()[0].name, "sd");
    EXPECT_EQ(backend->FileDialogs()[0].filter, "Excel文件|*.xls"_host);
    EXPECT_EQ(backend->FileDialogs()[0].defaultExt, ".xls");
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
    ASSERT_FALSE(backend->hints.empty());
    EXPECT_EQ(backend->hints.back().text, "准备将导出到Excel中"_host);
    EXPECT_FALSE(backend->hints.back().barVisible);
    EXPECT_EQ(ReadBytes(path).substr(0, 2), "PK") << "an Office Open XML workbook";
    // Widths as the file stores them: characters plus the 5-pixel cell padding of a 7-pixel
    // digit (n + 0.7109375), so H is the widest allowed, 50 characters.
    EXPECT_EQ(
        ReadWithPython("xlsx", path),
        R"({"formats": [["General", "General", "General", "General", "General", "General", "General", "General"], )"
        R"(["0", "0.0", "0.00", "#,##0.00\"￥\"", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", "@", "@"], )"
        R"(["0", "0.0", "0.00", "#,##0.00\"￥\"", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", "@", "@"]], )"
        R"("rows": [["整数", "浮点", "定点", "金额", "日期", "时间", "逻辑", "文本"], )"
        R"([42, 1.5, 3.25, 9.99, "2024-01-05T00:00:00", "2024-01-05T10:20:30", "True", "007"], )"
        R"([-1, "nan", "x", null, "20230229", "2023-12-31T23:59:59", "False", ")" +
            std::string(60, 'w') +
            R"("]], "sheets": ["数据导出..."], )"
            R"("types": [["text", "text", "text", "text", "text", "text", "text", "text"], )"
            R"(["number", "number", "number", "number", "datetime", "datetime", "text", "text"], )"
            R"(["number", "text", "text", "empty", "text", "datetime", "text", "text"]], )"
            R"("widths": {"A": 4.7109375, "B": 4.7109375, "C": 4.7109375, "D": 4.7109375, )"
            R"("E": 10.7109375, "F": 19.7109375, "G": 5.7109375, "H": 50.7109375}})");
}

// The spreadsheet library opens the workbook by name with the C runtime, whose narrow calls
// speak the ANSI code page on Windows: Chinese folder and file names are what a Chinese desk has.
TEST_F(ExportWordsTest, WorkbookUnderAChineseFolderAndFileName) {
    const std::string folder = dir + "/报表"_host;
    std::filesystem::create_directories(
        zeph::platform::PathFromUtf8(zeph::text::GbkToUtf8(folder)));
    const std::string path = folder + "/数据导出.xls"_host;
    ConfirmPicker();
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "编号~名称~备注"_host, "", kPacket});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
    const std::string book = ReadWithPython("xlsx", path);
    EXPECT_NE(
        book.find(R"("rows": [["编号", "名称", "备注"], ["1", "中文", "a,b"], ["2", null, "c"]])"),
        std::string::npos)
        << book;
    // Nothing was left beside the workbook.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(
                                zeph::platform::PathFromUtf8(zeph::text::GbkToUtf8(folder))),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ExportWordsTest, WorkbookRefusesEmptyDataAndKeepsTheRowsWrittenBeforeACancel) {
    // No records: the failure message and no file.
    ConfirmPicker();
    const std::string path = dir + "/empty.xls";
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", Packet({{"A"}}, {})});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{FailedText(path)});
    EXPECT_FALSE(Exists(path));

    // The person stops the export as its progress window opens: the walk over the records
    // stops before the first, and the title row is saved as the workbook.
    NewBackend();
    ConfirmPicker();
    backend->When<TfrmExportStatus>([](TfrmExportStatus& f, forms::User& user) {
        EXPECT_EQ(f.ClientWidth(), 442);
        EXPECT_EQ(f.ClientHeight(), 87);
        EXPECT_EQ(f.btnCancel.Caption, "&Cancel");
        EXPECT_EQ(f.pbStatus.Max(), 100);
        EXPECT_EQ(zeph::text::GbkToUtf8(f.Caption), "数据导出");
        EXPECT_EQ(zeph::text::GbkToUtf8(f.lblStatus.Caption()), "已导出0条记录，共2条");
        user.Click(f.btnCancel);
    });
    const std::string cancelled = dir + "/cancelled.xls";
    backend->AnswerFile(cancelled);
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(cancelled)});
    const std::string book = ReadWithPython("xlsx", cancelled);
    EXPECT_NE(book.find(R"("rows": [["X", "Y", "Z"]], )"), std::string::npos) << book;
    EXPECT_EQ(FilesIn(), 1u) << "no temporary file is left behind";

    // Not cancelled, the window ends at 100.
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
    EXPECT_EQ(backend->statusPosition, 100);
}

// Clicks "&Cancel" once the progress window's bar has reached a position.
class CancellingBackend : public RecordingBackend {
public:
    explicit CancellingBackend(int at) : at_(at) {}
    void WindowChanged(forms::Form& form) override {
        RecordingBackend::WindowChanged(form);
        auto* status = dynamic_cast<TfrmExportStatus*>(&form);
        if (status != nullptr && !clicked_ && status->pbStatus.Position() >= at_) {
            clicked_ = true;
            forms::User user;
            user.Click(status->btnCancel);
        }
    }

private:
    int at_;
    bool clicked_ = false;
};

TEST_F(ExportWordsTest, WorkbookCancelledPartWaySavesTheRowsWrittenBeforeTheCancel) {
    auto cancelling = std::make_shared<CancellingBackend>(50);
    backend = cancelling;
    forms::Application()->SetBackend(backend);
    ConfirmPicker();
    const std::string path = dir + "/part.xls";
    backend->AnswerFile(path);
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", Packet({{"A"}}, {{"r1"}, {"r2"}, {"r3"}, {"r4"}})});
    EXPECT_EQ(MessagesUtf8(), std::vector<std::string>{SavedText(path)});
    const std::string book = ReadWithPython("xlsx", path);
    EXPECT_NE(book.find(R"("rows": [["A"], ["r1"], ["r2"]], )"), std::string::npos) << book;
    EXPECT_EQ(FilesIn(), 1u);
}

TEST_F(ExportWordsTest, WorkbookCellOverTheLimitIsRefusedBeforeAnythingIsWritten) {
    const std::string path = dir + "/long.xls";
    WriteBytes(path, "old");
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "",
          Packet({{"A"}, {"B"}}, {{"1", "x"}, {"2", std::string(32768, 'w')}})});
    ASSERT_EQ(backend->Messages().size(), 2u);
    EXPECT_EQ(MessagesUtf8()[1], "保存文件【" + zeph::text::GbkToUtf8(path) +
                                     "】失败，\r\n第3行第2列的内容超过32767个字符！");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FilesIn(), 1u);

    // 32,767 double-byte characters are 65,534 bytes and fit: the limit counts characters.
    std::string longest;
    for (int i = 0; i < 32767; ++i) {
        longest += "中"_host;
    }
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", Packet({{"A"}}, {{longest}})});
    EXPECT_EQ(MessagesUtf8().back(), SavedText(path));
    EXPECT_NE(ReadWithPython("xlsx", path).find("[\"" + zeph::text::GbkToUtf8(longest) + "\"]"),
              std::string::npos);
}

} // namespace
} // namespace export_test
