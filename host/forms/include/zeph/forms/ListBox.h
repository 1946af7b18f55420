// A list of texts, and the same with a check box per item.
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/Strings.h>

#include <vector>

namespace zeph::forms {

class ZEPH_HOST_API ListBox : public WinControl {
public:
    ListBox(Component* owner, std::string name);
    ListBox(Component& owner, std::string name) : ListBox(&owner, std::move(name)) {}

    Strings Items;
    bool MultiSelect = false;
    // With MultiSelect, a plain click selects only the clicked item; ExtendedSelect lets
    // ctrl-clicks add to the selection.
    bool ExtendedSelect = true;
    bool Sorted = false;

    // The focused item, -1 for none. Setting it by code selects that item alone.
    int ItemIndex() const noexcept { return itemIndex_; }
    void SetItemIndex(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    void ClearSelection();

    const char* KindName() const override { return "TListBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;

    // A person clicking item index (extend: with ctrl held, in a multi-select list).
    void UserClickItem(int index, bool extend);

protected:
    struct ItemState {
        bool selected = false;
        bool checked = false;
        bool enabled = true;
    };
    std::vector<ItemState>& States() noexcept { return states_; }
    const std::vector<ItemState>& States() const noexcept { return states_; }
    void CheckIndex(int index) const;

private:
    void ItemsChanged(Strings::Change change, int index);
    std::vector<ItemState> states_;
    int itemIndex_ = -1;
};

class ZEPH_HOST_API CheckListBox : public ListBox {
public:
    using ListBox::ListBox;

    // Fired when a person changes a tick (by click or the space key), before OnClick.
    NotifyEvent OnClickCheck;

    bool Checked(int index) const;
    // By code: no events.
    void SetChecked(int index, bool checked);
    bool ItemEnabled(int index) const;
    void SetItemEnabled(int index, bool enabled);

    const char* KindName() const override { return "TCheckListBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    std::string Describe() const override;
    // Space toggles the tick of the focused item.
    void DefaultKeyChar(char key) override;

    // A person clicking the check box of item index: the item becomes the focused one, its
    // tick toggles (OnClickCheck), then OnClick.
    void UserToggle(int index);
};

} // namespace zeph::forms
