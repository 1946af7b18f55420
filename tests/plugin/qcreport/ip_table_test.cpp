// CRTABFORUPDATEIP: addresses folded into rows of n columns, the open row filled.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using morvane::qcreport::ConvertIpTable;

std::string Addresses(int n) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= n; ++i) {
        rows.push_back({"10.0.0." + std::to_string(i), "x"});
    }
    return BuildPacket({"ip", "Other"}, rows);
}

TEST(IpTable, FiveAddressesInThreeColumns) {
    auto result = ConvertIpTable(Addresses(5), 3);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.packet, Lines({
                                 "<?xml version=\"1.0\" encoding=\"GB2312\" ?>",
                                 "<DATAPACKET>",
                                 "<ROWDATA>",
                                 "<ROW",
                                 " IP0 =\"10.0.0.1\"",
                                 " IP1 =\"10.0.0.2\"",
                                 " IP2 =\"10.0.0.3\"",
                                 "/>",
                                 "<ROW",
                                 " IP0 =\"10.0.0.4\"",
                                 " IP1 =\"10.0.0.5\"",
                                 " IP2=\"\"",
                                 "/>",
                                 "</ROWDATA>",
                                 "</DATAPACKET>",
                             }));
}

TEST(IpTable, SixAddressesInThreeColumnsHaveNoFill) {
    auto result = ConvertIpTable(Addresses(6), 3);
    EXPECT_EQ(result.packet, Lines({
                                 "<?xml version=\"1.0\" encoding=\"GB2312\" ?>",
                                 "<DATAPACKET>",
                                 "<ROWDATA>",
                                 "<ROW",
                                 " IP0 =\"10.0.0.1\"",
                                 " IP1 =\"10.0.0.2\"",
                                 " IP2 =\"10.0.0.3\"",
                                 "/>",
                                 "<ROW",
                                 " IP0 =\"10.0.0.4\"",
                                 " IP1 =\"10.0.0.5\"",
                                 " IP2 =\"10.0.0.6\"",
                                 "/>",
                                 "</ROWDATA>",
                                 "</DATAPACKET>",
                             }));
}

TEST(IpTable, OneColumnMakesARowPerAddress) {
    auto result = ConvertIpTable(Addresses(2), 1);
    EXPECT_EQ(result.packet, Lines({"<?xml version=\"1.0\" encoding=\"GB2312\" ?>", "<DATAPACKET>",
                                    "<ROWDATA>", "<ROW", " IP0 =\"10.0.0.1\"", "/>", "<ROW",
                                    " IP0 =\"10.0.0.2\"", "/>", "</ROWDATA>", "</DATAPACKET>"}));
}

TEST(IpTable, MessagesAndColumnCountsBelowOne) {
    EXPECT_EQ(ConvertIpTable("junk", 3).error, G("传入的IP记录不是合法的XML格式"));
    EXPECT_EQ(ConvertIpTable(Addresses(0), 3).error, G("传入的IP记录不可用或记录数为0"));
    for (int columns : {0, -1, -2147483647 - 1}) {
        auto result = ConvertIpTable(Addresses(2), columns);
        EXPECT_EQ(result.packet, "");
        EXPECT_EQ(result.error, G("需要显示的表格列数无效")) << columns;
    }
}

// Two addresses in one wide row: the two filled attributes, then IP2 to IP{n-1} empty, each on a
// line of its own.
TEST(IpTable, AnyColumnCountFillsTheOpenRow) {
    for (int columns : {1025, 5000, 100000}) {
        SCOPED_TRACE(columns);
        std::string expected = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r<DATAPACKET>\r"
                               "<ROWDATA>\r<ROW\r IP0 =\"10.0.0.1\"\r IP1 =\"10.0.0.2\"\r";
        for (int j = 2; j < columns; ++j) {
            expected += " IP" + std::to_string(j) + "=\"\"\r";
        }
        expected += "/>\r</ROWDATA>\r</DATAPACKET>\r";
        auto result = ConvertIpTable(Addresses(2), columns);
        EXPECT_EQ(result.error, "");
        EXPECT_TRUE(result.packet == expected);
        EXPECT_EQ(result.packet.size(), expected.size());
    }
    // Three rows of 1025: the last one holds the 2051st address and 1024 empty attributes.
    auto result = ConvertIpTable(Addresses(2051), 1025);
    EXPECT_NE(result.packet.find("\r/>\r<ROW\r IP0 =\"10.0.0.2051\"\r IP1=\"\"\r"),
              std::string::npos);
    EXPECT_NE(result.packet.find(" IP1024=\"\"\r/>\r</ROWDATA>\r"), std::string::npos);
}

TEST(IpTable, ACountWhoseTableCannotBeHeldIsRefusedBeforeBuilding) {
    // 2^31 - 1 columns would mean some 38 GB of empty attributes.
    for (int columns : {2147483647, 100000000}) {
        auto result = ConvertIpTable(Addresses(1), columns);
        EXPECT_EQ(result.packet, "");
        EXPECT_EQ(result.error, G("需要显示的表格列数过大，表格超出可用内存")) << columns;
    }
}

TEST(IpTable, PacketWithoutTheIpFieldRaises) {
    EXPECT_THROW(ConvertIpTable(BuildPacket({"Addr"}, {{"1.1.1.1"}}), 2),
                 zeph::dataset::EDataSetError);
}

} // namespace
