// The progress hint: a small borderless window on top while an export runs, with a one-line
// message and, once a record count is known, a bar that advances once per record.
#pragma once

#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/MessagePump.h>
#include <zeph/forms/ProgressBar.h>

#include <string>

namespace morvane::exporting {

class TfrmHint : public zeph::forms::Form {
public:
    explicit TfrmHint(zeph::forms::Component* owner);

    zeph::forms::Shape Shape1{*this, "Shape1"};
    zeph::forms::Label laHint{*this, "laHint"};
    zeph::forms::ProgressBar pbShow{*this, "pbShow"};

    // Sets the message, shows or hides the bar, centres the message and shows the window.
    void ShowHint(const std::string& text, bool withBar);
    // Reveals the bar (at 0 when it was hidden) with this maximum, the message at the top.
    void SetMaximum(int maximum);
    void SetHintText(const std::string& text);
    // One record further; at the maximum nothing happens.
    void StepIt();

private:
    void CentreLabel();
    void FormMouseDown(zeph::forms::MouseButton button, int x, int y);
    void FormMouseMove(int x, int y);

    bool dragging_ = false;
    // An export steps the bar once per record: the desk is let through between records.
    zeph::forms::MessagePump pump_;
    int dragX_ = 0;
    int dragY_ = 0;
};

} // namespace morvane::exporting
