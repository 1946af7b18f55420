// Push buttons, radio buttons and check boxes.
#pragma once

#include <zeph/forms/Control.h>

namespace zeph::forms {

class ZEPH_HOST_API Button : public WinControl {
public:
    Button(Component* owner, std::string name);
    Button(Component& owner, std::string name) : Button(&owner, std::move(name)) {}

    std::string Caption; // host text; "&" marks the accelerator
    // Set on the window when the button is clicked, before OnClick; the modal loop then ends
    // the window unless a handler puts the result back to None or OnCloseQuery refuses.
    forms::ModalResult ModalResult = forms::ModalResult::None;
    // Enter clicks the default button (unless another button has the focus), Escape the
    // cancel button.
    bool Default = false;
    bool Cancel = false;

    // What a click does: the modal result, then OnClick. Code may call it (as Click in the
    // host framework).
    void Click();

    const char* KindName() const override { return "TButton"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override { return Caption; }
    void DefaultClick() override { Click(); }
    void DefaultKeyChar(char key) override;
};

// The framework's bitmap button behaves as a button here.
using BitBtn = Button;

// One radio button of the group formed by the radio buttons of the same container.
class ZEPH_HOST_API RadioButton : public WinControl {
public:
    RadioButton(Component* owner, std::string name);
    RadioButton(Component& owner, std::string name) : RadioButton(&owner, std::move(name)) {}

    std::string Caption;

    bool Checked() const noexcept { return checked_; }
    // Checking unchecks the other radio buttons of the container and fires OnClick, also when
    // code checks it (as the host framework does).
    void SetChecked(bool checked);

    const char* KindName() const override { return "TRadioButton"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    void DefaultClick() override { SetChecked(true); }
    void DefaultKeyChar(char key) override;

private:
    bool checked_ = false;
};

class ZEPH_HOST_API CheckBox : public WinControl {
public:
    CheckBox(Component* owner, std::string name);
    CheckBox(Component& owner, std::string name) : CheckBox(&owner, std::move(name)) {}

    std::string Caption;

    bool Checked() const noexcept { return checked_; }
    // A change fires OnClick, also when code makes it.
    void SetChecked(bool checked);

    const char* KindName() const override { return "TCheckBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    void DefaultClick() override { SetChecked(!checked_); }
    void DefaultKeyChar(char key) override;

private:
    bool checked_ = false;
};

} // namespace zeph::forms
