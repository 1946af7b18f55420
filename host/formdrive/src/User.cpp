#include <zeph/formdrive/User.h>
#include <zeph/forms/Application.h>

#include <cctype>
#include <exception>
#include <utility>

namespace zeph::forms {
namespace {

// Depth of nested actions: a handler of one action may open a modal window whose person acts
// in turn. Released windows are freed when the outermost action ends.
int& Depth() {
    static int depth = 0;
    return depth;
}

// Runs event handlers as the framework's message loop does: an error is shown, not passed on.
// EUserAction means the person's script asked for the impossible; that goes to the caller.
template <typename F>
void Guard(F&& body) {
    try {
        body();
    } catch (const EUserAction&) {
        throw;
    } catch (const std::exception& error) {
        Application()->ShowException(error.what());
    } catch (...) {
        Application()->ShowException("Unknown error");
    }
}

void CheckOpen(const Control& control) {
    Form* form = control.ParentForm();
    if (form != nullptr && form->IsModal() && form->ModalEnded()) {
        throw EUserAction("The window " + form->ClassName() + " has closed; " + control.Name() +
                          " cannot be used");
    }
}

template <typename F>
bool Act(Control& control, F&& body) {
    CheckOpen(control);
    if (!control.Reachable()) {
        return false;
    }
    Form* form = control.ParentForm();
    ++Depth();
    struct Leave {
        ~Leave() { --Depth(); }
    } leave;
    bool result = true;
    Guard([&] { result = body(); });
    if (form != nullptr) {
        Guard([&] { form->PollModal(); });
    }
    if (Depth() == 1) {
        Application()->ProcessReleases();
    }
    return result;
}

void FocusTo(Control& control) {
    if (control.CanFocus()) {
        if (Form* form = control.ParentForm()) {
            form->FocusControl(&control);
        }
    }
}

void FireMouse(const MouseEvent& event, Control& control, MouseButton button, ShiftState shift,
               int x, int y) {
    if (event) {
        event(control, button, shift, x, y);
    }
}

// A left click at the control's centre: mouse down, the control's own click, mouse up.
void ClickSequence(Control& control) {
    FocusTo(control);
    int x = control.Width / 2;
    int y = control.Height / 2;
    FireMouse(control.OnMouseDown, control, MouseButton::Left, ssLeft, x, y);
    control.DefaultClick();
    FireMouse(control.OnMouseUp, control, MouseButton::Left, 0, x, y);
}

// The character path of a key: the window first with KeyPreview, the number field's own
// filter, then OnKeyPress. False when the key was swallowed.
bool DispatchChar(Control& control, char& key) {
    Form* form = control.ParentForm();
    if (form != nullptr && form->KeyPreview && form != &control && form->OnKeyPress) {
        form->OnKeyPress(*form, key);
        if (key == 0) {
            return false;
        }
    }
    if (dynamic_cast<SpinEdit*>(&control) != nullptr && !SpinEdit::IsValidChar(key)) {
        key = 0;
        return false;
    }
    if (control.OnKeyPress) {
        control.OnKeyPress(control, key);
    }
    return key != 0;
}

void FireKey(Control& control, bool down, std::uint16_t& key, ShiftState shift) {
    Form* form = control.ParentForm();
    if (form != nullptr && form->KeyPreview && form != &control) {
        const KeyEvent& preview = down ? form->OnKeyDown : form->OnKeyUp;
        if (preview) {
            preview(*form, key, shift);
            if (key == 0) {
                return;
            }
        }
    }
    const KeyEvent& own = down ? control.OnKeyDown : control.OnKeyUp;
    if (own) {
        own(control, key, shift);
    }
}

char CharOfKey(std::uint16_t key, ShiftState shift) {
    switch (key) {
    case keys::Back:
    case keys::Tab:
    case keys::Return:
    case keys::Escape:
    case keys::Space:
        return static_cast<char>(key);
    default:
        break;
    }
    if (key >= 'A' && key <= 'Z') {
        return static_cast<char>((shift & ssShift) != 0 ? key : key - 'A' + 'a');
    }
    if (key >= '0' && key <= '9') {
        return static_cast<char>(key);
    }
    return 0;
}

std::uint16_t KeyOfChar(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u == keys::Back || u == keys::Tab || u == keys::Return || u == keys::Escape ||
        u == keys::Space) {
        return u;
    }
    if (std::isalpha(u) != 0) {
        return static_cast<std::uint16_t>(std::toupper(u));
    }
    if (std::isdigit(u) != 0) {
        return u;
    }
    return 0;
}

// A whole key on the control that has the focus. A key swallowed by OnKeyDown skips the
// default and cancel buttons and the control's own key processing, but its character still
// comes, as the message loop has already translated it; a key taken by a button makes none.
void DeliverKey(Control& control, std::uint16_t key, ShiftState shift, char character) {
    std::uint16_t down = key;
    if (down != 0) {
        FireKey(control, true, down, shift);
    }
    Form* form = control.ParentForm();
    if (form != nullptr && (down == keys::Return || down == keys::Escape) &&
        !control.WantsKey(down)) {
        Button* button = nullptr;
        if (down == keys::Return) {
            button = dynamic_cast<Button*>(&control);
            if (button == nullptr) {
                button = form->DefaultButton();
            }
        } else {
            button = form->CancelButton();
        }
        if (button != nullptr) {
            button->Click();
            std::uint16_t up = key;
            FireKey(control, false, up, shift);
            return;
        }
    }
    if (down != 0) {
        control.DefaultKeyDown(down, shift);
    }
    char ch = character;
    if (ch != 0 && DispatchChar(control, ch)) {
        control.DefaultKeyChar(ch);
    }
    if (key != 0) {
        std::uint16_t up = key;
        FireKey(control, false, up, shift);
    }
}

bool InsertCharacter(Control& control, std::string_view character) {
    if (auto* edit = dynamic_cast<CustomEdit*>(&control)) {
        return edit->InsertTyped(character);
    }
    if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
        return combo->InsertTyped(character);
    }
    return false;
}

