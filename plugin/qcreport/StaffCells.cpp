#include "qcreport/StaffCells.h"

#include <limits>
#include <unordered_map>

namespace morvane::qcreport {
namespace {

constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();

} // namespace

TStaffRows::TStaffRows(const zeph::dataset::TRecordTable& table, std::size_t staffField) {
    std::size_t n = table.RowCount();
    staffOfRow_.resize(n);
    for (std::size_t row = 0; row < n; ++row) {
        std::string_view staffNo = table.Value(row, staffField);
        std::size_t member = staff_.AddOrFind(staffNo);
        staffOfRow_[row] =
            staff_.Items()[member] == staffNo ? static_cast<std::uint32_t>(member) : kNoStaff;
    }
}

TStaffCells::TStaffCells(const zeph::dataset::TRecordTable& table, const TStaffRows& staff,
                         std::size_t keyField, std::span<const std::string_view> keys,
                         std::size_t firstStaff, std::size_t lastStaff)
    : firstStaff_(firstStaff) {
    std::unordered_map<std::string_view, std::uint32_t> columnByKey;
    columnOfKey_.reserve(keys.size());
    for (std::string_view key : keys) {
        auto at =
            columnByKey.try_emplace(key, static_cast<std::uint32_t>(columnByKey.size())).first;
        columnOfKey_.push_back(at->second);
    }
    columns_ = columnByKey.size();
    if (lastStaff <= firstStaff || columns_ == 0) {
        return;
    }
    rows_.assign((lastStaff - firstStaff) * columns_, kNoRow);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        std::uint32_t member = staff.StaffOfRow(row);
        if (member == TStaffRows::kNoStaff || member < firstStaff || member >= lastStaff) {
            continue;
        }
        auto column = columnByKey.find(table.Value(row, keyField));
        if (column == columnByKey.end()) {
            continue;
        }
        std::uint32_t& cell = rows_[(member - firstStaff) * columns_ + column->second];
        if (cell == kNoRow) {
            cell = static_cast<std::uint32_t>(row);
        }
    }
}

std::optional<std::size_t> TStaffCells::Row(std::size_t staff, std::size_t key) const noexcept {
    std::uint32_t row = rows_[(staff - firstStaff_) * columns_ + columnOfKey_[key]];
    if (row == kNoRow) {
        return std::nullopt;
    }
    return row;
}

} // namespace morvane::qcreport
