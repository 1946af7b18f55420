// The console backend writes one UTF-8 line per message box and dialog, takes answers from
// its queue, then from the terminal, else answers no / cancel; modal windows follow a loaded
// script or the commands typed on the terminal.
#include "FormsTestSupport.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/formdrive/ConsoleBackend.h>
#include <zeph/platform/Paths.h>

#include <filesystem>
#include <sstream>

namespace formstest {
namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The index of the first line from `from` on that is this line whole, or lines.size().
std::size_t LineIndex(const std::vector<std::string>& lines, const std::string& line,
                      std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i] == line) {
            return i;
        }
    }
    return lines.size();
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return LineIndex(lines, line) < lines.size();
}

// An absolute path on this platform ("/tmp/x" on Linux, "C:\\tmp/x" on Windows, where "/tmp/x"
// lies on the current drive and is made absolute), in UTF-8 and as host text.
std::string Absolute(const std::string& rest) {
    return zeph::platform::PathToUtf8(std::filesystem::temp_directory_path().root_path()) + rest;
}
std::string AbsoluteHost(const std::string& rest) {
    return zeph::text::Utf8ToGbk(Absolute(rest));
}

class ConsoleTest : public ::testing::Test {
protected:
    void Install(bool interactive, const std::string& typed = {}) {
        terminal.str(typed);
        console = std::make_shared<zf::ConsoleBackend>(log, terminal, interactive);
        zf::Application()->SetBackend(console);
    }
    void TearDown() override {
        zf::Application()->ProcessReleases();
        zf::Application()->SetBackend(nullptr);
    }
    std::ostringstream log;
    std::istringstream terminal;
    std::shared_ptr<zf::ConsoleBackend> console;
};

TEST_F(ConsoleTest, EachMessageBoxAndDialogIsOneUtf8Line) {
    Install(false);
    zeph::InfoDlg("传入的参数为空"_host, zf::kNoOwner);
    zeph::ErrorDlg("第一行\r\n第二行"_host, zf::kNoOwner);
    EXPECT_FALSE(zeph::QuesDlg("是否继续？"_host, zf::kNoOwner));
    zf::Form owner(nullptr, "owner");
    zf::SaveDialog save(owner, "sgFile");
    save.FileName = "123.v3";
    save.Filter = "录音文件(*.v3)|*.v3"_host;
    EXPECT_FALSE(save.Execute());
    zf::OpenDialog open(owner, "od");
    open.Filter = "文本|*.txt"_host;
    EXPECT_FALSE(open.Execute());
    zf::FolderDialog folder(owner, "fd");
    folder.Title = "下载到..."_host;
    EXPECT_FALSE(folder.Execute());
    EXPECT_EQ(LinesOf(log.str()), (std::vector<std::string>{
                                      "InfoDlg: 传入的参数为空",
                                      "ErrorDlg: 第一行\\r\\n第二行",
                                      "QuesDlg: 是否继续？",
                                      "SaveDialog: sgFile [录音文件(*.v3)|*.v3] 123.v3",
                                      "OpenDialog: od [文本|*.txt]",
                                      "FolderDialog: 下载到...",
                                  }));
}

TEST_F(ConsoleTest, AnswersComeFromTheQueueInOrderAndOkBoxesTakeNone) {
    Install(false);
    console->AddAnswer("yes");
    console->AddAnswer(Absolute("tmp/录音.v3"));
    console->AddAnswer("n");
    console->AddAnswer(Absolute("a.doc") + " | " + Absolute("b.doc"));
    console->AddAnswer(Absolute("tmp/下载"));
    zeph::InfoDlg("i", zf::kNoOwner);
    EXPECT_TRUE(zeph::QuesDlg("q", zf::kNoOwner));
    zf::Form owner(nullptr, "owner");
    zf::SaveDialog save(owner, "sgFile");
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, AbsoluteHost("tmp/录音.v3"));
    EXPECT_FALSE(zeph::QuesDlg("q", zf::kNoOwner));
    zf::OpenDialog open(owner, "od");
    open.Options |= zf::ofAllowMultiSelect;
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.Files(), (std::vector<std::string>{Absolute("a.doc"), Absolute("b.doc")}));
    zf::FolderDialog folder(owner, "fd");
    ASSERT_TRUE(folder.Execute());
    EXPECT_EQ(folder.Directory, AbsoluteHost("tmp/下载"));
    EXPECT_EQ(console->PendingAnswers(), 0u);
}

TEST_F(ConsoleTest, WithoutTerminalAndAnswersQuestionsAreNoAndDialogsCancelled) {
    Install(false);
    console->AddAnswer("cancel");
    zf::Form owner(nullptr, "owner");
    zf::OpenDialog open(owner, "od");
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(zf::MessageBox(1, "m", "Zeph", zf::MessageButtons::OkCancel),
              zf::ModalResult::Cancel);
    EXPECT_EQ(zf::MessageBox(1, "m", "Zeph", zf::MessageButtons::YesNoCancel), zf::ModalResult::No);
    console->AddAnswer("false");
    EXPECT_FALSE(zeph::QuesDlg("q", zf::kNoOwner));
}

TEST_F(ConsoleTest, AnswerThatFitsNoButtonIsAnError) {
    Install(false);
    console->AddAnswer("maybe");
    try {
        zeph::QuesDlg("是否继续？"_host, zf::kNoOwner);
        FAIL();
    } catch (const zf::EAnswerError& error) {
        EXPECT_STREQ(error.what(), "the answer 'maybe' does not answer QuesDlg: 是否继续？");
    }
}

