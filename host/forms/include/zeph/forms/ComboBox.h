// A drop-down: an editable one (DropDown) or a fixed list (DropDownList).
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/Strings.h>

namespace zeph::forms {

enum class ComboStyle { DropDown, DropDownList };

class ZEPH_HOST_API ComboBox : public WinControl {
public:
    ComboBox(Component* owner, std::string name);
    ComboBox(Component& owner, std::string name) : ComboBox(&owner, std::move(name)) {}

    ComboStyle Style = ComboStyle::DropDown;
    int DropDownCount = 8;
    int MaxLength = 0; // bytes of the edit part; 0 is no limit
    Strings Items;

    // A person choosing an item fires OnClick, then OnSelect when set, else OnChange (as the
    // host framework does); typing into the edit part fires OnChange.
    NotifyEvent OnChange;
    NotifyEvent OnSelect;
    NotifyEvent OnDropDown;

    int ItemIndex() const noexcept { return itemIndex_; }
    // Selects by code (no events); -1 selects nothing. Raises std::out_of_range beyond the
    // items.
    void SetItemIndex(int index);
    // The chosen item's text (DropDownList) or the edit part.
    std::string Text() const;
    // A DropDownList selects the item equal to text (ignoring ASCII case) or nothing; a
    // DropDown takes the text. No events.
    void SetText(std::string text);
    void Clear();

    const char* KindName() const override { return "TComboBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    void DefaultKeyChar(char key) override;
    void DefaultKeyDown(std::uint16_t key, ShiftState shift) override;

    // A person choosing item index from the list.
    void UserChoose(int index);
    // Typing and pasting into the edit part (DropDown only); false when nothing changed.
    bool InsertTyped(std::string_view character);
    bool InsertPasted(std::string_view text);

private:
    void ItemsChanged(Strings::Change change, int index);
    int itemIndex_ = -1;
    std::string text_;
};

} // namespace zeph::forms