template <typename T>
void CheckItem(const T& list, int index, int count) {
    if (index < 0 || index >= count) {
        throw EUserAction(list.Name() + " has no item " + std::to_string(index) + " (it has " +
                          std::to_string(count) + ")");
    }
}

} // namespace

bool User::Type(Control& control, std::string_view text) {
    return Act(control, [&] {
        FocusTo(control);
        for (std::size_t i = 0; i < text.size();) {
            if (!control.Reachable()) {
                return false; // a handler took the control away from the person
            }
            Form* form = control.ParentForm();
            if (form != nullptr && form->IsModal() && form->ModalEnded()) {
                return false;
            }
            std::size_t length = zeph::text::CharLength(text, i);
            if (length == 2) {
                // An ANSI window receives a double-byte character as two key presses.
                char lead = text[i];
                char trail = text[i + 1];
                i += 2;
                char k1 = lead;
                if (!DispatchChar(control, k1)) {
                    continue;
                }
                char k2 = trail;
                if (!DispatchChar(control, k2)) {
                    continue;
                }
                if (zeph::text::IsLeadByte(static_cast<unsigned char>(k1))) {
                    char pair[2] = {k1, k2};
                    InsertCharacter(control, std::string_view(pair, 2));
                } else {
                    control.DefaultKeyChar(k1);
                    if (!zeph::text::IsLeadByte(static_cast<unsigned char>(k2))) {
                        control.DefaultKeyChar(k2);
                    }
                }
                continue;
            }
            char c = text[i++];
            if (std::uint16_t key = KeyOfChar(c); key != 0) {
                // Keys of the keyboard come with their key-down and key-up events.
                ShiftState shift = std::isupper(static_cast<unsigned char>(c)) != 0 ? ssShift : 0;
                DeliverKey(control, key, shift, c);
            } else if (zeph::text::IsLeadByte(static_cast<unsigned char>(c))) {
                // A lead byte without its trail byte is not a character: nothing is typed.
            } else {
                char k = c;
                if (DispatchChar(control, k)) {
                    control.DefaultKeyChar(k);
                }
            }
        }
        return true;
    });
}

bool User::Paste(Control& control, std::string_view text) {
    auto* edit = dynamic_cast<CustomEdit*>(&control);
    auto* combo = dynamic_cast<ComboBox*>(&control);
    if (edit == nullptr && combo == nullptr) {
        throw EUserAction("Cannot paste into " + control.Name() + " (" + control.KindName() + ")");
    }
    return Act(control, [&] {
        FocusTo(control);
        return edit != nullptr ? edit->InsertPasted(text) : combo->InsertPasted(text);
    });
}

bool User::ClearText(Control& control) {
    return Act(control, [&] {
        FocusTo(control);
        if (auto* edit = dynamic_cast<CustomEdit*>(&control)) {
            edit->SelectAll();
        }
        DeliverKey(control, keys::Back, 0, '\b');
        return true;
    });
}

