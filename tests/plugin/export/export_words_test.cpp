// SAVE_DATASET_TO_FILE and SAVE_DATASET_TO_EXCEL of the full edition through the main window:
// every step a person sees, in its order, and the files read back by xlrd and openpyxl.
#include "ExportTestKit.h"
#include "export/ExportColumns.h"
#include "export/untExportStatus.h"
#include "export/untSelectCol.h"

#include <zeph/formdrive/User.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>

namespace export_test {
namespace {

namespace forms = zeph::forms;
using morvane::exporting::TfrmExportStatus;
using morvane::exporting::TfrmSelectCol;

const std::string kPacket =
    Packet({{"X"}, {"Y"}, {"Z"}}, {{"1", "中文"_host, "a,b"}, {"2", "", "c"}});

std::string SavedText(const std::string& path) {
    return "保存文件【" + zeph::text::GbkToUtf8(path) + "】成功!";
}
std::string FailedText(const std::string& path) {
    return "保存文件【" + zeph::text::GbkToUtf8(path) + "】失败，\r\n请确认文件是否正在使用！";
}

class ExportWordsTest : public MainWindowTest {
protected:
    // Every column kept.
    void ConfirmPicker() {
        backend->When<TfrmSelectCol>(
            [](TfrmSelectCol& f, forms::User& user) { user.Click(f.bbtnSave); });
    }
    void SaveToFile(const std::string& path, const std::string& titles, const std::string& fields,
                    const std::string& packet = kPacket) {
        backend->AnswerFile(path);
        Call({"save_dataset_to_file", "", titles, fields, packet});
    }
    std::size_t FilesIn() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(temp.Path())) {
            ++n;
        }
        return n;
    }
};

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

// Sets or clears the file's immutable flag, which stops even the superuser from removing it;
// false where the file system has no such flag.
bool SetImmutable(const std::string& path, bool immutable) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

