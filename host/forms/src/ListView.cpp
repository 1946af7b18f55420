#include <zeph/forms/ListView.h>

#include <algorithm>
#include <stdexcept>

namespace zeph::forms {

void ListItem::SetChecked(bool checked) {
    if (checked_ != checked) {
        checked_ = checked;
        owner_->ItemCheckedChanged(*this);
    }
}

void ListItem::SetSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    if (selected && !owner_->MultiSelect) {
        for (int i = 0; i < owner_->Items.Count(); ++i) {
            ListItem& other = owner_->Items[i];
            if (&other != this && other.selected_) {
                other.selected_ = false;
                owner_->ItemSelectedChanged(other);
            }
        }
    }
    selected_ = selected;
    owner_->ItemSelectedChanged(*this);
}

int ListItem::Index() const {
    return owner_->Items.IndexOf(*this);
}

ListItem& ListItems::Add() {
    return Insert(Count());
}

ListItem& ListItems::Insert(int index) {
    if (index < 0 || index > Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    auto item = std::make_unique<ListItem>(owner_);
    ListItem& ref = *item;
    items_.insert(items_.begin() + index, std::move(item));
    return ref;
}

void ListItems::Delete(int index) {
    ListItem& item = (*this)[index];
    (void)item;
    items_.erase(items_.begin() + index);
}

void ListItems::Clear() {
    items_.clear();
}

ListItem& ListItems::operator[](int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    return *items_[static_cast<std::size_t>(index)];
}

int ListItems::IndexOf(const ListItem& item) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == &item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ListView::ListView(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    Width = 250;
    Height = 150;
    TabStop = true;
    Color = clWindow;
}

ListView::~ListView() {
    // Items go without reporting state changes to a half-destroyed view.
    clearing_ = true;
    Items.Clear();
}

ListColumn& ListView::AddColumn(std::string caption, int width, forms::Alignment alignment) {
    Columns.push_back(ListColumn{std::move(caption), width, alignment, false});
    return Columns.back();
}

ListItem* ListView::Selected() const {
    for (int i = 0; i < Items.Count(); ++i) {
        if (Items[i].Selected()) {
            return &Items[i];
        }
    }
    return nullptr;
}

void ListView::SetSelected(ListItem* item) {
    if (item != nullptr) {
        item->SetSelected(true);
        if (MultiSelect) {
            for (int i = 0; i < Items.Count(); ++i) {
                if (&Items[i] != item) {
                    Items[i].SetSelected(false);
                }
            }
        }
        return;
    }
    for (int i = 0; i < Items.Count(); ++i) {
        Items[i].SetSelected(false);
    }
}

int ListView::ItemIndex() const {
    ListItem* item = Selected();
    return item == nullptr ? -1 : item->Index();
}

void ListView::SetItemIndex(int index) {
    SetSelected(index < 0 ? nullptr : &Items[index]);
}

void ListView::ItemCheckedChanged(ListItem& item) {
    if (!clearing_ && OnItemChecked) {
        OnItemChecked(*this, item);
    }
}

void ListView::ItemSelectedChanged(ListItem& item) {
    if (!clearing_ && OnSelectItem) {
        OnSelectItem(*this, item, item.Selected());
    }
}

std::string ListView::Describe() const {
    std::string out;
    for (int i = 0; i < Items.Count(); ++i) {
        const ListItem& item = Items[i];
        out += i == 0 ? "" : " | ";
        out += std::to_string(i);
        out += item.Selected() ? "*" : "";
        if (Checkboxes) {
            out += item.Checked() ? " [x]" : " [ ]";
        }
        out += " " + item.Caption;
        for (const auto& sub : item.SubItems) {
            out += " / " + sub;
        }
    }
    return out;
}

void ListView::DefaultKeyChar(char key) {
    if (key == ' ' && Checkboxes) {
        if (ListItem* item = Selected()) {
            item->SetChecked(!item->Checked());
        }
    }
}

void ListView::UserClickItem(int index) {
    ListItem& item = Items[index];
    SetSelected(&item);
    Fire(OnClick);
}

void ListView::UserToggle(int index) {
    ListItem& item = Items[index];
    item.SetChecked(!item.Checked());
    Fire(OnClick);
}

void ListView::UserDoubleClickItem(int index) {
    ListItem& item = Items[index];
    SetSelected(&item);
    Fire(OnClick);
    Fire(OnDblClick);
    if (Checkboxes && index < Items.Count() && &Items[index] == &item) {
        item.SetChecked(!item.Checked());
    }
}

} // namespace zeph::forms
