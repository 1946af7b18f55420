#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>

namespace zeph::forms {

Button::Button(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 75;
    Height = 25;
    TabStop = true;
}

void Button::Click() {
    if (ModalResult != forms::ModalResult::None) {
        if (Form* form = ParentForm()) {
            form->modalResult = ModalResult;
        }
    }
    Fire(OnClick);
}

void Button::DefaultKeyChar(char key) {
    if (key == ' ') {
        Click();
    }
}

RadioButton::RadioButton(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 113;
    Height = 17;
    TabStop = true;
}

void RadioButton::SetChecked(bool checked) {
    if (checked == checked_) {
        return;
    }
    checked_ = checked;
    if (checked) {
        if (WinControl* parent = Parent()) {
            for (Control* sibling : parent->Controls()) {
                if (auto* radio = dynamic_cast<RadioButton*>(sibling);
                    radio != nullptr && radio != this) {
                    radio->checked_ = false;
                }
            }
        }
        Fire(OnClick);
    }
}

std::string RadioButton::Describe() const {
    return (checked_ ? "(*) " : "( ) ") + Caption;
}

void RadioButton::DefaultKeyChar(char key) {
    if (key == ' ') {
        SetChecked(true);
    }
}

CheckBox::CheckBox(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 97;
    Height = 17;
    TabStop = true;
}

void CheckBox::SetChecked(bool checked) {
    if (checked == checked_) {
        return;
    }
    checked_ = checked;
    Fire(OnClick);
}

std::string CheckBox::Describe() const {
    return (checked_ ? "[x] " : "[ ] ") + Caption;
}

void CheckBox::DefaultKeyChar(char key) {
    if (key == ' ') {
        SetChecked(!checked_);
    }
}

} // namespace zeph::forms
