// Text controls: a one-line edit, a multi-line memo, a number field, an edit with a label and
// an edit with a button. Texts are host text; MaxLength counts bytes (a double-byte character
// counts 2) and typing or pasting never splits a double-byte character.
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/Label.h>

#include <string>
#include <vector>

namespace zeph::forms {

enum class ScrollStyle { None, Horizontal, Vertical, Both };

class ZEPH_HOST_API CustomEdit : public WinControl {
public:
    CustomEdit(Component* owner, std::string name);
    CustomEdit(Component& owner, std::string name) : CustomEdit(&owner, std::move(name)) {}

    int MaxLength = 0; // bytes; 0 is no limit
    bool ReadOnly = false;
    char PasswordChar = 0;
    NotifyEvent OnChange;

    const std::string& Text() const noexcept { return text_; }
    // Sets the text (the caret goes to its end) and fires OnChange when it differs. Code may
    // set a text longer than MaxLength, as on the native control.
    void SetText(std::string text);
    void Clear() { SetText({}); }

    // Selection, in bytes, always on character boundaries.
    int SelStart() const noexcept { return selStart_; }
    int SelLength() const noexcept { return selLength_; }
    void SetSelStart(int start);
    void SetSelLength(int length);
    void SelectAll();
    std::string SelText() const;

    const char* KindName() const override { return "TEdit"; }
    std::string Describe() const override {
        return PasswordChar != 0 ? std::string(text_.size(), PasswordChar) : text_;
    }
    void DefaultKeyChar(char key) override;
    void DefaultKeyDown(std::uint16_t key, ShiftState shift) override;

    // What User does after the key filter: insert typed bytes (one character) at the caret,
    // replacing the selection, if MaxLength allows; false when nothing changed.
    bool InsertTyped(std::string_view character);
    // Pasted text: no key filter, cut to what MaxLength allows; a one-line edit takes the text
    // up to its first line break.
    bool InsertPasted(std::string_view text);
    bool DeleteBackward();
    bool DeleteForward();

protected:
    virtual bool MultiLine() const { return false; }
    virtual bool WantReturns() const { return false; }

private:
    bool Replace(std::string_view insert);
    std::string text_;
    int selStart_ = 0;
    int selLength_ = 0;
};

class ZEPH_HOST_API Edit : public CustomEdit {
public:
    using CustomEdit::CustomEdit;
    bool AutoSelect = true;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

class ZEPH_HOST_API Memo : public CustomEdit {
public:
    Memo(Component* owner, std::string name);
    Memo(Component& owner, std::string name) : Memo(&owner, std::move(name)) {}

    ScrollStyle ScrollBars = ScrollStyle::None;
    bool WordWrap = true;
    bool WantReturnsKey = true;
    bool WantTabs = false;

    // The lines of the text, split at CR LF, LF or CR.
    std::vector<std::string> Lines() const;
    int LineCount() const;
    // Sets the lines, joined by CR LF.
    void SetLines(const std::vector<std::string>& lines);
    void AddLine(std::string_view line);

    const char* KindName() const override { return "TMemo"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool WantsKey(std::uint16_t key) const override;

protected:
    bool MultiLine() const override { return true; }
    bool WantReturns() const override { return WantReturnsKey; }
};

// A number field with up and down arrows. Only digits, signs and control characters reach
// its text from the keyboard.
class ZEPH_HOST_API SpinEdit : public CustomEdit {
public:
    SpinEdit(Component* owner, std::string name);
    SpinEdit(Component& owner, std::string name) : SpinEdit(&owner, std::move(name)) {}

    // Equal bounds (the default 0 and 0) mean no bounds.
    int MinValue = 0;
    int MaxValue = 0;
    int Increment = 1;

    // The text as a number; MinValue when the text is not one.
    int Value() const;
    void SetValue(int value);
    // One click on the up (positive) or down arrow per step.
    void Spin(int steps);

    const char* KindName() const override { return "TSpinEdit"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    static bool IsValidChar(char key);

private:
    int Bounded(int value) const;
};

// An edit with its own label placed beside it.
class ZEPH_HOST_API LabeledEdit : public Edit {
public:
    enum class LabelPositions { Above, Below, Left, Right };
    LabeledEdit(Component* owner, std::string name);
    LabeledEdit(Component& owner, std::string name) : LabeledEdit(&owner, std::move(name)) {}

    Label EditLabel;
    LabelPositions LabelPosition = LabelPositions::Above;
    int LabelSpacing = 3;

    void SetParent(WinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetLabelPosition(LabelPositions position);
    // Places the label again after the edit was moved through its fields.
    void PlaceLabel();

    const char* KindName() const override { return "TLabeledEdit"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

// An edit with a small button at its right end ("..."), which fires OnButtonClick.
class ZEPH_HOST_API ButtonEdit : public Edit {
public:
    using Edit::Edit;
    std::string ButtonCaption = "...";
    std::string ButtonHint;
    bool ButtonEnabled = true;
    NotifyEvent OnButtonClick;
    const char* KindName() const override { return "TButtonEdit"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

} // namespace zeph::forms
