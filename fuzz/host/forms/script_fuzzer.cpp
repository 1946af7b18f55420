// The script format is outside input (zeph-host --script): parsing must refuse bad text with
// EScriptError only, and running a parsed script on a window must fail with EUserAction only.
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Forms.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

namespace zf = zeph::forms;

class TfrmFuzz : public zf::Form {
public:
    TfrmFuzz() : zf::Form(nullptr, "frmFuzz") {
        btnOk.ModalResult = zf::ModalResult::Ok;
        btnOk.Default = true;
        btnCancel.Cancel = true;
        btnCancel.ModalResult = zf::ModalResult::Cancel;
        cmb.Items.Add("a");
        cmb.Items.Add("b");
        lb.Items.Add("x");
        lv.Checkboxes = true;
        lv.Items.Add().Caption = "c";
        tv.Build({{"1", "", "root"}, {"2", "1", "leaf"}});
        ed.MaxLength = 8;
        ts2.TabVisible = false;
        onPage.SetParent(&ts2);
        Created();
    }
    zf::Edit ed{*this, "ed"};
    zf::Memo mem{*this, "mem"};
    zf::ComboBox cmb{*this, "cmb"};
    zf::CheckListBox lb{*this, "lb"};
    zf::ListView lv{*this, "lv"};
    zf::DataTreeView tv{*this, "tv"};
    zf::RadioButton rb{*this, "rb"};
    zf::CheckBox chk{*this, "chk"};
    zf::SpinEdit se{*this, "se"};
    zf::DateTimePicker dtp{*this, "dtp"};
    zf::ButtonEdit be{*this, "be"};
    zf::PageControl pc{*this, "pc"};
    zf::TabSheet ts1{*this, pc, "ts1"};
    zf::TabSheet ts2{*this, pc, "ts2"};
    zf::Edit onPage{*this, "onPage"};
    zf::Button btnOk{*this, "btnOk"};
    zf::Button btnCancel{*this, "btnCancel"};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    zf::Script script;
    try {
        script = zf::ParseScript(text);
    } catch (const zf::EScriptError&) {
        return 0;
    }
    auto backend = std::make_shared<zf::ScriptedBackend>();
    zf::Application()->SetBackend(backend);
    for (const zf::WindowScript& section : script.windows) {
        TfrmFuzz form;
        zf::User user;
        try {
            zf::RunWindowScript(section, form, user);
        } catch (const zf::EUserAction&) {
        }
        // Shown modally the same actions run inside the modal loop.
        backend->Load(zf::Script{{section}});
        TfrmFuzz modal;
        try {
            modal.ShowModal();
        } catch (const zf::EUserAction&) {
        }
    }
    zf::Application()->ProcessReleases();
    zf::Application()->SetBackend(nullptr);
    return 0;
}
