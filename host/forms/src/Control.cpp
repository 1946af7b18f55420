#include <zeph/forms/Application.h>
#include <zeph/forms/Control.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/PageControl.h>

#include <algorithm>

namespace zeph::forms {

Control::Control(Component* owner, std::string name) : Component(owner, std::move(name)) {
    if (auto* container = dynamic_cast<WinControl*>(owner)) {
        Control::SetParent(container);
    }
}

Control::~Control() {
    if (Form* form = ParentForm()) {
        form->ForgetControl(this);
    }
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent_ = nullptr;
    }
}

void Control::SetParent(WinControl* parent) {
    if (parent == parent_) {
        return;
    }
    if (parent != nullptr &&
        (parent == this || (dynamic_cast<WinControl*>(this) != nullptr &&
                            static_cast<WinControl*>(this)->ContainsControl(parent)))) {
        throw EInvalidOperation("A control cannot be its own parent");
    }
    if (parent_ != nullptr) {
        if (Form* form = ParentForm()) {
            form->ForgetControl(this);
        }
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    if (parent_ != nullptr) {
        parent_->children_.push_back(this);
    }
}

void Control::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

Form* Control::ParentForm() const {
    const Control* c = this;
    while (c != nullptr) {
        if (auto* form = dynamic_cast<const Form*>(c)) {
            return const_cast<Form*>(form);
        }
        c = c->parent_;
    }
    return nullptr;
}

bool Control::Reachable() const {
    for (const Control* c = this; c != nullptr; c = c->parent_) {
        if (dynamic_cast<const Form*>(c) != nullptr) {
            return c->Enabled;
        }
        if (!c->Visible || !c->Enabled) {
            return false;
        }
        if (auto* page = dynamic_cast<const TabSheet*>(c); page != nullptr && !page->Active()) {
            return false;
        }
    }
    return true;
}

bool Control::CanFocus() const {
    return AcceptsFocus() && dynamic_cast<const Form*>(this) == nullptr && Reachable();
}

bool Control::Focused() const {
    Form* form = ParentForm();
    return form != nullptr && form->ActiveControl() == this;
}

void Control::SetFocus() {
    if (!CanFocus()) {
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    }
    if (Form* form = ParentForm()) {
        form->FocusControl(this);
    }
}

void Control::BringToFront() {
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        siblings.push_back(this);
    }
    Invalidate();
}

void Control::SendToBack() {
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        siblings.insert(siblings.begin(), this);
    }
    Invalidate();
}

void Control::Repaint() {
    if (Form* form = ParentForm()) {
        Application()->GetBackend().PaintWindow(*form);
    }
}

void Control::Invalidate() {
    if (Form* form = ParentForm()) {
        Application()->GetBackend().WindowChanged(*form);
    }
}

void Control::DefaultClick() {
    Fire(OnClick);
}

WinControl::WinControl(Component* owner, std::string name) : Control(owner, std::move(name)) {}

WinControl::~WinControl() {
    if (Form* form = ParentForm()) {
        if (form != this && form->activeControl_ != nullptr &&
            ContainsControl(form->activeControl_)) {
            form->activeControl_ = nullptr;
        }
    }
    for (Control* child : children_) {
        child->parent_ = nullptr;
    }
    children_.clear();
}

void WinControl::FreeControls() {
    // Each step takes the first child off (freeing a child may take others with it, as a
    // labelled edit takes its label).
    while (!children_.empty()) {
        Control* child = children_.front();
        Component* owner = child->Owner();
        if (owner != nullptr && owner->Adopted(child)) {
            owner->FreeOwned(child);
        } else {
            child->SetParent(nullptr);
        }
    }
}

bool WinControl::ContainsControl(const Control* control) const {
    for (const Control* c = control; c != nullptr; c = c->Parent()) {
        if (c == this) {
            return true;
        }
    }
    return false;
}

namespace {
Control* FindIn(const Component& owner, std::string_view name, int depth) {
    for (Component* c : owner.Components()) {
        if (auto* control = dynamic_cast<Control*>(c);
            control != nullptr && zeph::text::SameText(c->Name(), name)) {
            return control;
        }
    }
    if (depth > 32) {
        return nullptr;
    }
    for (Component* c : owner.Components()) {
        if (Control* found = FindIn(*c, name, depth + 1)) {
            return found;
        }
    }
    return nullptr;
}
} // namespace

Control* FindControl(const Component& owner, std::string_view name) {
    if (name.empty()) {
        return nullptr;
    }
    return FindIn(owner, name, 0);
}

} // namespace zeph::forms
