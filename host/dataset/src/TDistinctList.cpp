#include <zeph/dataset/TDistinctList.h>

namespace zeph::dataset {

bool TDistinctList::Add(std::string_view value) {
    if (!keys_.insert(zeph::text::UpperCase(value)).second) {
        return false;
    }
    items_.emplace_back(value);
    return true;
}

bool TDistinctList::Contains(std::string_view value) const {
    return keys_.contains(zeph::text::UpperCase(value));
}

const std::string& TDistinctList::At(std::int64_t index) const {
    if (index < 0 || static_cast<std::uint64_t>(index) >= items_.size()) {
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return items_[static_cast<std::size_t>(index)];
}

} // namespace zeph::dataset
