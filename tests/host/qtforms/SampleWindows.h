// Windows built from every control class of the toolkit, as the plug-in writes its windows.
#pragma once

#include <zeph/forms/Forms.h>

#include <string>
#include <vector>

namespace zeph::qtforms::testing {

namespace forms = zeph::forms;

// Every kind of control on one window, in 宋体 9 pt, with Chinese captions.
class TfrmToolkitSample : public forms::Form {
public:
    explicit TfrmToolkitSample(forms::Component* owner);

    forms::Label lblName{*this, "lblName"};
    forms::Edit edtName{*this, "edtName"};
    forms::Edit edtNumber{*this, "edtNumber"};
    forms::LabeledEdit ledCity{*this, "ledCity"};
    forms::ButtonEdit bedFile{*this, "bedFile"};
    forms::SpinEdit speCount{*this, "speCount"};
    forms::Memo memNote{*this, "memNote"};
    forms::Button btnApply{*this, "btnApply"};
    forms::Button btnDisabled{*this, "btnDisabled"};
    forms::RadioButton rbDay{*this, "rbDay"};
    forms::RadioButton rbMonth{*this, "rbMonth"};
    forms::CheckBox chkAll{*this, "chkAll"};
    forms::ComboBox cbbKind{*this, "cbbKind"};
    forms::ComboBox cbbFree{*this, "cbbFree"};
    forms::ListBox lstItems{*this, "lstItems"};
    forms::CheckListBox clbFields{*this, "clbFields"};
    forms::ListView lvRecords{*this, "lvRecords"};
    forms::TreeView tvDepartments{*this, "tvDepartments"};
    forms::PageControl pcPages{*this, "pcPages"};
    forms::TabSheet tsFirst{*this, pcPages, "tsFirst"};
    forms::TabSheet tsSecond{*this, pcPages, "tsSecond"};
    forms::TabSheet tsHidden{*this, pcPages, "tsHidden"};
    forms::Label lblOnFirst{*this, "lblOnFirst"};
    forms::Edit edtOnSecond{*this, "edtOnSecond"};
    forms::DateTimePicker dtpDate{*this, "dtpDate"};
    forms::DateTimePicker dtpTime{*this, "dtpTime"};
    forms::ProgressBar pbProgress{*this, "pbProgress"};
    forms::Panel pnlBottom{*this, "pnlBottom"};
    forms::GroupBox gbOptions{*this, "gbOptions"};
    forms::CheckBox chkInGroup{*this, "chkInGroup"};
    forms::ScrollBox sbArea{*this, "sbArea"};
    forms::Splitter splSides{*this, "splSides"};
    forms::Shape shpMark{*this, "shpMark"};

    // What the handlers did, for the tests.
    int applyClicks = 0;
    std::vector<std::string> events;
};

// A small dialog with a default and a cancel button, as a column chooser is written.
class TfrmSampleDialog : public forms::Form {
public:
    explicit TfrmSampleDialog(forms::Component* owner);

    forms::ListView lvSelect{*this, "lvSelect"};
    forms::Edit edtFilter{*this, "edtFilter"};
    forms::Button bbtnSave{*this, "bbtnSave"};
    forms::Button bbtnCancel{*this, "bbtnCancel"};
    forms::Button bbtnAsk{*this, "bbtnAsk"};

    bool refuseClose = false;
    int closeQueries = 0;
    forms::ModalResult answer = forms::ModalResult::None;
};

} // namespace zeph::qtforms::testing
