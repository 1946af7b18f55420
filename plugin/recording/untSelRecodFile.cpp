#include "recording/untSelRecodFile.h"

#include <zeph/text/HostText.h>

#include <cctype>

namespace morvane::recording {
namespace {

namespace forms = zeph::forms;

bool AllDigits(std::string_view text) {
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return !text.empty();
}

} // namespace

std::string FormatConveyDate(std::string_view value) {
    const std::string_view date = value.substr(0, 8);
    if (value.size() < 8 || !AllDigits(date)) {
        return std::string(value);
    }
    std::string time = "00:00:00";
    if (value.size() > 8) {
        // "T" and HH:MM:SS, milliseconds after it.
        const std::string_view rest = value.substr(8);
        if (rest.size() < 9 || rest[0] != 'T' || rest[3] != ':' || rest[6] != ':' ||
            !AllDigits(rest.substr(1, 2)) || !AllDigits(rest.substr(4, 2)) ||
            !AllDigits(rest.substr(7, 2)) || !(rest.size() == 9 || AllDigits(rest.substr(9)))) {
            return std::string(value);
        }
        time = std::string(rest.substr(1, 8));
    }
    return std::string(date.substr(0, 4)) + "-" + std::string(date.substr(4, 2)) + "-" +
           std::string(date.substr(6, 2)) + " " + time;
}

TfrmSelRecodFile::TfrmSelRecodFile(forms::Component* owner) : Form(owner, "frmSelRecodFile") {
    Caption = "请双击选择放音记录"_host;
    BorderStyle = forms::BorderStyle::Dialog;
    FormStyle = forms::FormStyle::StayOnTop;
    Position = forms::Position::ScreenCenter;
    SetClientWidth(516);
    SetClientHeight(145);
    KeyPreview = true;

    lvRecordFile.Align = forms::Align::Client;
    lvRecordFile.ViewStyle = forms::ViewStyle::Report;
    lvRecordFile.GridLines = true;
    lvRecordFile.RowSelect = true;
    lvRecordFile.ReadOnly = true;
    // The first column takes what the other two leave of the width.
    lvRecordFile.AddColumn("录音文件"_host, 516 - 70 - 140 - 4).AutoSize = true;
    lvRecordFile.AddColumn("转存工号"_host, 70, forms::Alignment::Center);
    lvRecordFile.AddColumn("转存时间"_host, 140, forms::Alignment::Center);

    lvRecordFile.OnDblClick = [this](forms::Control& sender) { lvRecordFileDblClick(sender); };
    OnKeyDown = [this](forms::Control& sender, std::uint16_t& key, forms::ShiftState shift) {
        FormKeyDown(sender, key, shift);
    };
    OnClose = [](forms::Form&, forms::CloseAction& action) { action = forms::CloseAction::Free; };
    Created();
}

void TfrmSelRecodFile::FillRecordFiles(zeph::dataset::TClientDataSet& rows) {
    lvRecordFile.Items.Clear();
    const zeph::dataset::TField fileName = rows.FieldByName("FILENAME");
    const zeph::dataset::TField staffNo = rows.FieldByName("STAFFNO");
    const zeph::dataset::TField conveyDate = rows.FieldByName("CONVEYDATE");
    for (rows.First(); !rows.Eof(); rows.Next()) {
        forms::ListItem& item = lvRecordFile.Items.Add();
        item.Caption = fileName.AsString();
        item.SubItems = {staffNo.AsString(), FormatConveyDate(conveyDate.Text())};
    }
}

void TfrmSelRecodFile::lvRecordFileDblClick(forms::Control&) {
    forms::ListItem* item = lvRecordFile.Selected();
    if (item == nullptr || ZephClient == nullptr) {
        return;
    }
    const std::string fileName = zeph::text::Trim(item->Caption);
    if (!fileName.empty()) {
        ZephClient->BeginPlayFile(fileName);
    }
}

void TfrmSelRecodFile::FormKeyDown(forms::Control&, std::uint16_t& key, forms::ShiftState) {
    if (key == forms::keys::Escape) {
        key = 0;
        Close();
    }
}

} // namespace morvane::recording
