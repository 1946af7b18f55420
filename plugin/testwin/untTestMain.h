// The call test window: the tester chooses how many Input and Output elements to use, types the
// Input texts (element 0 is the interface word), calls the plug-in through the host and reads
// the Output texts. The call leaves through the host component and comes back into the
// dispatcher as an ordinary request.
#pragma once

#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/Control.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>

#include <string>
#include <vector>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::testwin {

class TFrmTestMain : public zeph::forms::Form {
public:
    // The main window owns the test window; its host component carries the calls.
    explicit TFrmTestMain(TInterFacefrmMain& owner);
    ~TFrmTestMain() override;

    zeph::forms::Label lbDllName{this, "lbDllName"};
    zeph::forms::Edit edDllName{this, "edDllName"};
    zeph::forms::Button btnCall{this, "btnCall"};
    zeph::forms::Label lbInput{this, "lbInput"};
    zeph::forms::SpinEdit seInput{this, "seInput"};
    zeph::forms::Label lbOutput{this, "lbOutput"};
    zeph::forms::SpinEdit seOutput{this, "seOutput"};
    zeph::forms::Button btnGo{this, "btnGo"};
    zeph::forms::Label lbList{this, "lbList"};
    zeph::forms::ComboBox cbList{this, "cbList"};
    zeph::forms::ScrollBox sbxInput{this, "sbxInput"};
    zeph::forms::Splitter Splitter1{this, "Splitter1"};
    zeph::forms::ScrollBox sbxOutput{this, "sbxOutput"};

    void btnGoClick(zeph::forms::Control& sender);
    void cbListChange(zeph::forms::Control& sender);
    void btnCallClick(zeph::forms::Control& sender);
    void FormClose(zeph::forms::Form& sender, zeph::forms::CloseAction& action);

    // The generated fields of an area, in their order there.
    static std::vector<zeph::forms::LabeledEdit*> Fields(const zeph::forms::WinControl& area);

private:
    void AddFields(zeph::forms::ScrollBox& area, const char* kind, int highIndex);
    void ClearAreas();

    TInterFacefrmMain& main_;
    bool generated_ = false; // the generate button's state: false "生成", true "清空"
};

} // namespace morvane::testwin