TEST_F(ExportWordsTest, FileThatCannotBeRemovedIsNotOverwritten) {
    // The old file cannot be removed: the overwrite failure, for both words, and the workbook's
    // configuration is not saved. A folder that refuses removals stops other users; the
    // superuser is stopped by the file's immutable flag.
    std::filesystem::create_directory(temp.Path() + "/locked");
    const std::string kept = dir + "/locked/old.xls";
    WriteBytes(kept, "old");
    const bool superuser = ::geteuid() == 0;
    // Cleared however the test ends, so that the folder can go.
    struct Thaw {
        const std::string& path;
        bool frozen = false;
        ~Thaw() {
            if (frozen) {
                SetImmutable(path, false);
            }
        }
    } thaw{kept};
    if (superuser) {
        thaw.frozen = SetImmutable(kept, true);
        if (!thaw.frozen) {
            GTEST_SKIP() << "the superuser, on a file system without an immutable flag";
        }
    } else {
        std::filesystem::permissions(temp.Path() + "/locked",
                                     std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
    }
    int dllCalls = 0;
    services->onCallDll = [&dllCalls](auto&, auto&, zeph::Variant& out, bool) {
        ++dllCalls;
        out = zeph::Variant::ArrayOf({"True", "SV1", ""});
        return true;
    };
    std::filesystem::create_directory(temp.Path() + "/cfg");
    for (const char* word : {"SAVE_DATASET_TO_FILE", "SAVE_DATASET_TO_EXCEL"}) {
        SCOPED_TRACE(word);
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(kept);
        backend->AnswerYes();
        Call({word, "", "", "", kPacket});
        ASSERT_EQ(backend->Messages().size(), 2u);
        EXPECT_EQ(MessagesUtf8()[1], "覆盖文件【" + zeph::text::GbkToUtf8(kept) +
                                         "】失败，\r\n请确认文件是否正在使用！");
        EXPECT_EQ(backend->Messages()[1].source, "ErrorDlg");
    }
    EXPECT_EQ(ReadBytes(kept), "old");
    EXPECT_EQ(dllCalls, 1);
    EXPECT_FALSE(Exists(dir + "/cfg/exportFieldCfg_1001.xml"));
    std::filesystem::permissions(temp.Path() + "/locked", std::filesystem::perms::owner_all);
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

mode_t ModeOf(const std::string& hostPath) {
    struct stat info {};
    EXPECT_EQ(::lstat(zeph::text::GbkToUtf8(hostPath).c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST_F(ExportWordsTest, ReadOnlyFileStopsTheWorkbookWordAndNotTheFileWord) {
    // As the host platform: the workbook word deletes first, which a read-only file refuses,
    // then clears the attribute; the file word clears it first. The superuser alike.
    const std::string path = dir + "/ro.xls";
    WriteBytes(path, "old");
    std::filesystem::permissions(zeph::text::GbkToUtf8(path), std::filesystem::perms::owner_read);
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    ASSERT_EQ(backend->Messages().size(), 2u);
    EXPECT_EQ(MessagesUtf8()[1],
              "覆盖文件【" + zeph::text::GbkToUtf8(path) + "】失败，\r\n请确认文件是否正在使用！");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(ModeOf(path), 0600u) << "the attribute was cleared after the refused delete";
    EXPECT_EQ(FilesIn(), 1u);

    // Cleared, the next export replaces it.
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(MessagesUtf8().back(), SavedText(path));
    EXPECT_EQ(ReadBytes(path).substr(0, 2), "PK");

    // The file word replaces a read-only file at once.
    const std::string text = dir + "/ro.txt";
    WriteBytes(text, "old");
    std::filesystem::permissions(zeph::text::GbkToUtf8(text), std::filesystem::perms::owner_read);
    NewBackend();
    ConfirmPicker();
    backend->AnswerYes();
    SaveToFile(text, "", "X");
    EXPECT_EQ(ReadBytes(text), "X\r\n1\r\n2\r\n");
    EXPECT_EQ(MessagesUtf8().back(), SavedText(text));
}

// Limits the size of any file this process writes while it lives: a full disk, as a writer
// sees it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(ExportWordsTest, AnOldFileIsReplacedOnlyByACompleteNewFile) {
    zeph::dataset::TRecordTable big;
    big.AddField({"A", "string", 0, {}});
    for (int i = 0; i < 65536; ++i) {
        big.AppendRow({"v"});
    }
    const std::string bigPacket = zeph::dataset::WriteDataPacket(big);
    struct Case {
        const char* what;
        const char* word;
        const char* name;
        std::string packet;
        bool fullDisk;
        bool message; // the save-failure message after the question
    } cases[] = {
        {"an extension the word does not write", "SAVE_DATASET_TO_FILE", "a.csv", kPacket, false,
         false},
        {"more records than XLS rows", "SAVE_DATASET_TO_FILE", "b.xls", bigPacket, false, true},
        {"a text file on a full disk", "SAVE_DATASET_TO_FILE", "d.txt", bigPacket, true, true},
        {"an XLS file on a full disk", "SAVE_DATASET_TO_FILE", "e.xls", kPacket, true, true},
        {"a workbook on a full disk", "SAVE_DATASET_TO_EXCEL", "f.xls", kPacket, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir + "/" + c.name;
        WriteBytes(path, "old");
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(path);
        backend->AnswerYes();
        {
            std::optional<FileSizeLimit> limit;
            if (c.fullDisk) {
                limit.emplace(64);
            }
            Call({c.word, "", "", "", c.packet});
        }
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(backend->Messages().size(), c.message ? 2u : 1u);
        if (c.message) {
            EXPECT_EQ(MessagesUtf8().back(), FailedText(path));
        }
    }
    EXPECT_EQ(FilesIn(), std::size(cases)) << "no temporary file is left behind";
}

TEST_F(ExportWordsTest, ASymbolicLinkIsReplacedAndTheFileItPointsToNeverChanges) {
    const std::string target = temp.Path() + "/target.txt";
    std::ofstream(target) << "keep";
    ::chmod(target.c_str(), 0444);
    for (const char* word : {"SAVE_DATASET_TO_FILE", "SAVE_DATASET_TO_EXCEL"}) {
        SCOPED_TRACE(word);
        const std::string link = temp.Path() + "/link.txt";
        std::filesystem::remove(link);
        std::filesystem::create_symlink(target, link);
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(dir + "/link.txt");
        backend->AnswerYes();
        Call({word, "", "", "", kPacket});
        EXPECT_EQ(MessagesUtf8().back(), SavedText(dir + "/link.txt"));
        EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link is replaced by the file";
        EXPECT_NE(ReadBytes(dir + "/link.txt"), "keep");
        EXPECT_EQ(ReadBytes(dir + "/target.txt"), "keep");
        EXPECT_EQ(ModeOf(dir + "/target.txt"), 0444u);
    }
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

TEST_F(ExportWordsTest, EveryFileIsCreatedWithTheUsualMode) {
    // A umask other than the common 022, so that a fixed 0644 shows.
    const mode_t savedMask = ::umask(002);
    int dllCalls = 0;
    services->onCallDll = [&dllCalls](auto&, auto&, zeph::Variant& out, bool) {
        ++dllCalls;
        out = zeph::Variant::ArrayOf({"True", "SV1", ""});
        return true;
    };
    std::filesystem::create_directory(temp.Path() + "/cfg");
    for (const char* name : {"m.txt", "m.xls"}) {
        NewBackend();
        ConfirmPicker();
        SaveToFile(dir + "/" + name, "", "");
        EXPECT_EQ(ModeOf(dir + "/" + name), 0664u) << name;
    }
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(dir + "/book.xls");
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(ModeOf(dir + "/book.xls"), 0664u);
    EXPECT_EQ(dllCalls, 1);
    EXPECT_EQ(ModeOf(dir + "/cfg/exportFieldCfg_1001.xml"), 0664u);
    ::umask(savedMask);
}

} // namespace
} // namespace export_test
