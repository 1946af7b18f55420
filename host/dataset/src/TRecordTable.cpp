#include <zeph/dataset/DataPacket.h>
#include <zeph/platform/Memory.h>

#include <limits>

namespace zeph::dataset {

void TRecordTable::AddField(TFieldDef field) {
    if (rowCount_ != 0) {
        throw EDataSetError("Cannot add a field to a table that holds rows");
    }
    if (field.name.empty()) {
        throw EDataSetError("Field definition without a name");
    }
    for (const TFieldDef& existing : fields_) {
        if (zeph::text::SameText(existing.name, field.name)) {
            throw EDataSetError("Duplicate field name '" + field.name + "'");
        }
    }
    fields_.push_back(std::move(field));
}

void TRecordTable::AppendRow(std::span<const std::string_view> values) {
    if (values.size() > fields_.size()) {
        throw EDataSetError("Row holds more values than the table has fields");
    }
    std::size_t bytes = 0;
    for (std::string_view v : values) {
        bytes += v.size();
    }
    if (arena_.size() + bytes > std::numeric_limits<std::uint32_t>::max()) {
        throw EDataSetError("Data packet too large");
    }
    zeph::platform::ReserveForGrowth(arena_, arena_.size() + bytes);
    zeph::platform::ReserveForGrowth(ends_, ends_.size() + fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i < values.size()) {
            arena_.append(values[i]);
        }
        ends_.push_back(static_cast<std::uint32_t>(arena_.size()));
    }
    ++rowCount_;
}

void TRecordTable::AppendRow(std::initializer_list<std::string_view> values) {
    AppendRow(std::span<const std::string_view>(values.begin(), values.size()));
}

std::string_view TRecordTable::Value(std::size_t row, std::size_t field) const noexcept {
    if (row >= rowCount_ || field >= fields_.size()) {
        return {};
    }
    std::size_t cell = row * fields_.size() + field;
    std::uint32_t begin = cell == 0 ? 0 : ends_[cell - 1];
    return std::string_view(arena_).substr(begin, ends_[cell] - begin);
}

void TRecordTable::Reserve(std::size_t rows, std::size_t bytes) {
    zeph::platform::ReserveLarge(ends_, rows * fields_.size());
    zeph::platform::ReserveLarge(arena_, bytes);
}

bool operator==(const TRecordTable& a, const TRecordTable& b) noexcept {
    if (a.fields_ != b.fields_ || a.params_ != b.params_ || a.rowCount_ != b.rowCount_) {
        return false;
    }
    for (std::size_t row = 0; row < a.rowCount_; ++row) {
        for (std::size_t field = 0; field < a.fields_.size(); ++field) {
            if (a.Value(row, field) != b.Value(row, field)) {
                return false;
            }
        }
    }
    return true;
}

void TRecordTable::Clear() {
    *this = TRecordTable();
}

} // namespace zeph::dataset
