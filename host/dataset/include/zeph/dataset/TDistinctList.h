// An ordered list of distinct texts: the first form of each value is kept, in order of first
// occurrence, and membership ignores ASCII letter case.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
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
    // Adds value unless an equal one (ignoring case) is present, and returns the position of
    // the one the list holds: the value's first form, which may differ from value in case.
    std::size_t AddOrFind(std::string_view value);
    bool Contains(std::string_view value) const;
    std::size_t Count() const noexcept { return items_.size(); }
    const std::vector<std::string>& Items() const noexcept { return items_; }
    // EListError when index is outside 0..Count()-1.
    const std::string& At(std::int64_t index) const;

private:
    // Open addressing over positions in items_, keyed by a case-blind hash, so that a lookup
    // makes no upper-cased copy of the value.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t item = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFU;

    std::size_t Probe(std::string_view value, std::uint32_t hash) const noexcept;
    void Grow();

    std::vector<std::string> items_;
    std::vector<Slot> slots_;
};

} // namespace zeph::dataset
