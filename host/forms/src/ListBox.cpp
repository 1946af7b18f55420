#include <zeph/forms/ListBox.h>

#include <algorithm>
#include <stdexcept>

namespace zeph::forms {

ListBox::ListBox(Component* owner, std::string name)
    : WinControl(owner, std::move(name)),
      Items([this](Strings::Change change, int index) { ItemsChanged(change, index); }) {
    Width = 121;
    Height = 97;
    TabStop = true;
    Color = clWindow;
}

void ListBox::ItemsChanged(Strings::Change change, int index) {
    switch (change) {
    case Strings::Change::Clear:
        states_.clear();
        itemIndex_ = -1;
        break;
    case Strings::Change::Insert:
        states_.insert(states_.begin() + index, ItemState{});
        if (itemIndex_ >= index && itemIndex_ >= 0) {
            ++itemIndex_;
        }
        break;
    case Strings::Change::Delete:
        states_.erase(states_.begin() + index);
        if (itemIndex_ == index) {
            itemIndex_ = -1;
        } else if (itemIndex_ > index) {
            --itemIndex_;
        }
        break;
    case Strings::Change::Set:
        break;
    }
}

void ListBox::CheckIndex(int index) const {
    if (index < 0 || index >= Items.Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
}

void ListBox::SetItemIndex(int index) {
    if (index != -1) {
        CheckIndex(index);
    }
    ClearSelection();
    itemIndex_ = index;
    if (index >= 0) {
        states_[static_cast<std::size_t>(index)].selected = true;
    }
}

bool ListBox::Selected(int index) const {
    CheckIndex(index);
    return states_[static_cast<std::size_t>(index)].selected;
}

void ListBox::SetSelected(int index, bool selected) {
    CheckIndex(index);
    if (!MultiSelect && selected) {
        SetItemIndex(index);
        return;
    }
    states_[static_cast<std::size_t>(index)].selected = selected;
}

int ListBox::SelCount() const {
    return static_cast<int>(std::count_if(states_.begin(), states_.end(),
                                          [](const ItemState& s) { return s.selected; }));
}

void ListBox::ClearSelection() {
    for (auto& state : states_) {
        state.selected = false;
    }
}

std::string ListBox::Describe() const {
    std::string out;
    for (int i = 0; i < Items.Count(); ++i) {
        out += i == 0 ? "" : " | ";
        out += std::to_string(i) + (states_[static_cast<std::size_t>(i)].selected ? "*: " : ": ") +
               Items[i];
    }
    return out;
}

void ListBox::UserClickItem(int index, bool extend) {
    CheckIndex(index);
    bool changed = false;
    if (MultiSelect && extend) {
        auto& state = states_[static_cast<std::size_t>(index)];
        state.selected = !state.selected;
        itemIndex_ = index;
        changed = true;
    } else {
        changed = itemIndex_ != index || SelCount() != 1 || !Selected(index);
        SetItemIndex(index);
    }
    if (changed) {
        Fire(OnClick);
    }
}

bool CheckListBox::Checked(int index) const {
    CheckIndex(index);
    return States()[static_cast<std::size_t>(index)].checked;
}

void CheckListBox::SetChecked(int index, bool checked) {
    CheckIndex(index);
    States()[static_cast<std::size_t>(index)].checked = checked;
}

bool CheckListBox::ItemEnabled(int index) const {
    CheckIndex(index);
    return States()[static_cast<std::size_t>(index)].enabled;
}

void CheckListBox::SetItemEnabled(int index, bool enabled) {
    CheckIndex(index);
    States()[static_cast<std::size_t>(index)].enabled = enabled;
}

std::string CheckListBox::Describe() const {
    std::string out;
    for (int i = 0; i < Items.Count(); ++i) {
        out += i == 0 ? "" : " | ";
        out += std::to_string(i) + (Checked(i) ? " [x] " : " [ ] ") + Items[i];
    }
    return out;
}

void CheckListBox::DefaultKeyChar(char key) {
    if (key == ' ' && ItemIndex() >= 0 && ItemEnabled(ItemIndex())) {
        SetChecked(ItemIndex(), !Checked(ItemIndex()));
        Fire(OnClickCheck);
    }
}

void CheckListBox::UserToggle(int index) {
    CheckIndex(index);
    if (!ItemEnabled(index)) {
        return;
    }
    if (!Selected(index) || ItemIndex() != index || SelCount() != 1) {
        SetItemIndex(index);
    }
    SetChecked(index, !Checked(index));
    Fire(OnClickCheck);
    Fire(OnClick);
}

} // namespace zeph::forms
