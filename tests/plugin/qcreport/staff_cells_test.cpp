// The staff grid against the two things it stands in for: the distinct list of staff numbers,
// built here by a linear search with SameText, and the dataset's equality filter on StaffNo and
// the key, whose first record each cell must be. Numbers differ in letter case (including a
// double-byte character whose trail byte is a letter), keys repeat and go missing, and pages
// start and end anywhere.
#include "qcreport/StaffCells.h"

#include <zeph/dataset/TClientDataSet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using morvane::qcreport::TStaffCells;
using morvane::qcreport::TStaffRows;
using zeph::dataset::TClientDataSet;
using zeph::dataset::TRecordTable;

std::vector<std::string> DistinctIgnoringCase(const TRecordTable& table) {
    std::vector<std::string> distinct;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        std::string_view value = table.Value(row, 0);
        bool seen = false;
        for (const std::string& d : distinct) {
            seen = seen || zeph::text::SameText(d, value);
        }
        if (!seen) {
            distinct.emplace_back(value);
        }
    }
    return distinct;
}

TEST(StaffCells, EveryCellIsTheFirstRecordTheFilterFinds) {
    const std::vector<std::string> staffForms = {"a1",
                                                 "A1",
                                                 "b2",
                                                 "B2",
                                                 "c3",
                                                 "\x81"
                                                 "a",
                                                 "\x81"
                                                 "A",
                                                 zeph::text::Utf8ToGbk("张三"),
                                                 ""};
    const std::vector<std::string> keyForms = {"k1", "K1", "k2", "k3", ""};
    std::mt19937 random(20261209);
    auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 200; ++round) {
        TRecordTable table;
        table.AddField({"StaffNo", "string", 0, {}});
        table.AddField({"Key", "string", 0, {}});
        table.AddField({"Row", "string", 0, {}});
        std::size_t rows = pick(60);
        for (std::size_t r = 0; r < rows; ++r) {
            table.AppendRow({staffForms[pick(staffForms.size())], keyForms[pick(keyForms.size())],
                             std::to_string(r)});
        }
        std::vector<std::string> keyStore;
        for (std::size_t k = pick(6); k > 0; --k) {
            keyStore.push_back(pick(4) == 0 ? "zz" : keyForms[pick(keyForms.size())]);
        }
        std::vector<std::string_view> keys(keyStore.begin(), keyStore.end());

        TStaffRows staff(table, 0);
        std::vector<std::string> members = DistinctIgnoringCase(table);
        ASSERT_EQ(staff.Staff().Items(), members) << "round " << round;
        std::size_t last = pick(members.size() + 1);
        std::size_t first = pick(last + 1);
        TStaffCells cells(table, staff, 1, keys, first, last);

        TClientDataSet set(nullptr);
        set.LoadFromTable(table);
        for (std::size_t member = first; member < last; ++member) {
            for (std::size_t k = 0; k < keys.size(); ++k) {
                set.SetFilter({{"StaffNo", members[member]}, {"Key", keyStore[k]}});
                auto row = cells.Row(member, k);
                SCOPED_TRACE("round " + std::to_string(round) + ", member " + members[member] +
                             ", key " + keyStore[k]);
                ASSERT_EQ(row.has_value(), set.RecordCount() > 0);
                if (row) {
                    EXPECT_EQ(table.Value(*row, 2), set.Value(2));
                }
            }
        }
        for (std::size_t row = 0; row < table.RowCount(); ++row) {
            std::uint32_t member = staff.StaffOfRow(row);
            if (member == TStaffRows::kNoStaff) {
                EXPECT_EQ(std::count(members.begin(), members.end(), table.Value(row, 0)), 0);
            } else {
                EXPECT_EQ(members[member], table.Value(row, 0));
            }
        }
    }
}

} // namespace
