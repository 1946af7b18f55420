#include "recording/untSaveRecordFile.h"

#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

namespace morvane::recording {
namespace {

namespace forms = zeph::forms;

} // namespace

TfrmSaveRecordFile::TfrmSaveRecordFile(TInterFacefrmMain& main, Edition edition)
    : Form(&main, "frmSaveRecordFile"), edition_(edition), download_(main, *this, edition) {
    Caption = "保存录音文件"_host;
    BorderStyle = forms::BorderStyle::Single;
    FormStyle = forms::FormStyle::StayOnTop;
    Position = forms::Position::ScreenCenter;
    SetClientWidth(295);
    SetClientHeight(130);

    lblFileName.SetCaption("文件名称："_host);
    lblFileName.Left = 16;
    lblFileName.Top = 12;
    memFileName.Left = 16;
    memFileName.Top = 30;
    memFileName.Width = 263;
    memFileName.Height = 53;
    memFileName.ReadOnly = true;
    memFileName.MaxLength = 200;
    bbtnSave.Caption = "保存"_host;
    bbtnSave.Default = true;
    bbtnSave.ModalResult = forms::ModalResult::Ok;
    bbtnSave.Left = 64;
    bbtnSave.Top = 96;
    bbtnCancel.Caption = "取消"_host;
    bbtnCancel.Cancel = true;
    bbtnCancel.ModalResult = forms::ModalResult::Cancel;
    bbtnCancel.Left = 160;
    bbtnCancel.Top = 96;
    sgFile.Filter =
        edition_ == Edition::Full ? "录音文件(*.v3)|*.v3"_host : "录音文件(*.*)|*.*"_host;

    bbtnSave.OnClick = [this](forms::Control& sender) { bbtnSaveClick(sender); };
    OnClose = [](forms::Form&, forms::CloseAction& action) { action = forms::CloseAction::Free; };
    Created();
}

void TfrmSaveRecordFile::ShowRecordFile(const std::string& filePath, const std::string& staffNo,
                                        const std::string& serialNo) {
    const char* failure = nullptr;
    switch (download_.Open(filePath, staffNo)) {
    case TOpenOutcome::Opened:
        break;
    case TOpenOutcome::NotLocated:
        failure = "获取文件路径失败！";
        break;
    case TOpenOutcome::NoServer:
        failure = "查询FTP服务器地址失败！";
        break;
    case TOpenOutcome::NotConnected:
        failure = "连接语音文件服务器失败！";
        break;
    }
    if (failure != nullptr) {
        zeph::ErrorDlg(zeph::text::HostLiteral(failure), forms::kNoOwner);
        Close();
        return;
    }
    memFileName.SetText(download_.Address());
    defaultName_ = DefaultLocalName(serialNo, download_.Location().remoteFile);
    ShowModal();
}

void TfrmSaveRecordFile::bbtnSaveClick(forms::Control&) {
    // The button's result ends the window after this, whatever happens here.
    Hide();
    sgFile.FileName = defaultName_;
    if (!sgFile.Execute()) {
        Show();
        return;
    }
    const std::string localName = sgFile.FileName;
    // "Yes" does not remove the old file: the download replaces it only once it is complete,
    // so a failed copy leaves the agent's file as it was.
    if (download_.Replaces(localName) &&
        !zeph::QuesDlg("文件已经存在，是否覆盖？"_host, Handle())) {
        return;
    }
    if (!download_.CopyTo(localName)) {
        zeph::ErrorDlg("拷贝文件失败！"_host, forms::kNoOwner);
    }
}

} // namespace morvane::recording
