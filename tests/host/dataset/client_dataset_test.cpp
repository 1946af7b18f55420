// The record set: case-insensitive field lookup, the cursor, equality filters (exact and
// case-sensitive) and predicate filters, loading server answers, and ownership by a window.
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/dataset/TDistinctList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace zeph::dataset;

std::string SamplePacket() {
    TRecordTable table;
    table.AddField({"staffno", "string", 0, {}});
    table.AddField({"ContentID", "string", 0, {}});
    table.AddField({"Score", "string", 0, {}});
    table.AppendRow({"A1", "1", "90"});
    table.AppendRow({"a1", "1", "80"});
    table.AppendRow({"A1", "2", "70"});
    table.AppendRow({"B2", "1", "60"});
    table.AppendRow({"A1", "1", "50"});
    return WriteDataPacket(table);
}

std::vector<std::string> Walk(TClientDataSet& set, const std::string& field) {
    std::vector<std::string> values;
    for (set.First(); !set.Eof(); set.Next()) {
        values.push_back(set.FieldByName(field).AsString());
    }
    return values;
}

TEST(ClientDataSet, FieldsAreFoundWhateverTheirCase) {
    TClientDataSet set(nullptr);
    set.LoadFromXml(SamplePacket());
    EXPECT_EQ(set.FieldByName("StaffNo").FieldName(), "staffno");
    EXPECT_EQ(set.FieldByName("STAFFNO").AsString(), "A1");
    EXPECT_EQ(set.FindField("contentid"), 1);
    EXPECT_EQ(set.FindField("Missing"), -1);
    try {
        set.FieldByName("TotalScore");
        ADD_FAILURE();
    } catch (const EDataSetError& e) {
        EXPECT_STREQ(e.what(), "Field 'TotalScore' not found");
    }
}

TEST(ClientDataSet, CursorWalksInPacketOrderAndStaysOnTheLast) {
    TClientDataSet set(nullptr);
    set.LoadFromXml(SamplePacket());
    EXPECT_TRUE(set.Active());
    EXPECT_EQ(set.RecordCount(), 5u);
    EXPECT_EQ(Walk(set, "Score"), (std::vector<std::string>{"90", "80", "70", "60", "50"}));
    EXPECT_TRUE(set.Eof());
    EXPECT_EQ(set.RecNo(), 5u);
    EXPECT_EQ(set.FieldByName("Score").AsString(), "50");
    set.Next();
    EXPECT_EQ(set.FieldByName("Score").AsString(), "50");
}

TEST(ClientDataSet, EqualityFiltersAreExactAndCaseSensitive) {
    TClientDataSet set(nullptr);
    set.LoadFromXml(SamplePacket());
    set.SetFilter({{"StaffNo", "A1"}});
    EXPECT_TRUE(set.Filtered());
    EXPECT_EQ(set.RecordCount(), 3u);
    EXPECT_EQ(Walk(set, "Score"), (std::vector<std::string>{"90", "70", "50"}));

    set.SetFilter({{"StaffNo", "A1"}, {"ContentID", "1"}});
    EXPECT_EQ(set.RecordCount(), 2u);
    EXPECT_EQ(set.RecNo(), 1u) << "a new filter moves to the first match";
    EXPECT_EQ(set.FieldByName("Score").AsString(), "90");

    set.SetFilter({{"staffno", "a1"}, {"contentid", "1"}});
    EXPECT_EQ(Walk(set, "Score"), (std::vector<std::string>{"80"}));

    set.SetFilter({{"StaffNo", "A1 "}});
    EXPECT_EQ(set.RecordCount(), 0u);
    EXPECT_TRUE(set.Eof());
    EXPECT_EQ(set.FieldByName("Score").AsString(), "") << "no record: every value is empty";

    set.SetFilter({{"StaffNo", "A1"}, {"ContentID", "1"}, {"Score", "50"}});
    EXPECT_EQ(Walk(set, "Score"), (std::vector<std::string>{"50"}));

    set.FilterOff();
    EXPECT_FALSE(set.Filtered());
    EXPECT_EQ(set.RecordCount(), 5u);
    EXPECT_EQ(set.FieldByName("Score").AsString(), "90");

    EXPECT_THROW(set.SetFilter({{"Nope", "1"}}), EDataSetError);
}

