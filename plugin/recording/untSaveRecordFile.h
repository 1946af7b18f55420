// The window that saves one recording: it shows where the recording lies and copies it to a
// file the agent chooses (the work is RecordingDownload's).
#pragma once

#include "core/Edition.h"
#include "recording/RecordingDownload.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>

#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::recording {

class TfrmSaveRecordFile : public zeph::forms::Form {
public:
    TfrmSaveRecordFile(TInterFacefrmMain& main, Edition edition = kBuildEdition);

    zeph::forms::Label lblFileName{*this, "lblFileName"};
    zeph::forms::Memo memFileName{*this, "memFileName"};
    zeph::forms::BitBtn bbtnSave{*this, "bbtnSave"};
    zeph::forms::BitBtn bbtnCancel{*this, "bbtnCancel"};
    zeph::forms::SaveDialog sgFile{*this, "sgFile"};

    // Locates the recording at filePath of staff member staffNo, connects to its server and
    // shows the window modally. When any of that fails the agent is told and the window closes.
    void ShowRecordFile(const std::string& filePath, const std::string& staffNo,
                        const std::string& serialNo);

    const TFtpLocation& Location() const noexcept { return download_.Location(); }

private:
    void bbtnSaveClick(zeph::forms::Control& sender);

    Edition edition_;
    // Holds the FTP client component "ftpRecord" of this window.
    TRecordingDownload download_;
    std::string defaultName_;
};

} // namespace morvane::recording
