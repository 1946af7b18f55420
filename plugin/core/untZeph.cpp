#include "core/untZeph.h"

#include "core/LibraryState.h"

namespace morvane {

TInterFacefrmMain::TInterFacefrmMain(zeph::forms::Component* owner, const EditionTables& edition)
    : zeph::forms::Form(owner, "InterFacefrmMain"), edition_(edition) {
    Caption = "InterFacefrmMain";
    Left = 373;
    Top = 220;
    Width = 204;
    Height = 103;
    FontName = "MS Sans Serif";
    edition_.createParts(*this);
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
    // Freed by the toolkit after a close, or by anyone else: the library forgets it either way.
    State().ForgetMainWindow(this);
}

void TInterFacefrmMain::AddPart(std::unique_ptr<TMainWindowPart> part) {
    parts_.push_back(std::move(part));
}

void TInterFacefrmMain::FormClose(zeph::forms::Form&, zeph::forms::CloseAction& action) {
    // What the parts cache (the export-field configuration among it) goes with the window, so
    // the next main window loads it afresh.
    action = zeph::forms::CloseAction::Free;
    State().ForgetMainWindow(this);
}

} // namespace morvane
