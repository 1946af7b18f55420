// The basic edition's SAVE_DATASET_TO_EXCEL writes the XLS file itself, with its own hint texts
// and no configuration; SAVE_DATASET_TO_FILE is not one of its words.
#include "ExportTestKit.h"
#include "export/untSelectCol.h"

#include <zeph/formdrive/User.h>

#include <filesystem>

namespace export_test {
namespace {

namespace forms = zeph::forms;
using morvane::exporting::TfrmSelectCol;

class BasicEditionExportTest : public MainWindowTest {};

const std::string kPacket = Packet({{"A"}, {"B"}}, {{"x", "中"_host}});

TEST_F(BasicEditionExportTest, ExcelWordWritesTheXlsFileItself) {
    bool dllCalled = false;
    services->onCallDll = [&dllCalled](auto&, auto&, zeph::Variant&, bool) {
        dllCalled = true;
        return false;
    };
    backend->When<TfrmSelectCol>([](TfrmSelectCol& f, forms::User& user) {
        user.Untick(f.lvSelect, 0);
        user.Enter(f);
    });
    const std::string path = dir + "/basic.xls";
    backend->AnswerFile(path);
    EXPECT_TRUE(Call({"SAVE_DATASET_TO_EXCEL", "", "甲~乙"_host, "", kPacket}).IsEmpty());
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_EQ(backend->FileDialogs()[0].name, "sd");
    EXPECT_EQ(backend->FileDialogs()[0].filter, "Excel文件|*.xls"_host);
    EXPECT_EQ(MessagesUtf8(),
              std::vector<std::string>{"保存文件【" + zeph::text::GbkToUtf8(path) + "】成功!"});
    EXPECT_EQ(ReadWithPython("xls", path),
              R"({"rows": [["乙"], ["中"]], "types": [["text"], ["text"]]})");
    EXPECT_EQ(ReadBytes(path).size(), 12u + (8 + 4 + 2) * 2 + 4) << "BOF, two labels, EOF";
    EXPECT_FALSE(dllCalled) << "the basic edition reads no configuration";
    ASSERT_FALSE(backend->hints.empty());
    EXPECT_EQ(backend->hints.front().text, "准备将导出到Excel中"_host);
    EXPECT_EQ(backend->hints.back().text, "正在导出Excel文件"_host);
    EXPECT_EQ(backend->hints.back().position, 1);
    EXPECT_EQ(backend->hints.back().maximum, 1);
    EXPECT_FALSE(Exists(dir + "/cfg"));
}

TEST_F(BasicEditionExportTest, ExcelWordReplacesAnExistingFileOnlyWhenAllowed) {
    const std::string path = dir + "/old.xls";
    WriteBytes(path, "old");
    backend->AnswerFile(path);
    backend->AnswerNo();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(ReadBytes(path), "old");
    NewBackend();
    backend->When<TfrmSelectCol>(
        [](TfrmSelectCol& f, forms::User& user) { user.Click(f.bbtnSave); });
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(
        ReadWithPython("xls", path),
        R"({"rows": [["A", "B"], ["x", "中"]], "types": [["text", "text"], ["text", "text"]]})");
}

TEST_F(BasicEditionExportTest, ReadOnlyFileStopsTheExcelWordWhichClearsItsAttribute) {
    const std::string path = dir + "/ro.xls";
    WriteBytes(path, "old");
    const std::string native = zeph::text::GbkToUtf8(path);
    std::filesystem::permissions(native, std::filesystem::perms::owner_read);
    backend->When<TfrmSelectCol>(
        [](TfrmSelectCol& f, forms::User& user) { user.Click(f.bbtnSave); });
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    ASSERT_EQ(backend->Messages().size(), 2u);
    EXPECT_EQ(MessagesUtf8()[1], "覆盖文件【" + native + "】失败，\r\n请确认文件是否正在使用！");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_NE(std::filesystem::status(native).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none)
        << "deleted first, then the attribute cleared: the file stays, writable";
}

TEST_F(BasicEditionExportTest, FileWordIsUnknown) {
    EXPECT_TRUE(Call({"SAVE_DATASET_TO_FILE", "", "", "", kPacket}).IsEmpty());
    EXPECT_TRUE(backend->Records().empty()) << "no dialog, no message";
}

} // namespace
} // namespace export_test