bool User::Click(Control& control) {
    return Act(control, [&] {
        ClickSequence(control);
        return true;
    });
}

bool User::DoubleClick(Control& control) {
    return Act(control, [&] {
        ClickSequence(control);
        if (control.OnDblClick) {
            control.OnDblClick(control);
        }
        return true;
    });
}

bool User::RightClick(Control& control) {
    return Act(control, [&] {
        const int x = control.Width / 2;
        const int y = control.Height / 2;
        FireMouse(control.OnMouseDown, control, MouseButton::Right, ssRight, x, y);
        FireMouse(control.OnMouseUp, control, MouseButton::Right, 0, x, y);
        return true;
    });
}

bool User::ClickButton(ButtonEdit& edit) {
    return Act(edit, [&] {
        if (!edit.ButtonEnabled) {
            return false;
        }
        FocusTo(edit);
        if (edit.OnButtonClick) {
            edit.OnButtonClick(edit);
        }
        return true;
    });
}

bool User::Focus(Control& control) {
    if (!control.CanFocus()) {
        CheckOpen(control);
        return false;
    }
    return Act(control, [&] {
        FocusTo(control);
        return true;
    });
}

bool User::Select(ComboBox& comboBox, int index) {
    CheckItem(comboBox, index, comboBox.Items.Count());
    return Act(comboBox, [&] {
        FocusTo(comboBox);
        comboBox.UserChoose(index);
        return true;
    });
}

bool User::Select(ComboBox& comboBox, std::string_view itemText) {
    for (int i = 0; i < comboBox.Items.Count(); ++i) {
        if (comboBox.Items[i] == itemText) {
            return Select(comboBox, i);
        }
    }
    throw EUserAction(comboBox.Name() + " has no item '" + zeph::text::GbkToUtf8(itemText) + "'");
}

bool User::Select(ListBox& listBox, int index) {
    CheckItem(listBox, index, listBox.Items.Count());
    return Act(listBox, [&] {
        FocusTo(listBox);
        listBox.UserClickItem(index, false);
        return true;
    });
}

bool User::SelectMore(ListBox& listBox, int index) {
    CheckItem(listBox, index, listBox.Items.Count());
    return Act(listBox, [&] {
        FocusTo(listBox);
        listBox.UserClickItem(index, true);
        return true;
    });
}

bool User::Select(ListView& listView, int index) {
    CheckItem(listView, index, listView.Items.Count());
    return Act(listView, [&] {
        FocusTo(listView);
        listView.UserClickItem(index);
        return true;
    });
}

bool User::Select(TreeView& treeView, TreeNode& node) {
    if (&node.Owner() != &treeView) {
        throw EUserAction("The node '" + zeph::text::GbkToUtf8(node.Text) + "' is not in " +
                          treeView.Name());
    }
    return Act(treeView, [&] {
        FocusTo(treeView);
        treeView.UserClickNode(node);
        return true;
    });
}

bool User::Select(PageControl& pageControl, TabSheet& page) {
    if (page.Pages() != &pageControl) {
        throw EUserAction("The page " + page.Name() + " is not on " + pageControl.Name());
    }
    if (!page.TabVisible) {
        throw EUserAction("The tab of page " + page.Name() + " is hidden");
    }
    return Act(pageControl, [&] {
        pageControl.UserChoose(page);
        return true;
    });
}

bool User::Select(PageControl& pageControl, int pageIndex) {
    CheckItem(pageControl, pageIndex, pageControl.PageCount());
    return Select(pageControl, pageControl.Page(pageIndex));
}

bool User::Choose(DateTimePicker& picker, TDateTime value) {
    return Act(picker, [&] {
        FocusTo(picker);
        picker.UserChoose(value);
        return true;
    });
}

bool User::Spin(SpinEdit& spinEdit, int steps) {
    return Act(spinEdit, [&] {
        FocusTo(spinEdit);
        spinEdit.Spin(steps);
        return true;
    });
}

bool User::SetTick(CheckBox& checkBox, bool ticked) {
    CheckOpen(checkBox);
    if (checkBox.Checked() == ticked) {
        return false;
    }
    return Click(checkBox);
}

bool User::SetTick(CheckListBox& listBox, int index, bool ticked) {
    CheckItem(listBox, index, listBox.Items.Count());
    CheckOpen(listBox);
    if (listBox.Checked(index) == ticked) {
        return false;
    }
    return Act(listBox, [&] {
        FocusTo(listBox);
        listBox.UserToggle(index);
        return listBox.Items.Count() > index && listBox.Checked(index) == ticked;
    });
}

