#include "export/untExportStatus.h"

#include <zeph/text/HostText.h>

#include <string>

namespace morvane::exporting {

namespace forms = zeph::forms;

namespace {
std::string StatusText(std::size_t done, std::size_t total) {
    return "已导出"_host + std::to_string(done) + "条记录，共"_host + std::to_string(total) +
           "条"_host;
}
} // namespace

TfrmExportStatus::TfrmExportStatus(forms::Component* owner) : Form(owner, "frmExportStatus") {
    Caption = "数据导出"_host;
    BorderStyle = forms::BorderStyle::Dialog;
    BorderIcons = 0;
    FormStyle = forms::FormStyle::StayOnTop;
    Position = forms::Position::ScreenCenter;
    SetClientWidth(442);
    SetClientHeight(87);
    lblStatus.Left = 8;
    lblStatus.Top = 8;
    pbStatus.SetBounds(8, 28, 426, 18);
    pbStatus.SetRange(0, 100);
    btnCancel.SetBounds(184, 54, 75, 25);
    btnCancel.Caption = "&Cancel";
    btnCancel.Cancel = true;
    btnCancel.OnClick = [this](forms::Control&) { cancelled_ = true; };
    Created();
}

void TfrmExportStatus::Start(std::size_t total) {
    total_ = total;
    lblStatus.SetCaption(StatusText(0, total_));
    pbStatus.SetPosition(0);
    Show();
    pump_.Now();
}

void TfrmExportStatus::Progress(std::size_t done) {
    int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
    const bool due = pump_.Due();
    if (percent != pbStatus.Position() || done == total_ || due) {
        lblStatus.SetCaption(StatusText(done, total_));
        pbStatus.SetPosition(percent);
    }
    if (due) {
        pump_.Now();
    }
}

} // namespace morvane::exporting
