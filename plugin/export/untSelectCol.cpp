#include "export/untSelectCol.h"

#include "export/OwnedWindow.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

namespace morvane::exporting {

namespace forms = zeph::forms;

namespace {

// The name part of a "name=value" line: the text before the first "=".
std::string_view NamePart(std::string_view line) {
    return line.substr(0, line.find('='));
}

bool Listed(const std::vector<std::string>& unticked, const std::string& field) {
    for (const std::string& line : unticked) {
        if (zeph::text::SameText(NamePart(line), field)) {
            return true;
        }
    }
    return false;
}

} // namespace

TfrmSelectCol::TfrmSelectCol(forms::Component* owner, TExportColumns& columns,
                             std::vector<std::string>* unticked)
    : Form(owner, "frmSelectCol"), columns_(columns), unticked_(unticked) {
    Caption = "请选择列"_host;
    BorderStyle = forms::BorderStyle::Dialog;
    BorderIcons = forms::biSystemMenu;
    FormStyle = forms::FormStyle::StayOnTop;
    SetClientWidth(191);
    SetClientHeight(241);

    lvSelect.Align = forms::Align::Top;
    lvSelect.SetBounds(0, 0, 191, 201);
    lvSelect.ViewStyle = forms::ViewStyle::Report;
    lvSelect.Checkboxes = true;
    lvSelect.RowSelect = true;
    lvSelect.ReadOnly = true;
    lvSelect.AddColumn("", 150);

    bbtnSave.SetBounds(20, 210, 75, 25);
    bbtnSave.Caption = "确认"_host;
    bbtnSave.Default = true;
    bbtnCancel.SetBounds(100, 210, 75, 25);
    bbtnCancel.Caption = "取消"_host;
    bbtnCancel.Cancel = true;
    bbtnSave.OnClick = [this](forms::Control&) { bbtnSaveClick(); };
    bbtnCancel.OnClick = [this](forms::Control&) { bbtnCancelClick(); };
    OnClose = [](forms::Form&, forms::CloseAction& action) { action = forms::CloseAction::Free; };

    // Inserted at the top from the last column to the first: the list shows column order.
    for (std::size_t i = columns_.titles.size(); i-- > 0;) {
        forms::ListItem& item = lvSelect.Items.Insert(0);
        item.Caption = columns_.titles[i];
        item.SetChecked(unticked_ == nullptr || !Listed(*unticked_, columns_.fields[i]));
    }
    Created();
}

void TfrmSelectCol::bbtnSaveClick() {
    bool anyTicked = false;
    for (int i = 0; i < lvSelect.Items.Count(); ++i) {
        anyTicked = anyTicked || lvSelect.Items[i].Checked();
    }
    if (!anyTicked) {
        zeph::InfoDlg("请选择需要导出的列"_host, Handle());
        return;
    }
    if (unticked_ != nullptr) {
        unticked_->clear();
    }
    for (int i = lvSelect.Items.Count() - 1; i >= 0; --i) {
        const forms::ListItem& item = lvSelect.Items[i];
        if (item.Checked()) {
            continue;
        }
        // The first column of an equal title goes, as the title is all the list item holds.
        std::size_t at = 0;
        while (at < columns_.titles.size() &&
               !zeph::text::SameText(columns_.titles[at], item.Caption)) {
            ++at;
        }
        if (at == columns_.titles.size()) {
            continue;
        }
        if (unticked_ != nullptr) {
            unticked_->push_back(columns_.fields[at] + "=" + columns_.titles[at]);
        }
        columns_.fields.erase(columns_.fields.begin() + static_cast<std::ptrdiff_t>(at));
        columns_.titles.erase(columns_.titles.begin() + static_cast<std::ptrdiff_t>(at));
    }
    confirmed_ = true;
    modalResult = forms::ModalResult::Ok;
}

void TfrmSelectCol::bbtnCancelClick() {
    Close();
}

namespace {

bool RunPicker(forms::Component& owner, TExportColumns& columns,
               std::vector<std::string>* unticked) {
    OwnedWindow<TfrmSelectCol> form(owner, columns, unticked);
    form->ShowModal();
    return form->Confirmed();
}

} // namespace

bool SelectColumns(forms::Component& owner, TExportColumns& columns) {
    return RunPicker(owner, columns, nullptr);
}

bool SelectColumns(forms::Component& owner, TExportColumns& columns,
                   std::vector<std::string>& unticked) {
    return RunPicker(owner, columns, &unticked);
}

} // namespace morvane::exporting
