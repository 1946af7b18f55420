// An ordered list of distinct texts: the first form of each value is kept, in order of first
// occurrence, and membership ignores ASCII letter case.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zeph::dataset {

// Raised for an index outside a list: "List index out of bounds (n)".
class ZEPH_HOST_API EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class ZEPH_HOST_API TDistinctList {
public:
    // Adds value unless an equal one (ignoring case) is present; true when it was added.
    bool Add(std::string_view value);
    bool Contains(std::string_view value) const;
    std::size_t Count() const noexcept { return items_.size(); }
    const std::vector<std::string>& Items() const noexcept { return items_; }
    // EListError when index is outside 0..Count()-1.
    const std::string& At(std::int64_t index) const;

private:
    std::vector<std::string> items_;
    std::unordered_set<std::string> keys_; // upper-cased
};

} // namespace zeph::dataset
