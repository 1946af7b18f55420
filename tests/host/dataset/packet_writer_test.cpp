// Writing packets: what is written reads back as the same table, whatever the values hold.
#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

namespace {

using namespace zeph::dataset;

TRecordTable Sample() {
    TRecordTable table;
    table.AddField({"StaffNo", "string", 20, {}});
    table.AddField({zeph::text::Utf8ToGbk("姓名"), "string", 0, {{"required", "true"}}});
    table.Params().emplace_back("DEFAULT_ORDER", "1");
    table.AppendRow({"A1", zeph::text::Utf8ToGbk("张三")});
    table.AppendRow({"q\"<&>'", "line\r\nnext\ttab"});
    table.AppendRow({"", ""});
    table.AppendRow({"only first"});
    return table;
}

TEST(PacketWriter, WrittenPacketReadsBackUnchanged) {
    TRecordTable table = Sample();
    TRecordTable back = ReadDataPacket(WriteDataPacket(table));
    ASSERT_EQ(back.FieldCount(), 2u);
    EXPECT_EQ(back.Fields()[0].name, "StaffNo");
    EXPECT_EQ(back.Fields()[0].width, 20);
    EXPECT_EQ(back.Fields()[1].name, table.Fields()[1].name);
    EXPECT_EQ(back.Fields()[1].extra, table.Fields()[1].extra);
    EXPECT_EQ(back.Params(), table.Params());
    ASSERT_EQ(back.RowCount(), table.RowCount());
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        for (std::size_t f = 0; f < table.FieldCount(); ++f) {
            EXPECT_EQ(back.Value(r, f), table.Value(r, f)) << r << "," << f;
        }
    }
}

TEST(PacketWriter, EscapesWhatXmlNeedsEscaped) {
    std::string text = WriteDataPacket(Sample());
    EXPECT_NE(text.find(R"(StaffNo="q&quot;&lt;&amp;&gt;'")"), std::string::npos) << text;
    EXPECT_NE(text.find("line&#13;&#10;next&#9;tab"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(PacketWriter, RefusesWhatAPacketCannotCarry) {
    TRecordTable control;
    control.AddField({"A", "string", 0, {}});
    control.AppendRow({std::string_view("a\x01", 2)});
    EXPECT_THROW(WriteDataPacket(control), EDataSetError);

    for (const char* name : {"two words", "xmlns"}) {
        TRecordTable badName;
        badName.AddField({name, "string", 0, {}});
        EXPECT_THROW(WriteDataPacket(badName), EDataSetError) << name;
    }
}

TEST(RecordTable, FieldsAreUniqueIgnoringCaseAndFixedOnceRowsExist) {
    TRecordTable table;
    table.AddField({"StaffNo", "string", 0, {}});
    EXPECT_THROW(table.AddField({"STAFFNO", "string", 0, {}}), EDataSetError);
    EXPECT_THROW(table.AddField({"", "string", 0, {}}), EDataSetError);
    table.AppendRow({"1"});
    EXPECT_THROW(table.AddField({"Other", "string", 0, {}}), EDataSetError);
    EXPECT_THROW(table.AppendRow({"1", "2"}), EDataSetError);
    EXPECT_EQ(table.Value(5, 0), "");
}

} // namespace
