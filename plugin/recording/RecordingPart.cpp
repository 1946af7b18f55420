#include "recording/RecordingPart.h"

namespace morvane::recording {

TRecordingPart::~TRecordingPart() {
    if (frmSelRecodFile_ != nullptr) {
        frmSelRecodFile_->OnDestroy = nullptr;
        delete frmSelRecodFile_;
    }
}

void TRecordingPart::ShowRecordFiles(zeph::dataset::TClientDataSet& rows,
                                     zeph::TZephClient& client) {
    if (frmSelRecodFile_ == nullptr) {
        frmSelRecodFile_ = new TfrmSelRecodFile(nullptr);
        // Closing frees the window; the next call then makes a new one.
        frmSelRecodFile_->OnDestroy = [this](zeph::forms::Form&) { frmSelRecodFile_ = nullptr; };
    }
    frmSelRecodFile_->ZephClient = &client;
    frmSelRecodFile_->FillRecordFiles(rows);
    frmSelRecodFile_->Show();
}

} // namespace morvane::recording
