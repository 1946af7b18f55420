#include <zeph/dataset/TClientDataSet.h>
#include <zeph/dataset/TDistinctList.h>

#include <functional>
#include <limits>

namespace zeph::dataset {

namespace {
constexpr std::size_t kNoField = std::numeric_limits<std::size_t>::max();
} // namespace

// Rows grouped by the values of one or two fields: group g holds rows[starts[g], starts[g+1]),
// in packet order. Groups are found through an open-addressing table of (hash, group) slots;
// a group's key is read back from its first row, so the index stores no text of its own.
struct TClientDataSet::Index {
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t group = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();

    Index(const TRecordTable& table, std::size_t first, std::size_t second)
        : table_(table), first_(first), second_(second) {
        std::size_t n = table.RowCount();
        std::size_t capacity = 16;
        while (capacity < n * 2) {
            capacity *= 2;
        }
        slots_.resize(capacity);
        std::vector<std::uint32_t> groupOfRow(n);
        std::vector<std::uint32_t> counts;
        for (std::size_t row = 0; row < n; ++row) {
            std::string_view a = table.Value(row, first);
            std::string_view b = second == kNoField ? std::string_view() : table.Value(row, second);
            std::uint32_t hash = Hash(a, b);
            Slot& slot = Probe(a, b, hash);
            if (slot.group == kEmpty) {
                slot.hash = hash;
                slot.group = static_cast<std::uint32_t>(counts.size());
                counts.push_back(0);
                firstRows_.push_back(static_cast<std::uint32_t>(row));
            }
            groupOfRow[row] = slot.group;
            ++counts[slot.group];
        }
        starts_.resize(counts.size() + 1);
        for (std::size_t g = 0; g < counts.size(); ++g) {
            starts_[g + 1] = starts_[g] + counts[g];
        }
        rows_.resize(n);
        std::vector<std::uint32_t> fill(starts_.begin(), starts_.end() - 1);
        for (std::size_t row = 0; row < n; ++row) {
            rows_[fill[groupOfRow[row]]++] = static_cast<std::uint32_t>(row);
        }
    }

    std::span<const std::uint32_t> Lookup(std::string_view a, std::string_view b) const {
        const Slot& slot = const_cast<Index*>(this)->Probe(a, b, Hash(a, b));
        if (slot.group == kEmpty) {
            return {};
        }
        return std::span<const std::uint32_t>(rows_).subspan(
            starts_[slot.group], starts_[slot.group + 1] - starts_[slot.group]);
    }

private:
    static std::uint32_t Hash(std::string_view a, std::string_view b) noexcept {
        std::size_t h = std::hash<std::string_view>{}(a);
        h ^= std::hash<std::string_view>{}(b) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    // The slot holding the key, or the empty slot where it would go.
    Slot& Probe(std::string_view a, std::string_view b, std::uint32_t hash) {
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.group == kEmpty) {
                return slot;
            }
            if (slot.hash == hash) {
                std::uint32_t row = firstRows_[slot.group];
                if (table_.Value(row, first_) == a &&
                    (second_ == kNoField || table_.Value(row, second_) == b)) {
                    return slot;
                }
            }
        }
    }

    const TRecordTable& table_;
    std::size_t first_;
    std::size_t second_;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> firstRows_;
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> rows_;
};

const std::string& TField::FieldName() const {
    return set_->FieldDefs()[index_].name;
}

std::string_view TField::Text() const {
    return set_->Value(index_);
}

TClientDataSet::TClientDataSet(zeph::component::Component* owner, std::string name)
    : zeph::component::Component(owner, std::move(name)) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::LoadFromXml(std::string_view packet) {
    Close();
    LoadFromTable(ReadDataPacket(packet));
}

void TClientDataSet::LoadFromData(const zeph::Variant& data) {
    Close();
    switch (data.GetKind()) {
    case zeph::Variant::Kind::Empty:
    case zeph::Variant::Kind::Null:
        return;
    case zeph::Variant::Kind::Text:
        LoadFromXml(data.AsText());
        return;
    default:
        throw EDataSetError("Invalid data packet: the data is not a packet text");
    }
}

void TClientDataSet::LoadFromTable(TRecordTable table) {
    Close();
    table_ = std::move(table);
    for (std::size_t i = 0; i < table_.FieldCount(); ++i) {
        const std::string& name = table_.Fields()[i].name;
        fieldByUpperName_.emplace(zeph::text::UpperCase(name), i);
        fieldByExactName_.emplace(name, i);
    }
    active_ = true;
    First();
}

