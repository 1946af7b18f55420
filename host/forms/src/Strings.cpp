#include <zeph/forms/Strings.h>

#include <stdexcept>

namespace zeph::forms {

void Strings::Check(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
}

const std::string& Strings::operator[](int index) const {
    Check(index);
    return items_[static_cast<std::size_t>(index)];
}

void Strings::Set(int index, std::string text) {
    Check(index);
    items_[static_cast<std::size_t>(index)] = std::move(text);
    Notify(Change::Set, index);
}

int Strings::Add(std::string text) {
    items_.push_back(std::move(text));
    int index = Count() - 1;
    Notify(Change::Insert, index);
    return index;
}

void Strings::Insert(int index, std::string text) {
    if (index < 0 || index > Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    items_.insert(items_.begin() + index, std::move(text));
    Notify(Change::Insert, index);
}

void Strings::Delete(int index) {
    Check(index);
    items_.erase(items_.begin() + index);
    Notify(Change::Delete, index);
}

void Strings::Clear() {
    items_.clear();
    Notify(Change::Clear, -1);
}

void Strings::Assign(const std::vector<std::string>& items) {
    Clear();
    for (const auto& item : items) {
        Add(item);
    }
}

int Strings::IndexOf(std::string_view text) const {
    for (int i = 0; i < Count(); ++i) {
        if (zeph::text::SameText(items_[static_cast<std::size_t>(i)], text)) {
            return i;
        }
    }
    return -1;
}

std::string Strings::Text() const {
    std::string out;
    for (const auto& item : items_) {
        out += item;
        out += "\r\n";
    }
    return out;
}

void Strings::SetText(std::string_view text) {
    Clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            Add(std::string(text.substr(start)));
            break;
        }
        Add(std::string(text.substr(start, stop - start)));
        start =
            stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
    }
}

} // namespace zeph::forms
