// The workbook export's own progress window: a status line, a bar from 0 to 100 and a button
// that stops the export.
#pragma once

#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/MessagePump.h>
#include <zeph/forms/ProgressBar.h>

#include <cstddef>
#include <functional>
#include <utility>

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
    // Runs a last step of the export that cannot report progress (closing the workbook) on a
    // thread of its own while the window keeps painting; gives the step's result.
    template <typename Work>
    auto Finish(Work work) {
        return pump_.RunAside(std::move(work));
    }
    // Asked by the walk before each record; true once the person has cancelled.
    bool Cancelled() {
        if (cancelled_ && !stopped_) {
            stopped_ = true;
            if (OnStopped) {
                OnStopped(*this);
            }
        }
        return cancelled_;
    }
    // Fired when the walk first sees the cancel, and so stops.
    std::function<void(TfrmExportStatus& sender)> OnStopped;

private:
    std::size_t total_ = 0;
    bool cancelled_ = false;
    bool stopped_ = false;
    zeph::forms::MessagePump pump_;
};

} // namespace morvane::exporting