std::string TClientDataSet::SaveToXml() const {
    RequireActive();
    return WriteDataPacket(table_);
}

void TClientDataSet::Close() {
    indexes_.clear();
    ownFiltered_.clear();
    visible_ = {};
    filtered_ = false;
    fieldByUpperName_.clear();
    fieldByExactName_.clear();
    table_.Clear();
    active_ = false;
    position_ = 0;
    eof_ = true;
}

std::size_t TClientDataSet::RecordCount() const noexcept {
    return filtered_ ? visible_.size() : table_.RowCount();
}

void TClientDataSet::First() noexcept {
    position_ = 0;
    eof_ = RecordCount() == 0;
}

void TClientDataSet::Next() noexcept {
    if (position_ + 1 < RecordCount()) {
        ++position_;
    } else {
        eof_ = true;
    }
}

std::size_t TClientDataSet::RecNo() const noexcept {
    return RecordCount() == 0 ? 0 : position_ + 1;
}

int TClientDataSet::FindField(std::string_view name) const {
    if (auto exact = fieldByExactName_.find(name); exact != fieldByExactName_.end()) {
        return static_cast<int>(exact->second);
    }
    auto it = fieldByUpperName_.find(zeph::text::UpperCase(name));
    return it == fieldByUpperName_.end() ? -1 : static_cast<int>(it->second);
}

std::size_t TClientDataSet::ResolveField(std::string_view name) const {
    int index = FindField(name);
    if (index < 0) {
        throw EDataSetError("Field '" + std::string(name) + "' not found");
    }
    return static_cast<std::size_t>(index);
}

TField TClientDataSet::FieldByName(std::string_view name) const {
    return TField(*this, ResolveField(name));
}

TField TClientDataSet::Fields(std::size_t index) const {
    if (index >= FieldCount()) {
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return TField(*this, index);
}

std::string_view TClientDataSet::Value(std::size_t field) const noexcept {
    std::size_t count = RecordCount();
    if (count == 0) {
        return {};
    }
    std::size_t row = filtered_ ? visible_[position_] : position_;
    return table_.Value(row, field);
}

void TClientDataSet::RequireActive() const {
    if (!active_) {
        throw EDataSetError("Cannot perform this operation on a closed dataset");
    }
}

const TClientDataSet::Index& TClientDataSet::IndexFor(std::size_t first, std::size_t second) {
    auto& slot = indexes_[{first, second}];
    if (!slot) {
        slot = std::make_unique<Index>(table_, first, second);
    }
    return *slot;
}

void TClientDataSet::SetFilter(std::span<const TFilterCondition> conditions) {
    RequireActive();
    if (conditions.empty()) {
        FilterOff();
        return;
    }
    std::vector<std::size_t> fields;
    fields.reserve(conditions.size());
    for (const TFilterCondition& c : conditions) {
        fields.push_back(ResolveField(c.fieldName));
    }
    std::span<const std::uint32_t> rows;
    if (fields.size() == 1) {
        rows = IndexFor(fields[0], kNoField).Lookup(conditions[0].value, {});
    } else {
        rows = IndexFor(fields[0], fields[1]).Lookup(conditions[0].value, conditions[1].value);
    }
    if (fields.size() > 2) {
        ownFiltered_.clear();
        for (std::uint32_t row : rows) {
            bool all = true;
            for (std::size_t i = 2; i < fields.size() && all; ++i) {
                all = table_.Value(row, fields[i]) == conditions[i].value;
            }
            if (all) {
                ownFiltered_.push_back(row);
            }
        }
        rows = ownFiltered_;
    }
    visible_ = rows;
    filtered_ = true;
    First();
}

void TClientDataSet::SetFilter(std::initializer_list<TFilterCondition> conditions) {
    SetFilter(std::span<const TFilterCondition>(conditions.begin(), conditions.size()));
}

void TClientDataSet::FilterBy(const std::function<bool(std::size_t row)>& accept) {
    RequireActive();
    ownFiltered_.clear();
    for (std::size_t row = 0; row < table_.RowCount(); ++row) {
        if (accept(row)) {
            ownFiltered_.push_back(static_cast<std::uint32_t>(row));
        }
    }
    visible_ = ownFiltered_;
    filtered_ = true;
    First();
}

void TClientDataSet::FilterOff() {
    filtered_ = false;
    visible_ = {};
    First();
}

} // namespace zeph::dataset
