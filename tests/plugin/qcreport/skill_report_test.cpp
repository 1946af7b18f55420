// SKILL_REPORT: items matched by ItemID, cells showing the item's name, empty scores where a
// staff member has no record.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using morvane::qcreport::ConvertSkillReport;

TEST(SkillReport, TwoStaffByTwoItemsByteForByte) {
    ServicesScope server;
    server->itemPacket = BuildPacket({"NAME", "ItemID"}, {{"服务态度", "7"}, {"业务\"熟练", "8"}});
    zeph::TZephClient client(nullptr);
    std::string input =
        BuildPacket({"staffno", "ItemID", "Score", "Other"}, {{"1001", "8", "85", "x"},
                                                              {"1002", "7", "<&>", "y"},
                                                              {"1001", "7", "90", "z"},
                                                              {"1001", "8", "11", "w"},
                                                              {"1002", "9", "50", "v"}});
    auto result = ConvertSkillReport(client, input, "O1", "C1", "");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.count, 2);
    EXPECT_EQ(result.packet,
              Lines({
                  "<?xml version=\"1.0\" encoding=\"GB2312\" ?>",
                  "  <DATAPACKET>",
                  "  <TITLEDATA>",
                  "    <ROW TITLE=\"工号\"/>",
                  "    <ROW TITLE=\"服务态度\"/>",
                  "    <ROW TITLE=\"业务\"熟练\"/>",
                  "  </TITLEDATA>",
                  "  <ROWDATA>",
                  "    <STAFF STAFFNO=\"1001\"/>",
                  "    <SCORE>",
                  "    <DATA STAFFNO=\"1001\" ITEMNAME=\"服务态度\" SCORE=\"90\"/>",
                  "    <DATA STAFFNO=\"1001\" ITEMNAME=\"业务\"熟练\" SCORE=\"85\"/>",
                  "    </SCORE>",
                  "</ROWDATA>",
                  "  <ROWDATA>",
                  "    <STAFF STAFFNO=\"1002\"/>",
                  "    <SCORE>",
                  "    <DATA STAFFNO=\"1002\" ITEMNAME=\"服务态度\" SCORE=\"<&>\"/>",
                  "    <DATA STAFFNO=\"1002\" ITEMNAME=\"业务\"熟练\" SCORE=\"\"/>",
                  "    </SCORE>",
                  "</ROWDATA>",
                  "</DATAPACKET>",
              }));
}

TEST(SkillReport, MessagesAndCatchAll) {
    ServicesScope server;
    server->itemPacket = BuildPacket({"Name", "ItemID"}, {{"a", "1"}});
    zeph::TZephClient client(nullptr);
    EXPECT_EQ(ConvertSkillReport(client, "x", "O", "C", "").error,
              G("传入的考评记录不是合法的XML格式"));
    EXPECT_EQ(ConvertSkillReport(client, BuildPacket({"StaffNo"}, {}), "O", "C", "").error,
              G("传入的考评记录不可用或记录数为0"));
    auto result =
        ConvertSkillReport(client, BuildPacket({"StaffNo", "ItemID"}, {{"1", "1"}}), "O", "C", "");
    EXPECT_EQ(result.error, G("转换中发生错误：") + "Field 'Score' not found");
    EXPECT_EQ(result.packet, "");
}

} // namespace
