#include <zeph/dataset/TClientDataSet.h>
#include <zeph/dataset/TDistinctList.h>

#include <functional>
#include <limits>

namespace zeph::dataset {

namespace {
constexpr std::size_t kNoField = std::numeric_limits<std::size_t>::max();
} // namespace

// Rows grouped by the values of one or two fields: group g holds rows[starts[g], starts[g+1]),
// in packet order. Keys view the table's arena, which lives as long as the index.
struct TClientDataSet::Index {
    struct Key {
        std::string_view a;
        std::string_view b;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept {
            std::size_t h = std::hash<std::string_view>{}(k.a);
            return h ^ (std::hash<std::string_view>{}(k.b) + 0x9e3779b97f4a7c15ULL + (h << 6) +
                        (h >> 2));
        }
    };

    Index(const TRecordTable& table, std::size_t first, std::size_t second) {
        std::size_t n = table.RowCount();
        std::vector<std::uint32_t> groupOfRow(n);
        std::vector<std::uint32_t> counts;
        for (std::size_t row = 0; row < n; ++row) {
            Key key{table.Value(row, first),
                    second == kNoField ? std::string_view() : table.Value(row, second)};
            auto [it, added] = groupOf.try_emplace(key, static_cast<std::uint32_t>(counts.size()));
            if (added) {
                counts.push_back(0);
            }
            groupOfRow[row] = it->second;
            ++counts[it->second];
        }
        starts.resize(counts.size() + 1);
        for (std::size_t g = 0; g < counts.size(); ++g) {
            starts[g + 1] = starts[g] + counts[g];
        }
        rows.resize(n);
        std::vector<std::uint32_t> fill(starts.begin(), starts.end() - 1);
        for (std::size_t row = 0; row < n; ++row) {
            rows[fill[groupOfRow[row]]++] = static_cast<std::uint32_t>(row);
        }
    }

    std::span<const std::uint32_t> Lookup(std::string_view a, std::string_view b) const {
        auto it = groupOf.find(Key{a, b});
        if (it == groupOf.end()) {
            return {};
        }
        return std::span<const std::uint32_t>(rows).subspan(
            starts[it->second], starts[it->second + 1] - starts[it->second]);
    }

    std::unordered_map<Key, std::uint32_t, KeyHash> groupOf;
    std::vector<std::uint32_t> starts;
    std::vector<std::uint32_t> rows;
};

const std::string& TField::FieldName() const {
    return set_->FieldDefs()[index_].name;
}

std::string_view TField::Text() const {
    return set_->Value(index_);
}

TClientDataSet::TClientDataSet(zeph::forms::Component* owner, std::string name)
    : zeph::forms::Component(owner, std::move(name)) {}

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
        fieldByUpperName_.emplace(zeph::text::UpperCase(table_.Fields()[i].name), i);
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

void TClientDataSet::FilterOff() {
    filtered_ = false;
    visible_ = {};
    First();
}

} // namespace zeph::dataset
