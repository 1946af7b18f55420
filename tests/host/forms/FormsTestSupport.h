// A window with one control of each kind, and a fixture that installs a scripted backend.
#pragma once

#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Forms.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace formstest {

namespace zf = zeph::forms;

class TfrmSample : public zf::Form {
public:
    explicit TfrmSample(zf::Component* owner = nullptr) : zf::Form(owner, "frmSample") {
        Caption = "样本"_host;
        btnOk.Caption = "确定"_host;
        btnOk.ModalResult = zf::ModalResult::Ok;
        btnOk.Default = true;
        btnCancel.Caption = "取消"_host;
        btnCancel.ModalResult = zf::ModalResult::Cancel;
        btnCancel.Cancel = true;
        cmbList.Style = zf::ComboStyle::DropDownList;
        cmbList.Items.Add("1 - 一般"_host);
        cmbList.Items.Add("2 - 紧急"_host);
        lvSelect.ViewStyle = zf::ViewStyle::Report;
        lvSelect.Checkboxes = true;
        lvSelect.AddColumn("", 150);
        for (const char* caption : {"A", "B", "C"}) {
            lvSelect.Items.Add().Caption = caption;
        }
        pgMain.Visible = true;
        edtOnPage.SetParent(&tsSecond);
        Created();
    }

    zf::Edit edtName{*this, "edtName"};
    zf::Memo memContent{*this, "memContent"};
    zf::ComboBox cmbList{*this, "cmbList"};
    zf::CheckListBox lbList{*this, "lbList"};
    zf::ListView lvSelect{*this, "lvSelect"};
    zf::RadioButton rbOne{*this, "rbOne"};
    zf::RadioButton rbTwo{*this, "rbTwo"};
    zf::CheckBox chkFlag{*this, "chkFlag"};
    zf::SpinEdit seCount{*this, "seCount"};
    zf::DateTimePicker dtpDate{*this, "dtpDate"};
    zf::DataTreeView tvTree{*this, "tvTree"};
    zf::PageControl pgMain{*this, "pgMain"};
    zf::TabSheet tsFirst{*this, pgMain, "tsFirst"};
    zf::TabSheet tsSecond{*this, pgMain, "tsSecond"};
    zf::Edit edtOnPage{*this, "edtOnPage"};
    zf::ButtonEdit edGroup{*this, "edGroup"};
    zf::Button btnOk{*this, "btnOk"};
    zf::Button btnCancel{*this, "btnCancel"};
};

// Installs a fresh scripted backend for each test and removes it afterwards.
class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_shared<zf::ScriptedBackend>();
        zf::Application()->SetBackend(ui);
    }
    void TearDown() override {
        zf::Application()->ProcessReleases();
        zf::Application()->SetBackend(nullptr);
        zf::FailNextWindowCreations(0);
    }
    std::shared_ptr<zf::ScriptedBackend> ui;
    zf::User user;
};

} // namespace formstest
