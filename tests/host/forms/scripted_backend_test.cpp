// The scripted backend acts as the person per window, answers message boxes and dialogs from
// queues, and records everything shown; what it cannot answer is a failure for the test.
#include "FormsTestSupport.h"

#include <zeph/client/PackageRoutines.h>

namespace formstest {
namespace {

class TfrmOther : public zf::Form {
public:
    TfrmOther() : zf::Form(nullptr, "frmNamed") { Caption = "other"; }
    zf::SaveDialog sgFile{*this, "sgFile"};
    zf::OpenDialog odFiles{*this, "odFiles"};
    zf::FolderDialog fdFolder{*this, "fdFolder"};
};

TEST_F(FormsTest, ScriptsPerWindowClassAreUsedOnePerShowingLastRepeats) {
    std::vector<int> runs;
    ui->When<TfrmSample>([&](TfrmSample& f, zf::User& u) {
        runs.push_back(1);
        u.Click(f.btnOk);
    });
    ui->When<TfrmSample>([&](TfrmSample& f, zf::User& u) {
        runs.push_back(2);
        u.Escape(f);
    });
    TfrmSample f;
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_EQ(runs, (std::vector<int>{1, 2, 2}));
    ASSERT_EQ(ui->Records().size(), 3u);
    EXPECT_EQ(ui->Records()[0].kind, zf::ShownKind::Window);
    EXPECT_EQ(ui->Records()[0].source, "TfrmSample");
    EXPECT_EQ(ui->Records()[0].text, "样本"_host);
    EXPECT_TRUE(ui->Failures().empty());
}

TEST_F(FormsTest, ScriptByWindowNameAndUnscriptedWindowClosesWithCancel) {
    TfrmOther other;
    bool closed = false;
    other.OnClose = [&](zf::Form&, zf::CloseAction&) { closed = true; };
    EXPECT_EQ(other.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_TRUE(closed);
    ui->When("FRMNAMED", [](zf::Form& f, zf::User&) { f.modalResult = zf::ModalResult::Yes; });
    EXPECT_EQ(other.ShowModal(), zf::ModalResult::Yes);
    EXPECT_TRUE(ui->Failures().empty());
}

TEST_F(FormsTest, WindowThatRefusesToCloseIsEndedAndReported) {
    TfrmSample f;
    f.OnCloseQuery = [](zf::Form&, bool& canClose) { canClose = false; };
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    ASSERT_EQ(ui->Failures().size(), 1u);
    EXPECT_NE(ui->Failures()[0].find("TfrmSample refused to close"), std::string::npos);
}

TEST_F(FormsTest, MessageBoxesAreRecordedAndQuestionsTakeQueuedAnswers) {
    ui->AnswerYes();
    ui->AnswerNo();
    zeph::InfoDlg("传入的参数为空"_host, zf::kNoOwner);
    EXPECT_TRUE(zeph::QuesDlg("是否继续？"_host, 7));
    EXPECT_FALSE(zeph::QuesDlg("再问"_host, 7));
    zeph::ErrorDlg("错了"_host, zf::kNoOwner);
    ASSERT_EQ(ui->Messages().size(), 4u);
    EXPECT_EQ(ui->Messages()[0].source, "InfoDlg");
    EXPECT_EQ(ui->Messages()[1].source, "QuesDlg");
    EXPECT_EQ(ui->Messages()[1].owner, 7u);
    EXPECT_EQ(ui->Messages()[3].kind, zf::MessageKind::Error);
    EXPECT_EQ(ui->MessageTexts()[0], "传入的参数为空"_host);
    EXPECT_TRUE(ui->Failures().empty());
    EXPECT_EQ(ui->UnusedAnswers(), 0u);
}

TEST_F(FormsTest, QuestionWithoutAnswerIsFailureAnsweredNo) {
    EXPECT_FALSE(zeph::QuesDlg("文件已经存在，是否覆盖？"_host, zf::kNoOwner));
    ASSERT_EQ(ui->Failures().size(), 1u);
    EXPECT_NE(ui->Failures()[0].find("文件已经存在"), std::string::npos);
    // An answer that fits no button is a failure too.
    ui->AnswerMessage(zf::ModalResult::Ok);
    EXPECT_FALSE(zeph::QuesDlg("?", zf::kNoOwner));
    EXPECT_EQ(ui->Failures().size(), 2u);
    EXPECT_EQ(zf::MessageBox(1, "x", "Zeph", zf::MessageButtons::OkCancel),
              zf::ModalResult::Cancel);
}

TEST_F(FormsTest, PlainAndSystemMessageBoxesNameTheirSource) {
    zf::ShowMessage("没有输入输出"_host);
    zf::MessageBox(5, "big"_host, "Zeph");
    ASSERT_EQ(ui->Records().size(), 2u);
    EXPECT_EQ(ui->Records()[0].source, "ShowMessage");
    EXPECT_EQ(ui->Records()[1].source, "MessageBox");
    EXPECT_EQ(ui->Records()[1].caption, "Zeph");
}

TEST_F(FormsTest, SaveDialogAppliesDefaultExtensionAndFilterIndex) {
    TfrmOther f;
    f.sgFile.Filter = "Excel 文件|*.xls|TXT 文件|*.txt"_host;
    f.sgFile.DefaultExt = ".xls";
    f.sgFile.FileName = "123.v3";
    ui->AnswerFile("/tmp/报表"_host, 2);
    ui->AnswerFile("/tmp/a.txt");
    ui->CancelFileDialog();
    ASSERT_TRUE(f.sgFile.Execute());
    EXPECT_EQ(f.sgFile.FileName, "/tmp/报表.xls"_host);
    EXPECT_EQ(f.sgFile.FilterIndex, 2);
    ASSERT_TRUE(f.sgFile.Execute());
    EXPECT_EQ(f.sgFile.FileName, "/tmp/a.txt");
    EXPECT_EQ(f.sgFile.FilterIndex, 2); // kept when the answer names none
    EXPECT_FALSE(f.sgFile.Execute());
    ASSERT_EQ(ui->FileDialogs().size(), 3u);
    EXPECT_EQ(ui->FileDialogs()[0].kind, zf::FileDialogKind::Save);
    EXPECT_EQ(ui->FileDialogs()[0].name, "sgFile");
    EXPECT_EQ(ui->FileDialogs()[0].fileName, "123.v3");
    EXPECT_EQ(ui->Records()[0].kind, zf::ShownKind::SaveDialog);
}

TEST_F(FormsTest, OpenDialogMultiSelectGivesAllFilesInOrder) {
    TfrmOther f;
    f.odFiles.Options |= zf::ofAllowMultiSelect;
    ui->AnswerFiles({"/d/a.doc", "/d/b.doc"});
    ASSERT_TRUE(f.odFiles.Execute());
    EXPECT_EQ(f.odFiles.Files(), (std::vector<std::string>{"/d/a.doc", "/d/b.doc"}));
    EXPECT_EQ(f.odFiles.FileName, "/d/a.doc");
    EXPECT_TRUE(ui->FileDialogs()[0].multiSelect);
    // A dialog without an answer is cancelled and reported.
    EXPECT_FALSE(f.odFiles.Execute());
    EXPECT_EQ(ui->Failures().size(), 1u);
}

TEST_F(FormsTest, DialogOwnerIsTheOwningWindowOnceItHasAHandle) {
    TfrmOther f;
    ui->CancelFolderDialog();
    ui->AnswerFolder("/home/下载"_host);
    f.fdFolder.Title = "下载到..."_host;
    f.fdFolder.Root = zf::FolderRoot::Drives;
    EXPECT_FALSE(f.fdFolder.Execute());
    zf::WindowHandle handle = f.Handle();
    ASSERT_TRUE(f.fdFolder.Execute());
    EXPECT_EQ(f.fdFolder.Directory, "/home/下载"_host);
    ASSERT_EQ(ui->FolderDialogs().size(), 2u);
    EXPECT_EQ(ui->FolderDialogs()[1].owner, handle);
    EXPECT_EQ(ui->FolderDialogs()[1].root, zf::FolderRoot::Drives);
    EXPECT_EQ(ui->FolderDialogs()[1].title, "下载到..."_host);
}

TEST_F(FormsTest, HourGlassIsToldToBackendAndRestoredHoweverTheWorkEnds) {
    try {
        zf::HourGlass busy;
        EXPECT_EQ(zf::Application()->GetCursor(), zf::Cursor::HourGlass);
        throw std::runtime_error("failed work");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(zf::Application()->GetCursor(), zf::Cursor::Default);
    EXPECT_EQ(ui->CursorChanges(),
              (std::vector<zf::Cursor>{zf::Cursor::HourGlass, zf::Cursor::Default}));
}

TEST_F(FormsTest, NestedModalWindowRunsItsOwnScriptInsideTheOuterClick) {
    TfrmSample outer;
    auto inner = std::make_unique<TfrmOther>();
    zf::ModalResult innerResult = zf::ModalResult::None;
    outer.btnOk.ModalResult = zf::ModalResult::None;
    outer.btnOk.OnClick = [&](zf::Control&) { innerResult = inner->ShowModal(); };
    ui->When<TfrmOther>([](TfrmOther& f, zf::User&) { f.modalResult = zf::ModalResult::Ok; });
    ui->When<TfrmSample>([](TfrmSample& f, zf::User& u) {
        u.Click(f.btnOk);
        u.Click(f.btnCancel);
    });
    EXPECT_EQ(outer.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_EQ(innerResult, zf::ModalResult::Ok);
    ASSERT_EQ(ui->Records().size(), 2u);
    EXPECT_EQ(ui->Records()[1].source, "TfrmOther");
}

TEST_F(FormsTest, ModelessWindowRunsScriptWhenShown) {
    TfrmSample f;
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) { u.Type(form.edtName, "hi"); });
    f.Show();
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(f.edtName.Text(), "hi");
    EXPECT_FALSE(ui->Records()[0].modal);
    user.CloseBox(f);
    EXPECT_FALSE(f.Visible);
}

TEST_F(FormsTest, LoadedTextScriptDrivesWindow) {
    ui->Load(zf::ParseScript("[TfrmSample]\n"
                             "type edtName 你好\n"
                             "select cmbList 1\n"
                             "untick lvSelect B\n"
                             "click btnOk\n"));
    TfrmSample f;
    f.lvSelect.Items[1].SetChecked(true);
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(f.edtName.Text(), "你好"_host);
    EXPECT_EQ(f.cmbList.ItemIndex(), 1);
    EXPECT_FALSE(f.lvSelect.Items[1].Checked());
}

} // namespace
} // namespace formstest
