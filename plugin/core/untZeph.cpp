#include "core/untZeph.h"

#include "core/LibraryState.h"

namespace morvane {

LibraryState& State() {
    static LibraryState state;
    return state;
}

TInterFacefrmMain::TInterFacefrmMain(zeph::forms::Component* owner)
    : zeph::forms::Form(owner, "InterFacefrmMain") {
    Caption = "InterFacefrmMain";
    Left = 373;
    Top = 220;
    Width = 204;
    Height = 103;
    FontName = "MS Sans Serif";
    sd.DefaultExt = ".xls";
    sd.Filter = "Excel文件|*.xls"_host;
#if MORVANE_EDITION_FULL
    SaveDialog.DefaultExt = ".xls";
    SaveDialog.Filter = "Excel 文件|*.xls|TXT 文件|*.txt"_host;
#endif
    OnClose = [this](zeph::forms::Form& sender, zeph::forms::CloseAction& action) {
        FormClose(sender, action);
    };
    ZephClient.OnCalled = [this](zeph::forms::Component* sender, int further,
                                 const zeph::Variant& input, zeph::Variant& output) {
        ZephClientCalled(sender, further, input, output);
    };
    Created();
}

TInterFacefrmMain::~TInterFacefrmMain() {
    if (State().mainWindow == this) {
        State().mainWindow = nullptr;
    }
}

void TInterFacefrmMain::FormClose(zeph::forms::Form&, zeph::forms::CloseAction& action) {
    State().exportFieldConfig.reset();
    action = zeph::forms::CloseAction::Free;
    State().mainWindow = nullptr;
}

void TInterFacefrmMain::CheckStaffQuery(const zeph::Variant& Input, zeph::Variant& Output) {
    Output = zeph::Variant::Array(0, 2);
    Output[0] = "True";
    Output[1] = GetInputItem(Input, 1) + GetInputItem(Input, 2) + GetInputItem(Input, 3);
    Output[2] = "0";
}

void TInterFacefrmMain::CheckDetail(const zeph::Variant&, zeph::Variant&) {
    // Accepted for callers that send it; it has no work.
}

} // namespace morvane
