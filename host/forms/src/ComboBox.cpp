#include <zeph/forms/ComboBox.h>

#include <stdexcept>

namespace zeph::forms {

ComboBox::ComboBox(Component* owner, std::string name)
    : WinControl(owner, std::move(name)),
      Items([this](Strings::Change change, int index) { ItemsChanged(change, index); }) {
    Width = 145;
    Height = 21;
    TabStop = true;
    Color = clWindow;
}

void ComboBox::ItemsChanged(Strings::Change change, int index) {
    switch (change) {
    case Strings::Change::Clear:
        itemIndex_ = -1;
        text_.clear();
        break;
    case Strings::Change::Insert:
        if (itemIndex_ >= index && itemIndex_ >= 0) {
            ++itemIndex_;
        }
        break;
    case Strings::Change::Delete:
        if (itemIndex_ == index) {
            itemIndex_ = -1;
            text_.clear();
        } else if (itemIndex_ > index) {
            --itemIndex_;
        }
        break;
    case Strings::Change::Set:
        if (itemIndex_ == index) {
            text_ = Items[index];
        }
        break;
    }
}

void ComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= Items.Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    itemIndex_ = index;
    text_ = index >= 0 ? Items[index] : std::string();
}

std::string ComboBox::Text() const {
    if (Style == ComboStyle::DropDownList) {
        return itemIndex_ >= 0 ? Items[itemIndex_] : std::string();
    }
    return text_;
}

void ComboBox::SetText(std::string text) {
    if (Style == ComboStyle::DropDownList) {
        SetItemIndex(Items.IndexOf(text));
        return;
    }
    int index = -1;
    for (int i = 0; i < Items.Count(); ++i) {
        if (Items[i] == text) {
            index = i;
            break;
        }
    }
    itemIndex_ = index;
    text_ = std::move(text);
}

void ComboBox::Clear() {
    Items.Clear();
}

std::string ComboBox::Describe() const {
    std::string out = Text();
    out += out.empty() ? "[" : " [";
    for (int i = 0; i < Items.Count(); ++i) {
        if (i > 0) {
            out += " | ";
        }
        out += std::to_string(i) + ": " + Items[i];
    }
    out += "]";
    return out;
}

void ComboBox::UserChoose(int index) {
    if (index < 0 || index >= Items.Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    bool changed = index != itemIndex_ || text_ != Items[index];
    SetItemIndex(index);
    if (!changed) {
        return; // choosing the chosen item again sends no selection change
    }
    Fire(OnClick);
    if (OnSelect) {
        OnSelect(*this);
    } else {
        Fire(OnChange);
    }
}

bool ComboBox::InsertTyped(std::string_view character) {
    if (Style == ComboStyle::DropDownList || character.empty()) {
        return false;
    }
    if (MaxLength > 0 && text_.size() + character.size() > static_cast<std::size_t>(MaxLength)) {
        return false;
    }
    text_ += character;
    itemIndex_ = -1;
    Fire(OnChange);
    return true;
}

bool ComboBox::InsertPasted(std::string_view text) {
    if (Style == ComboStyle::DropDownList) {
        return false;
    }
    std::string_view insert = text.substr(0, text.find_first_of("\r\n"));
    if (MaxLength > 0) {
        std::size_t room = text_.size() >= static_cast<std::size_t>(MaxLength)
                               ? 0
                               : static_cast<std::size_t>(MaxLength) - text_.size();
        insert = insert.substr(0, zeph::text::BoundaryAtOrBefore(insert, room));
    }
    if (insert.empty()) {
        return false;
    }
    text_ += insert;
    itemIndex_ = -1;
    Fire(OnChange);
    return true;
}

void ComboBox::DefaultKeyChar(char key) {
    auto c = static_cast<unsigned char>(key);
    if (Style == ComboStyle::DropDownList) {
        return;
    }
    if (c == 8) {
        if (!text_.empty()) {
            std::size_t start = 0;
            for (std::size_t i = 0; i < text_.size(); i += zeph::text::CharLength(text_, i)) {
                start = i;
            }
            text_.erase(start);
            itemIndex_ = -1;
            Fire(OnChange);
        }
    } else if (c >= 0x20 && c != 0x7F && !zeph::text::IsLeadByte(c)) {
        char ch[1] = {key};
        InsertTyped(std::string_view(ch, 1));
    }
}

void ComboBox::DefaultKeyDown(std::uint16_t key, ShiftState) {
    // The arrow keys walk the items as a selection by the person.
    if (key == keys::Down && itemIndex_ + 1 < Items.Count()) {
        UserChoose(itemIndex_ + 1);
    } else if (key == keys::Up && itemIndex_ > 0) {
        UserChoose(itemIndex_ - 1);
    }
}

} // namespace zeph::forms