TEST(ClientDataSet, PredicateFiltersSelectRowsInOrderAndReplaceTheFilter) {
    TClientDataSet set(nullptr);
    EXPECT_THROW(set.FilterBy([](std::size_t) { return true; }), EDataSetError);
    set.LoadFromXml(SamplePacket());
    const std::size_t score = set.FieldByName("Score").Index();
    set.SetFilter({{"StaffNo", "B2"}});
    // Alternatives: scores of 90 or below 65, whatever the equality filter before.
    set.FilterBy([&](std::size_t row) {
        const std::string_view value = set.Table().Value(row, score);
        return value == "90" || value < "65";
    });
    EXPECT_TRUE(set.Filtered());
    EXPECT_EQ(Walk(set, "Score"), (std::vector<std::string>{"90", "60", "50"}));
    set.FilterBy([](std::size_t) { return false; });
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_TRUE(set.Eof());
    set.FilterOff();
    EXPECT_EQ(set.RecordCount(), 5u);
}

TEST(ClientDataSet, FiltersMatchAScanOfAllRecords) {
    TRecordTable table;
    table.AddField({"A", "string", 0, {}});
    table.AddField({"B", "string", 0, {}});
    for (int i = 0; i < 2000; ++i) {
        table.AppendRow({std::to_string(i % 37), std::to_string(i % 11)});
    }
    TClientDataSet set(nullptr);
    set.LoadFromTable(table);
    for (int a = 0; a < 40; a += 3) {
        for (int b = 0; b < 12; b += 5) {
            set.SetFilter({{"A", std::to_string(a)}, {"B", std::to_string(b)}});
            std::size_t expected = 0;
            for (int i = 0; i < 2000; ++i) {
                expected += (i % 37 == a && i % 11 == b) ? 1 : 0;
            }
            EXPECT_EQ(set.RecordCount(), expected) << a << "," << b;
            for (set.First(); !set.Eof(); set.Next()) {
                EXPECT_EQ(set.FieldByName("A").AsString(), std::to_string(a));
                EXPECT_EQ(set.FieldByName("B").AsString(), std::to_string(b));
            }
        }
    }
}

TEST(ClientDataSet, ServerAnswersLoadFromTheirVariantForm) {
    TClientDataSet set(nullptr);
    set.LoadFromData(zeph::Variant(SamplePacket()));
    EXPECT_TRUE(set.Active());
    EXPECT_EQ(set.RecordCount(), 5u);
    set.LoadFromData(zeph::Variant());
    EXPECT_FALSE(set.Active());
    EXPECT_EQ(set.RecordCount(), 0u);
    set.LoadFromData(zeph::Variant::Null());
    EXPECT_FALSE(set.Active());
    EXPECT_THROW(set.LoadFromData(zeph::Variant(42)), EDataSetError);
    EXPECT_THROW(set.SetFilter({{"A", "1"}}), EDataSetError);
}

TEST(ClientDataSet, FailedLoadLeavesTheSetClosed) {
    TClientDataSet set(nullptr);
    set.LoadFromXml(SamplePacket());
    EXPECT_THROW(set.LoadFromXml("<DATAPACKET>"), EDataSetError);
    EXPECT_FALSE(set.Active());
    EXPECT_EQ(set.FieldCount(), 0u);
}

TEST(ClientDataSet, SavesWhatItHolds) {
    TClientDataSet set(nullptr);
    set.LoadFromXml(SamplePacket());
    set.SetFilter({{"StaffNo", "B2"}});
    TClientDataSet copy(nullptr);
    copy.LoadFromXml(set.SaveToXml());
    EXPECT_EQ(copy.RecordCount(), 5u);
}

TEST(ClientDataSet, WindowsOwnTheirDataSets) {
    zeph::component::Component window(nullptr, "window");
    TClientDataSet cdsA(&window, "cdsA");
    auto* owned = window.Adopt(std::make_unique<TClientDataSet>(&window, "cdsB"));
    EXPECT_EQ(window.FindComponent("CDSA"), &cdsA);
    EXPECT_EQ(window.FindComponent("cdsB"), owned);
    EXPECT_EQ(window.FindComponentOf<TClientDataSet>(), &cdsA);
}

} // namespace
