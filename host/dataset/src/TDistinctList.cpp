#include <zeph/dataset/TDistinctList.h>

namespace zeph::dataset {
namespace {

std::uint32_t CaseBlindHash(std::string_view value) noexcept {
    std::size_t h = zeph::text::HashIgnoringCase(value);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

} // namespace

// The slot holding a value equal to value ignoring case, or the free slot where it would go.
std::size_t TDistinctList::Probe(std::string_view value, std::uint32_t hash) const noexcept {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.item == kEmpty ||
            (slot.hash == hash && zeph::text::SameText(items_[slot.item], value))) {
            return i;
        }
    }
}

// Keeps the table at most half full, so that probes stay short.
void TDistinctList::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.item == kEmpty) {
            continue;
        }
        std::size_t i = slot.hash & mask;
        while (slots_[i].item != kEmpty) {
            i = (i + 1) & mask;
        }
        slots_[i] = slot;
    }
}

std::size_t TDistinctList::AddOrFind(std::string_view value) {
    if ((items_.size() + 1) * 2 > slots_.size()) {
        if (items_.size() >= kEmpty - 1) {
            throw std::length_error("too many distinct values");
        }
        Grow();
    }
    std::uint32_t hash = CaseBlindHash(value);
    Slot& slot = slots_[Probe(value, hash)];
    if (slot.item == kEmpty) {
        items_.emplace_back(value);
        slot = {hash, static_cast<std::uint32_t>(items_.size() - 1)};
    }
    return slot.item;
}

bool TDistinctList::Add(std::string_view value) {
    std::size_t before = items_.size();
    AddOrFind(value);
    return items_.size() != before;
}

bool TDistinctList::Contains(std::string_view value) const {
    return !slots_.empty() && slots_[Probe(value, CaseBlindHash(value))].item != kEmpty;
}

const std::string& TDistinctList::At(std::int64_t index) const {
    if (index < 0 || static_cast<std::uint64_t>(index) >= items_.size()) {
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return items_[static_cast<std::size_t>(index)];
}

} // namespace zeph::dataset
