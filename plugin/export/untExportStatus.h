// The workbook export's own progress window: a status line, a bar from 0 to 100 and a button
// that stops the export.
#pragma once

#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/MessagePump.h>
#include <zeph/forms/ProgressBar.h>

#include <chrono>
#include <cstddef>
#include <optional>

namespace morvane::exporting {

class TfrmExportStatus : public zeph::forms::Form {
public:
    explicit TfrmExportStatus(zeph::forms::Component* owner);

    zeph::forms::Label lblStatus{*this, "lblStatus"};
    zeph::forms::ProgressBar pbStatus{*this, "pbStatus"};
    zeph::forms::Button btnCancel{*this, "btnCancel"};

    // Shows the window for an export of total records.
    void Start(std::size_t total);
    // done records of the total are written; the bar moves when its percentage changes. Lets
    // events through at a steady pace, so the window paints and its Cancel is taken; the
    // status line counts the records at those moments.
    void Progress(std::size_t done);
    // Asked by the walk before each record; true once the person has cancelled.
    bool Cancelled() const noexcept {
        if (cancelled_ && !cancelSeenAt_) {
            cancelSeenAt_ = std::chrono::steady_clock::now();
        }
        return cancelled_;
    }
    // When the walk first saw the cancel, and so stopped.
    std::optional<std::chrono::steady_clock::time_point> CancelSeenAt() const noexcept {
        return cancelSeenAt_;
    }

private:
    std::size_t total_ = 0;
    bool cancelled_ = false;
    mutable std::optional<std::chrono::steady_clock::time_point> cancelSeenAt_;
    zeph::forms::MessagePump pump_;
};

} // namespace morvane::exporting
