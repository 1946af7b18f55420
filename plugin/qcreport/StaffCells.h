// The staff-by-key reports (SKILL_REPORT, CHECK_REPORT) show, for each staff member and each
// column key, the record an equality filter on StaffNo and the key field finds first. Filtering
// once per cell costs a hash probe per cell, and the cells (staff times keys) can far outnumber
// the records; grouping the records once gives every cell for the price of a pass.
#pragma once

#include <zeph/dataset/DataPacket.h>
#include <zeph/dataset/TDistinctList.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvane::qcreport {

// The staff members in order of first appearance, ignoring case and keeping each one's first
// form, and for each row the member whose first form its StaffNo equals exactly: a row that
// spells a member's number in other letter case is no member's, as a filter on the number
// would not find it.
class TStaffRows {
public:
    static constexpr std::uint32_t kNoStaff = 0xFFFFFFFFU;

    TStaffRows(const zeph::dataset::TRecordTable& table, std::size_t staffField);

    const zeph::dataset::TDistinctList& Staff() const noexcept { return staff_; }
    std::uint32_t StaffOfRow(std::size_t row) const noexcept { return staffOfRow_[row]; }

private:
    zeph::dataset::TDistinctList staff_;
    std::vector<std::uint32_t> staffOfRow_;
};

// For the members firstStaff..lastStaff-1 and each key, the first row (in packet order) of that
// member whose key field equals the key exactly. Keys may repeat; each has its own column.
class TStaffCells {
public:
    TStaffCells(const zeph::dataset::TRecordTable& table, const TStaffRows& staff,
                std::size_t keyField, std::span<const std::string_view> keys,
                std::size_t firstStaff, std::size_t lastStaff);

    // staff within firstStaff..lastStaff-1, key a position in keys.
    std::optional<std::size_t> Row(std::size_t staff, std::size_t key) const noexcept;

private:
    std::size_t firstStaff_;
    std::size_t columns_;
    std::vector<std::uint32_t> columnOfKey_; // key -> column of its first occurrence
    std::vector<std::uint32_t> rows_;        // (staff - firstStaff) * columns_ + column
};

} // namespace morvane::qcreport
