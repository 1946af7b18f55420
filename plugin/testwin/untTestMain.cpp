#include "testwin/untTestMain.h"

#include "core/LibraryState.h"
#include "core/untZeph.h"

#include <zeph/client/Variant.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/text/HostText.h>

#include <cstdio>
#include <memory>

namespace morvane::testwin {
namespace {

constexpr int kFieldLeft = 70;
constexpr int kFieldPitch = 25;
constexpr int kFieldWidth = 200;
constexpr int kFieldHeight = 21;

std::string FieldCaption(const char* kind, int index) {
    char caption[48];
    std::snprintf(caption, sizeof caption, "%s[%d]: ", kind, index);
    return caption;
}

void PlaceLabelled(zeph::forms::Label& label, const std::string& caption, int left, int top) {
    label.SetCaption(caption);
    label.Left = left;
    label.Top = top + 4;
}

} // namespace

TFrmTestMain::TFrmTestMain(TInterFacefrmMain& owner)
    : zeph::forms::Form(&owner, "FrmTestMain"), main_(owner) {
    Caption = "FrmTestMain";
    Width = 674;
    Height = 399;

    PlaceLabelled(lbDllName, "被调的动态库："_host, 8, 8);
    edDllName.SetBounds(100, 8, 200, kFieldHeight);
    edDllName.SetText("Morvane.dll");
    btnCall.SetBounds(310, 6, 90, 25);
    btnCall.Caption = "我～～调！"_host;

    PlaceLabelled(lbInput, "Input维数："_host, 8, 36);
    seInput.SetBounds(80, 36, 60, kFieldHeight);
    seInput.SetValue(3);
    PlaceLabelled(lbOutput, "Output维数："_host, 150, 36);
    seOutput.SetBounds(230, 36, 60, kFieldHeight);
    seOutput.SetValue(2);
    btnGo.SetBounds(310, 34, 90, 25);
    btnGo.Caption = "生成"_host;

    PlaceLabelled(lbList, "已知的接口："_host, 420, 8);
    cbList.SetBounds(420, 32, 220, kFieldHeight);
    for (const char* word :
         {"TEST", "CHECK_STAFF_QUERY", "CHECK_REPORT", "CHECK_PERSON", "CHECK_DETAIL"}) {
        cbList.Items.Add(word);
    }

    // The areas take the window below the controls: input on the left, output on the rest.
    constexpr int areasTop = 66;
    const int areasHeight = ClientHeight() - areasTop;
    sbxInput.SetBounds(0, areasTop, 313, areasHeight);
    Splitter1.SetBounds(313, areasTop, 3, areasHeight);
    sbxOutput.SetBounds(316, areasTop, ClientWidth() - 316, areasHeight);

    btnGo.OnClick = [this](zeph::forms::Control& sender) { btnGoClick(sender); };
    cbList.OnChange = [this](zeph::forms::Control& sender) { cbListChange(sender); };
    btnCall.OnClick = [this](zeph::forms::Control& sender) { btnCallClick(sender); };
    OnClose = [this](zeph::forms::Form& sender, zeph::forms::CloseAction& action) {
        FormClose(sender, action);
    };
    Created();
}

TFrmTestMain::~TFrmTestMain() {
    // Freed with the main window, or after its own close: the library forgets it either way.
    if (State().testWindow == this) {
        State().testWindow = nullptr;
    }
}

std::vector<zeph::forms::LabeledEdit*> TFrmTestMain::Fields(const zeph::forms::WinControl& area) {
    std::vector<zeph::forms::LabeledEdit*> fields;
    for (zeph::forms::Control* control : area.Controls()) {
        if (auto* field = dynamic_cast<zeph::forms::LabeledEdit*>(control)) {
            fields.push_back(field);
        }
    }
    return fields;
}

void TFrmTestMain::AddFields(zeph::forms::ScrollBox& area, const char* kind, int highIndex) {
    for (int index = 0; index <= highIndex; ++index) {
        auto* field = Adopt(std::make_unique<zeph::forms::LabeledEdit>(
            this, std::string("ed") + kind + std::to_string(index)));
        field->SetParent(&area);
        field->EditLabel.SetCaption(FieldCaption(kind, index));
        field->SetLabelPosition(zeph::forms::LabeledEdit::LabelPositions::Left);
        field->SetBounds(kFieldLeft, kFieldPitch * (index + 1), kFieldWidth, kFieldHeight);
    }
}

void TFrmTestMain::ClearAreas() {
    sbxInput.FreeControls();
    sbxOutput.FreeControls();
}

void TFrmTestMain::btnGoClick(zeph::forms::Control&) {
    if (!generated_) {
        generated_ = true;
        btnGo.Caption = "清空"_host;
        seInput.Enabled = false;
        seOutput.Enabled = false;
        AddFields(sbxInput, "Input", seInput.Value());
        AddFields(sbxOutput, "Output", seOutput.Value());
    } else {
        generated_ = false;
        btnGo.Caption = "生成"_host;
        seInput.Enabled = true;
        seOutput.Enabled = true;
        ClearAreas();
    }
}

void TFrmTestMain::cbListChange(zeph::forms::Control&) {
    std::vector<zeph::forms::LabeledEdit*> inputs = Fields(sbxInput);
    if (!inputs.empty()) {
        inputs.front()->SetText(cbList.Text());
    }
}

void TFrmTestMain::btnCallClick(zeph::forms::Control&) {
    // Checked before Input is made: a negative count gives no field, and no array to make.
    if (sbxInput.ControlCount() == 0 || sbxOutput.ControlCount() == 0) {
        zeph::forms::ShowMessage("没有输入输出"_host);
        return;
    }
    const int inputHigh = seInput.Value();
    zeph::Variant Input = zeph::Variant::Array(0, inputHigh);
    int element = 0;
    for (zeph::forms::LabeledEdit* field : Fields(sbxInput)) {
        if (element > inputHigh) {
            break;
        }
        Input[element++] = field->Text();
    }
    zeph::Variant Output;
    main_.ZephClient.CallDll("Morvane.dll", Input, Output, true);
    // A word that answers nothing leaves Output Empty (or the host Null): there is no element
    // to show, so every field keeps what it showed, as the fields past a shorter array do.
    if (!Output.IsArray()) {
        return;
    }
    int counter = 0;
    for (zeph::forms::LabeledEdit* field : Fields(sbxOutput)) {
        if (counter > Output.HighBound()) {
            break;
        }
        if (counter >= Output.LowBound()) {
            field->SetText(Output[counter].AsText());
        }
        ++counter;
    }
}

void TFrmTestMain::FormClose(zeph::forms::Form&, zeph::forms::CloseAction& action) {
    ClearAreas();
    action = zeph::forms::CloseAction::Free;
    State().testWindow = nullptr;
    // Closing the test window closes the plug-in: the host calls ShowMorvane again.
    main_.Close();
}

} // namespace morvane::testwin
