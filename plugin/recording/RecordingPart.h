// What the main window carries for playing recordings: the single selection window, while it
// is open.
#pragma once

#include "core/MainWindowPart.h"
#include "recording/untSelRecodFile.h"

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>

namespace morvane::recording {

class TRecordingPart : public TMainWindowPart {
public:
    TRecordingPart() = default;
    // The window plays through the main window's host component, so it goes with the window.
    ~TRecordingPart() override;

    // The open selection window, or nullptr.
    TfrmSelRecodFile* SelRecodFile() const noexcept { return frmSelRecodFile_; }
    // Creates the selection window unless one is open, gives it the host component, lists the
    // rows in it and shows it without waiting.
    void ShowRecordFiles(zeph::dataset::TClientDataSet& rows, zeph::TZephClient& client);

private:
    TfrmSelRecodFile* frmSelRecodFile_ = nullptr;
};

} // namespace morvane::recording
