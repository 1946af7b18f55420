// What a person does to a window. Each action fires the events that the same action fires on
// a real window, in the same order; afterwards the window's modal loop is advanced
// (Form::PollModal) and released windows are freed (TApplication::ProcessReleases).
//
// A person reaches only controls that are visible and enabled on the active page; an action
// on another control does nothing and returns false. An error that leaves an event handler is
// shown as the framework shows it (TApplication::ShowException) and the action goes on.
// An action that no person could do (an item that is not there, a window that has closed)
// raises EUserAction.
#pragma once

#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/DateTimePicker.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/ListBox.h>
#include <zeph/forms/ListView.h>
#include <zeph/forms/PageControl.h>
#include <zeph/forms/TreeView.h>

#include <cstdint>
#include <string_view>

namespace zeph::forms {

class ZEPH_HOST_API User {
public:
    // Types host text into an edit, memo, number field or editable drop-down at the caret:
    // each character passes OnKeyPress (a double-byte character as two key presses, lead byte
    // first; refusing either drops the character), then changes the text if MaxLength allows,
    // then fires OnChange. "\r" is the Enter key, "\b" backspace.
    bool Type(Control& control, std::string_view text);
    // Pastes host text at the caret: no key filter, cut to MaxLength, one OnChange.
    bool Paste(Control& control, std::string_view text);
    // Selects the whole text and deletes it with the backspace key.
    bool ClearText(Control& control);

    // A left click: the focus moves to the control when it takes focus (OnExit, OnEnter),
    // OnMouseDown, the control's click (buttons set the window's modal result, radio buttons
    // check, check boxes toggle) with OnClick, OnMouseUp.
    bool Click(Control& control);
    bool DoubleClick(Control& control);
    // A right click: OnMouseDown and OnMouseUp with the right button at the control's centre;
    // no focus moves and no click follows.
    bool RightClick(Control& control);
    // The "..." button of an edit with a button.
    bool ClickButton(ButtonEdit& edit);
    // Moves the focus to the control as the Tab key or a click would.
    bool Focus(Control& control);

    // Choosing an item.
    bool Select(ComboBox& comboBox, int index);
    bool Select(ComboBox& comboBox, std::string_view itemText);
    bool Select(ListBox& listBox, int index);
    // A ctrl-click in a multi-select list: the item's selection toggles, it gets the focus.
    bool SelectMore(ListBox& listBox, int index);
    bool Select(ListView& listView, int index);
    bool Select(TreeView& treeView, TreeNode& node);
    bool Select(PageControl& pageControl, TabSheet& page);
    bool Select(PageControl& pageControl, int pageIndex);
    bool Select(RadioButton& radioButton) { return Click(radioButton); }
    bool Choose(DateTimePicker& picker, TDateTime value);
    bool Spin(SpinEdit& spinEdit, int steps);

    // Ticking: a click on the check box when it is not in the wanted state (false when it
    // already is).
    bool Tick(CheckBox& checkBox) { return SetTick(checkBox, true); }
    bool Untick(CheckBox& checkBox) { return SetTick(checkBox, false); }
    bool Tick(CheckListBox& listBox, int index) { return SetTick(listBox, index, true); }
    bool Untick(CheckListBox& listBox, int index) { return SetTick(listBox, index, false); }
    bool Tick(ListView& listView, int index) { return SetTick(listView, index, true); }
    bool Untick(ListView& listView, int index) { return SetTick(listView, index, false); }

    bool DoubleClick(ListBox& listBox, int index);
    bool DoubleClick(ListView& listView, int index);
    bool DoubleClick(TreeView& treeView, TreeNode& node);
    bool Expand(TreeView& treeView, TreeNode& node);
    bool Collapse(TreeView& treeView, TreeNode& node);

    // A key pressed on the control: OnKeyDown (the window's first with KeyPreview); Enter and
    // Escape then go to the default and cancel buttons unless the control wants them;
    // a key that makes a character passes OnKeyPress and the control's own processing;
    // then OnKeyUp.
    bool PressKey(Control& control, std::uint16_t key, ShiftState shift = 0);
    // A character key ("a", "1", ";") or one of "\r", "\x1b", " ", "\b", "\t".
    bool KeyPress(Control& control, char key);
    // Escape / Enter on the window's focused control (the window itself when none has focus).
    bool Escape(Form& form);
    bool Enter(Form& form);
    // The close box of the title bar: Form::Close.
    bool CloseBox(Form& form);

    bool MouseDown(Control& control, MouseButton button, int x, int y, ShiftState shift = 0);
    bool MouseMove(Control& control, int x, int y, ShiftState shift = 0);
    bool MouseUp(Control& control, MouseButton button, int x, int y, ShiftState shift = 0);
    // The left button, pressed on the control (MouseDown given) and moved, released inside it:
    // the control's click with OnClick, then OnMouseUp, as a release where it went down.
    bool ClickUp(Control& control, int x, int y, ShiftState shift = 0);

private:
    bool SetTick(CheckBox& checkBox, bool ticked);
    bool SetTick(CheckListBox& listBox, int index, bool ticked);
    bool SetTick(ListView& listView, int index, bool ticked);
};

} // namespace zeph::forms
