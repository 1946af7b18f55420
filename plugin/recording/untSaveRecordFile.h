// The window that saves one recording: it finds the recording's FTP server, shows where the
// file lies, and copies it to a file the agent chooses.
#pragma once

#include "core/Edition.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/MessagePump.h>
#include <zeph/ftp/TFtpClient.h>

#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::recording {

// Where a recording lies, as the server tells it.
struct TFtpLocation {
    std::string host1;
    std::string host2; // used when host1 is empty
    std::string remoteDir;
    std::string remoteFile;
    std::string user;
    std::string password;
    std::string port;
};

class TfrmSaveRecordFile : public zeph::forms::Form {
public:
    TfrmSaveRecordFile(TInterFacefrmMain& main, Edition edition = kBuildEdition);

    zeph::forms::Label lblFileName{*this, "lblFileName"};
    zeph::forms::Memo memFileName{*this, "memFileName"};
    zeph::forms::BitBtn bbtnSave{*this, "bbtnSave"};
    zeph::forms::BitBtn bbtnCancel{*this, "bbtnCancel"};
    zeph::forms::SaveDialog sgFile{*this, "sgFile"};
    zeph::ftp::TFtpClient ftpRecord{this, "ftpRecord"};

    // Locates the recording at filePath of staff member staffNo, connects to its server and
    // shows the window modally. When any of that fails the agent is told and the window closes.
    void ShowRecordFile(const std::string& filePath, const std::string& staffNo,
                        const std::string& serialNo);

    const TFtpLocation& Location() const noexcept { return location_; }

private:
    // The desk stays alive while a recording downloads.
    zeph::forms::MessagePump pump_;
    bool LocateFile(const std::string& filePath, const std::string& staffNo);
    bool ConnectServer();
    bool CopyRecordFile(const std::string& localName);
    void Log(const std::string& text);
    void bbtnSaveClick(zeph::forms::Control& sender);

    TInterFacefrmMain& main_;
    Edition edition_;
    TFtpLocation location_;
    std::string host_;
    std::string defaultName_;
};

// The name the save dialog proposes: the serial number and the extension of the remote file
// name (its last "." and what follows). Only the remote name's last part counts, and
// separators never survive, so the proposal is a plain name in the dialog's folder.
std::string DefaultLocalName(const std::string& serialNo, const std::string& remoteFile);

} // namespace morvane::recording
