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

TEST(IpTable, MessagesAndColumnCountsNoGridHas) {
    EXPECT_EQ(ConvertIpTable("junk", 3).error, G("传入的IP记录不是合法的XML格式"));
    EXPECT_EQ(ConvertIpTable(Addresses(0), 3).error, G("传入的IP记录不可用或记录数为0"));
    for (int columns : {0, -1, 1025}) {
        auto result = ConvertIpTable(Addresses(2), columns);
        EXPECT_EQ(result.packet, "");
        EXPECT_EQ(result.error, G("需要显示的表格列数无效")) << columns;
    }
    std::string wide = ConvertIpTable(Addresses(1), 1024).packet;
    EXPECT_NE(wide.find(" IP1=\"\"\r"), std::string::npos);
    EXPECT_NE(wide.find(" IP1023=\"\"\r/>\r</ROWDATA>\r"), std::string::npos);
}

TEST(IpTable, PacketWithoutTheIpFieldRaises) {
    EXPECT_THROW(ConvertIpTable(BuildPacket({"Addr"}, {{"1.1.1.1"}}), 2),
                 zeph::dataset::EDataSetError);
}

} // namespace
