#include "recording/untSaveRecordFile.h"

#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/platform/Paths.h>
#include <zeph/text/HostText.h>

#include <sys/stat.h>

namespace morvane::recording {
namespace {

namespace forms = zeph::forms;

constexpr int kLocationFirst = 2;
constexpr int kLocationLast = 8;

// Length of the character at pos: a double-byte character is a lead byte and a valid trail
// byte, so a "/" (never a trail byte) always stands alone, and a "\\" only after a lead byte.
std::size_t CharAt(const std::string& text, std::size_t pos) {
    if (pos + 1 < text.size() && zeph::text::IsLeadByte(static_cast<unsigned char>(text[pos]))) {
        const auto trail = static_cast<unsigned char>(text[pos + 1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

bool IsSeparator(const std::string& text, std::size_t pos, std::size_t length) {
    return length == 1 && (text[pos] == '/' || text[pos] == '\\');
}

// The text with every separator replaced by "_".
std::string WithoutSeparators(const std::string& text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharAt(text, pos);
        out += IsSeparator(text, pos, length) ? std::string("_") : text.substr(pos, length);
        pos += length;
    }
    return out;
}

// What follows the last separator.
std::string LastPart(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size();) {
        const std::size_t length = CharAt(path, pos);
        if (IsSeparator(path, pos, length)) {
            start = pos + 1;
        }
        pos += length;
    }
    return path.substr(start);
}

bool FileExists(const std::string& hostPath) {
    struct stat info {};
    return ::stat(zeph::platform::NativePath(hostPath).c_str(), &info) == 0;
}

} // namespace

std::string DefaultLocalName(const std::string& serialNo, const std::string& remoteFile) {
    const std::string name = LastPart(remoteFile);
    const std::size_t dot = name.rfind('.'); // "." is never a trail byte
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return WithoutSeparators(serialNo + extension);
}

TfrmSaveRecordFile::TfrmSaveRecordFile(TInterFacefrmMain& main, Edition edition)
    : Form(&main, "frmSaveRecordFile"), main_(main), edition_(edition) {
    Caption = "保存录音文件"_host;
    ftpRecord.OnWork = [this](zeph::ftp::TFtpClient&) { pump_.Tick(); };
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
    if (!LocateFile(filePath, staffNo)) {
        zeph::ErrorDlg("获取文件路径失败！"_host, forms::kNoOwner);
        Close();
        return;
    }
    host_ = !location_.host1.empty() ? location_.host1 : location_.host2;
    if (host_.empty()) {
        zeph::ErrorDlg("查询FTP服务器地址失败！"_host, forms::kNoOwner);
        Close();
        return;
    }
    if (!ConnectServer()) {
        zeph::ErrorDlg("连接语音文件服务器失败！"_host, forms::kNoOwner);
        Close();
        return;
    }
    memFileName.SetText("ftp://" + host_ + location_.remoteDir + location_.remoteFile);
    defaultName_ = DefaultLocalName(serialNo, location_.remoteFile);
    ShowModal();
}

bool TfrmSaveRecordFile::LocateFile(const std::string& filePath, const std::string& staffNo) {
    // A "~" inside a piece would shift the staff number into the path.
    if (zeph::text::Contains(filePath, "~") || zeph::text::Contains(staffNo, "~")) {
        Log("P_QC_GETFTPFILEPATH: \"~\" in " + filePath + "~" + staffNo);
        return false;
    }
    zeph::Variant result;
    if (!main_.ZephClient.StoreProcedure("P_QC_GETFTPFILEPATH", filePath + "~" + staffNo, result)) {
        return false;
    }
    if (!result.IsArray() || result.LowBound() > kLocationFirst ||
        result.HighBound() < kLocationLast) {
        return false;
    }
    try {
        location_.host1 = result[2].AsText();
        location_.host2 = result[3].AsText();
        location_.remoteDir = result[4].AsText();
        location_.remoteFile = result[5].AsText();
        location_.user = result[6].AsText();
        location_.password = result[7].AsText();
        location_.port = result[8].AsText();
    } catch (const std::exception&) {
        return false; // an element that is no text
    }
    return true;
}

bool TfrmSaveRecordFile::ConnectServer() {
    int port = zeph::ftp::kFtpServicePort;
    if (!location_.port.empty()) {
        if (!zeph::IfNumber(location_.port)) {
            return false;
        }
        port = static_cast<int>(zeph::Variant(location_.port).AsInteger());
    }
    ftpRecord.Host = host_;
    ftpRecord.Username = location_.user;
    ftpRecord.Password = location_.password;
    ftpRecord.Port = port;
    return ftpRecord.Connect() && ftpRecord.Connected();
}

void TfrmSaveRecordFile::Log(const std::string& text) {
    main_.ZephClient.WriteLog(text, {});
}

bool TfrmSaveRecordFile::CopyRecordFile(const std::string& localName) {
    const bool full = edition_ == Edition::Full;
    if (location_.remoteFile.empty() || localName.empty()) {
        if (full) {
            Log("FTP文件名或本地文件名为空"_host);
        }
        return false;
    }
    if (!ftpRecord.Connected()) {
        if (full) {
            Log("连接FTP失败"_host);
        }
        return false;
    }
    std::string directory = location_.remoteDir;
    if (directory.empty() || directory.back() != '/') {
        directory += '/'; // "/" is never a trail byte
    }
    ftpRecord.RetrieveCurrentDir();
    bool copied = ftpRecord.ChangeDir(directory) && ftpRecord.Get(location_.remoteFile, localName);
    if (full && !ftpRecord.LastError().empty()) {
        Log(ftpRecord.LastError());
    }
    return copied;
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
    if (FileExists(localName) && !zeph::QuesDlg("文件已经存在，是否覆盖？"_host, Handle())) {
        return;
    }
    if (!CopyRecordFile(localName)) {
        zeph::ErrorDlg("拷贝文件失败！"_host, forms::kNoOwner);
    }
}

} // namespace morvane::recording