bool User::SetTick(ListView& listView, int index, bool ticked) {
    CheckItem(listView, index, listView.Items.Count());
    if (!listView.Checkboxes) {
        throw EUserAction(listView.Name() + " has no check boxes");
    }
    CheckOpen(listView);
    if (listView.Items[index].Checked() == ticked) {
        return false;
    }
    return Act(listView, [&] {
        FocusTo(listView);
        listView.UserToggle(index);
        return true;
    });
}

bool User::DoubleClick(ListBox& listBox, int index) {
    CheckItem(listBox, index, listBox.Items.Count());
    return Act(listBox, [&] {
        FocusTo(listBox);
        listBox.UserClickItem(index, false);
        if (listBox.OnDblClick) {
            listBox.OnDblClick(listBox);
        }
        return true;
    });
}

bool User::DoubleClick(ListView& listView, int index) {
    CheckItem(listView, index, listView.Items.Count());
    return Act(listView, [&] {
        FocusTo(listView);
        listView.UserDoubleClickItem(index);
        return true;
    });
}

bool User::DoubleClick(TreeView& treeView, TreeNode& node) {
    if (&node.Owner() != &treeView) {
        throw EUserAction("The node is not in " + treeView.Name());
    }
    return Act(treeView, [&] {
        FocusTo(treeView);
        treeView.UserDoubleClickNode(node);
        return true;
    });
}

bool User::Expand(TreeView& treeView, TreeNode& node) {
    if (&node.Owner() != &treeView) {
        throw EUserAction("The node is not in " + treeView.Name());
    }
    return Act(treeView, [&] {
        FocusTo(treeView);
        node.Expand();
        return node.Expanded();
    });
}

bool User::Collapse(TreeView& treeView, TreeNode& node) {
    if (&node.Owner() != &treeView) {
        throw EUserAction("The node is not in " + treeView.Name());
    }
    return Act(treeView, [&] {
        FocusTo(treeView);
        node.Collapse();
        return !node.Expanded();
    });
}

bool User::PressKey(Control& control, std::uint16_t key, ShiftState shift) {
    return Act(control, [&] {
        FocusTo(control);
        DeliverKey(control, key, shift, CharOfKey(key, shift));
        return true;
    });
}

bool User::KeyPress(Control& control, char key) {
    std::uint16_t vk = KeyOfChar(key);
    ShiftState shift = std::isupper(static_cast<unsigned char>(key)) != 0 ? ssShift : 0;
    return Act(control, [&] {
        FocusTo(control);
        DeliverKey(control, vk, shift, key);
        return true;
    });
}

namespace {
Control& KeyTarget(Form& form) {
    Control* active = form.ActiveControl();
    return active != nullptr && active->Reachable() ? *active : form;
}
} // namespace

bool User::Escape(Form& form) {
    return PressKey(KeyTarget(form), keys::Escape);
}

bool User::Enter(Form& form) {
    return PressKey(KeyTarget(form), keys::Return);
}

bool User::CloseBox(Form& form) {
    if (form.BorderStyle == BorderStyle::None || (form.BorderIcons & biSystemMenu) == 0) {
        throw EUserAction("The window " + form.ClassName() + " has no close box");
    }
    return Act(form, [&] {
        form.Close();
        return true;
    });
}

bool User::MouseDown(Control& control, MouseButton button, int x, int y, ShiftState shift) {
    return Act(control, [&] {
        if (button == MouseButton::Left) {
            FocusTo(control);
        }
        FireMouse(control.OnMouseDown, control, button, shift, x, y);
        return true;
    });
}

bool User::MouseMove(Control& control, int x, int y, ShiftState shift) {
    return Act(control, [&] {
        if (control.OnMouseMove) {
            control.OnMouseMove(control, shift, x, y);
        }
        return true;
    });
}

bool User::MouseUp(Control& control, MouseButton button, int x, int y, ShiftState shift) {
    return Act(control, [&] {
        FireMouse(control.OnMouseUp, control, button, shift, x, y);
        return true;
    });
}

bool User::ClickUp(Control& control, int x, int y, ShiftState shift) {
    return Act(control, [&] {
        control.DefaultClick();
        FireMouse(control.OnMouseUp, control, MouseButton::Left, shift, x, y);
        return true;
    });
}

} // namespace zeph::forms