TEST_F(ConsoleTest, RelativePathsBecomeAbsoluteFoldersLoseTheirFinalSlash) {
    Install(false);
    console->AddAnswer("out/报表.xls");
    console->AddAnswer(Absolute("tmp/下载//"));
    console->AddAnswer(Absolute(""));
    zf::Form owner(nullptr, "owner");
    zf::SaveDialog save(owner, "sd");
    ASSERT_TRUE(save.Execute());
    const std::filesystem::path expected = std::filesystem::current_path() / u8"out" / u8"报表.xls";
    EXPECT_EQ(save.FileName, zeph::text::Utf8ToGbk(zeph::platform::PathToUtf8(expected)));
    zf::FolderDialog folder(owner, "fd");
    ASSERT_TRUE(folder.Execute());
    EXPECT_EQ(folder.Directory, AbsoluteHost("tmp/下载"));
    // The root keeps its separator: without it, "C:" would name the drive's current folder.
    ASSERT_TRUE(folder.Execute());
    EXPECT_EQ(folder.Directory, AbsoluteHost(""));
}

TEST_F(ConsoleTest, EmptyQueueAsksOnTheTerminal) {
    Install(true, "y\n" + Absolute("tmp/x.xls") + "\n");
    EXPECT_TRUE(zeph::QuesDlg("覆盖？"_host, zf::kNoOwner));
    zf::Form owner(nullptr, "owner");
    zf::SaveDialog save(owner, "sd");
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, Absolute("tmp/x.xls"));
    // The terminal has ended: no.
    EXPECT_FALSE(zeph::QuesDlg("again", zf::kNoOwner));
    EXPECT_EQ(LinesOf(log.str()), (std::vector<std::string>{
                                      "QuesDlg: 覆盖？",
                                      "  yes/no? SaveDialog: sd",
                                      "  file or cancel? QuesDlg: again",
                                      "  yes/no? ",
                                  }));
}

TEST_F(ConsoleTest, ModalWindowWithoutScriptOrTerminalClosesWithCancel) {
    Install(false);
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_EQ(LinesOf(log.str()), (std::vector<std::string>{"Window: 样本 (TfrmSample)"}));
}

TEST_F(ConsoleTest, LoadedScriptDrivesModalWindow) {
    Install(false);
    console->Load(zf::ParseScript("[TfrmSample]\ntype edtName 张三\nclick btnOk\n"));
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(f.edtName.Text(), "张三"_host);
}

TEST_F(ConsoleTest, ScriptShowWritesTheWindowAsItStandsThen) {
    Install(false);
    console->Load(zf::ParseScript("[TfrmSample]\nshow\ntype edtName 张三\nshow\nclick btnOk\n"));
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    const std::vector<std::string> lines = LinesOf(log.str());
    const std::size_t first = LineIndex(lines, "TfrmSample \"样本\"");
    const std::size_t second = LineIndex(lines, "TfrmSample \"样本\"", first + 1);
    ASSERT_LT(second, lines.size()) << log.str();
    EXPECT_LT(LineIndex(lines, "  edtName (TEdit)", first), second) << "before typing, no text";
    EXPECT_LT(LineIndex(lines, "  edtName (TEdit): 张三", second), lines.size());
}

TEST_F(ConsoleTest, ScriptErrorIsReportedAndWindowCancelled) {
    Install(false);
    console->Load(zf::ParseScript("[TfrmSample]\nclick btnNope\n"));
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_TRUE(HasLine(LinesOf(log.str()), "ScriptError: TfrmSample: line 2: the window "
                                            "TfrmSample has no control named 'btnNope'"))
        << log.str();
}

TEST_F(ConsoleTest, TerminalPresentsWindowAndTakesCommandsUntilItCloses) {
    Install(true, "type edtName 李四\nclik btnOk\nshow\nclick btnOk\nclick btnCancel\n");
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(f.edtName.Text(), "李四"_host);
    const std::vector<std::string> lines = LinesOf(log.str());
    EXPECT_TRUE(HasLine(lines, "  edtName (TEdit)")) << log.str();
    EXPECT_TRUE(HasLine(lines, "  cmbList (TComboBox): [0: 1 - 一般 | 1: 2 - 紧急]"));
    EXPECT_TRUE(HasLine(lines, "TfrmSample> TfrmSample>   unknown action 'clik'")) << log.str();
    EXPECT_TRUE(HasLine(lines, "  edtName (TEdit): 李四"));
    // The last command was never read: the window had closed.
    std::string rest;
    std::getline(terminal, rest);
    EXPECT_EQ(rest, "click btnCancel");
}

TEST_F(ConsoleTest, PresentMarksHiddenAndDisabledControls) {
    TfrmSample f;
    f.edtName.Enabled = false;
    f.chkFlag.Visible = false;
    f.chkFlag.Caption = "标志"_host;
    const std::vector<std::string> lines = LinesOf(zf::ConsoleBackend::Present(f));
    EXPECT_TRUE(HasLine(lines, "  edtName (TEdit) disabled")) << zf::ConsoleBackend::Present(f);
    EXPECT_TRUE(HasLine(lines, "  chkFlag (TCheckBox) hidden: [ ] 标志"));
    EXPECT_TRUE(HasLine(lines, "      edtOnPage (TEdit)")); // on its page in the page control
}

} // namespace
} // namespace formstest
