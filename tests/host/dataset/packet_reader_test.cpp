// Reading client-dataset packets: fields in packet order, values as host text, XML escapes
// decoded, missing attributes empty, the packet's own encoding declaration overridden.
#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zeph::dataset::ReadDataPacket;
using zeph::text::Utf8ToGbk;

std::string Packet(const std::string& fields, const std::string& rows,
                   const std::string& declaration = "<?xml version=\"1.0\" standalone=\"yes\"?>") {
    return declaration + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

TEST(PacketReader, FieldsInPacketOrderWithTypesAndWidths) {
    auto table = ReadDataPacket(Packet(
        R"(<FIELD attrname="StaffNo" fieldtype="string" WIDTH="20"/>)"
        R"(<FIELD attrname="Score" fieldtype="r8"/><FIELD attrname="a" fieldtype="i4" required="true"/>)",
        ""));
    ASSERT_EQ(table.FieldCount(), 3u);
    EXPECT_EQ(table.Fields()[0].name, "StaffNo");
    EXPECT_EQ(table.Fields()[0].width, 20);
    EXPECT_EQ(table.Fields()[1].name, "Score");
    EXPECT_EQ(table.Fields()[1].fieldType, "r8");
    EXPECT_EQ(table.Fields()[2].name, "a");
    ASSERT_EQ(table.Fields()[2].extra.size(), 1u);
    EXPECT_EQ(table.Fields()[2].extra[0].first, "required");
    EXPECT_EQ(table.RowCount(), 0u);
}

TEST(PacketReader, ValuesByFieldWhateverTheAttributeOrder) {
    auto table = ReadDataPacket(Packet(R"(<FIELD attrname="A" fieldtype="string"/>)"
                                       R"(<FIELD attrname="B" fieldtype="string"/>)",
                                       R"(<ROW B="2" A="1"/><ROW A="3" RowState="4"/><ROW/>)"));
    ASSERT_EQ(table.RowCount(), 3u);
    EXPECT_EQ(table.Value(0, 0), "1");
    EXPECT_EQ(table.Value(0, 1), "2");
    EXPECT_EQ(table.Value(1, 0), "3");
    EXPECT_EQ(table.Value(1, 1), "") << "a missing attribute is an empty value";
    EXPECT_EQ(table.Value(2, 0), "");
}

TEST(PacketReader, EscapesAreDecodedToTheCharactersTheyStandFor) {
    auto table = ReadDataPacket(Packet(R"(<FIELD attrname="A" fieldtype="string"/>)",
                                       R"(<ROW A="&quot;a&lt;b&amp;c&gt;&#38;&#13;&#x41;'"/>)"));
    EXPECT_EQ(table.Value(0, 0), "\"a<b&c>&\rA'");
}

TEST(PacketReader, ChineseTextStaysHostText) {
    std::string packet = Utf8ToGbk(
        Packet(R"(<FIELD attrname="姓名" fieldtype="string"/>)", R"(<ROW 姓名="张三～表"/>)"));
    auto table = ReadDataPacket(packet);
    EXPECT_EQ(table.Fields()[0].name, Utf8ToGbk("姓名"));
    EXPECT_EQ(table.Value(0, 0), Utf8ToGbk("张三～表"));
}

TEST(PacketReader, ReadsAsGbkWhateverTheDeclarationSays) {
    for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", ""}) {
        std::string packet = Utf8ToGbk(Packet(R"(<FIELD attrname="A" fieldtype="string"/>)",
                                              R"(<ROW A="质检"/>)", declaration));
        auto table = ReadDataPacket(packet);
        EXPECT_EQ(table.Value(0, 0), Utf8ToGbk("质检")) << declaration;
    }
}

TEST(PacketReader, PacketWithoutRowDataHasNoRows) {
    auto table = ReadDataPacket(R"(<DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                                R"(<FIELD attrname="A" fieldtype="string"/></FIELDS></METADATA>)"
                                R"(</DATAPACKET>)");
    EXPECT_EQ(table.FieldCount(), 1u);
    EXPECT_EQ(table.RowCount(), 0u);
}

TEST(PacketReader, ParamsAreKeptAndNestedDataIgnored) {
    auto table = ReadDataPacket(
        R"(<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="A" fieldtype="string"/>)"
        R"(<FIELD attrname="N" fieldtype="nested"><FIELDS><FIELD attrname="X" fieldtype="i4"/>)"
        R"(</FIELDS></FIELD></FIELDS><PARAMS DEFAULT_ORDER="1" LCID="2052"/></METADATA>)"
        R"(<ROWDATA><ROW A="1"><N><ROWN X="5"/></N></ROW></ROWDATA></DATAPACKET>)");
    ASSERT_EQ(table.FieldCount(), 2u);
    ASSERT_EQ(table.Params().size(), 2u);
    EXPECT_EQ(table.Params()[0], (std::pair<std::string, std::string>("DEFAULT_ORDER", "1")));
    EXPECT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.Value(0, 0), "1");
}

TEST(PacketReader, ManyRowsKeepTheirOrderAndValues) {
    std::string rows;
    for (int i = 0; i < 5000; ++i) {
        rows += "<ROW A=\"" + std::to_string(i) + "\" B=\"v" + std::to_string(i * 7) + "\"/>";
    }
    auto table = ReadDataPacket(Packet(R"(<FIELD attrname="A" fieldtype="string"/>)"
                                       R"(<FIELD attrname="B" fieldtype="string"/>)",
                                       rows));
    ASSERT_EQ(table.RowCount(), 5000u);
    EXPECT_EQ(table.Value(4999, 0), "4999");
    EXPECT_EQ(table.Value(1234, 1), "v8638");
}

TEST(PacketReader, ChineseTextSurvivesEveryPieceBoundary) {
    // Values of odd and even byte lengths put double-byte characters across each boundary at
    // which the reader hands the parser its next piece.
    std::string rows;
    std::vector<std::string> expected;
    for (int i = 0; rows.size() < 1'200'000; ++i) {
        std::string value = std::string(static_cast<std::size_t>(i % 3), 'x') + "质检员" +
                            std::to_string(i) + "评分€";
        expected.push_back(Utf8ToGbk(value));
        rows += "<ROW A=\"" + value + "\"/>";
    }
    auto table =
        ReadDataPacket(Utf8ToGbk(Packet(R"(<FIELD attrname="A" fieldtype="string"/>)", rows)));
    ASSERT_EQ(table.RowCount(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row) {
        ASSERT_EQ(table.Value(row, 0), expected[row]) << "row " << row;
    }
}

} // namespace
