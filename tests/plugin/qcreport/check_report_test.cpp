// CHECK_REPORT: cells over two lines, totals in general format, and paging: page size 0, a page
// starting exactly at the end, a page beyond it failing on the index.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using morvane::qcreport::ConvertCheckReport;
using morvane::qcreport::Edition;

const char* kContentSql = "select contentid,name ContentName,SOURCEID,Weight from "
                          "t_qc_checkcontent where objectid= :objid order by sourceid desc";

class CheckReportTest : public ::testing::Test {
protected:
    CheckReportTest() {
        server->contentPacket = BuildPacket({"CONTENTID", "ContentName", "SOURCEID", "WEIGHT"},
                                            {{"C3", "服务规范", "3", "0.5"},
                                             {"C2", "业务能力", "2", "0.3"},
                                             {"C1", "综合\"评价", "0", "0.2"}});
    }
    ServicesScope server;
    zeph::TZephClient client{nullptr};
};

const std::vector<std::string> kTitle = {
    "<?xml version=\"1.0\" encoding=\"GB2312\" ?>",
    "  <DATAPACKET>",
    "  <TITLEDATA>",
    "    <ROW TITLE=\"工号\"/>",
    "    <ROW TITLE=\"服务规范\"/>",
    "    <ROW TITLE=\"业务能力\"/>",
    "    <ROW TITLE=\"综合\"评价\"/>",
    "    <ROW TITLE=\"综合得分\"/>",
    "  </TITLEDATA>",
};

std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(CheckReportTest, TwoStaffByThreeContentsByteForByte) {
    std::string input = BuildPacket({"staffno", "ContentID", "TotalScore", "Remark", "sourceid"},
                                    {{"1001", "C1", "90", "好<&", "x"},
                                     {"1001", "C2", "80.5", "r2", "y"},
                                     {"1002", "C3", "abc", "r3", "z"},
                                     {"1001", "C2", "2", "r4", "w"},
                                     {"1002", "C3", "", "r5", "v"}});
    auto result = ConvertCheckReport(client, input, "OBJ7", 1, 10, Edition::Full);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.count, 2);
    EXPECT_EQ(result.packet,
              Lines(With(kTitle, {
                                     "  <ROWDATA>",
                                     "    <STAFF STAFFNO=\"1001\"/>",
                                     "    <SCORE>",
                                     "    <DATA STAFFNO=\"1001\" CONTENTID=\"C3\" SOURCEID=\"3\"",
                                     " TotalScore=\"\" Remark=\"\"/>",
                                     "    <DATA STAFFNO=\"1001\" CONTENTID=\"C2\" SOURCEID=\"2\"",
                                     " TotalScore=\"80.5\" Remark=\"r2\"/>",
                                     "    <DATA STAFFNO=\"1001\" CONTENTID=\"C1\" SOURCEID=\"0\"",
                                     " TotalScore=\"90\" Remark=\"好<&\"/>",
                                     "    </SCORE>",
                                     "<TOTLE TOTLESCORE=\"172.5\"/>",
                                     "</ROWDATA>",
                                     "  <ROWDATA>",
                                     "    <STAFF STAFFNO=\"1002\"/>",
                                     "    <SCORE>",
                                     "    <DATA STAFFNO=\"1002\" CONTENTID=\"C3\" SOURCEID=\"3\"",
                                     " TotalScore=\"abc\" Remark=\"r3\"/>",
                                     "    <DATA STAFFNO=\"1002\" CONTENTID=\"C2\" SOURCEID=\"2\"",
                                     " TotalScore=\"\" Remark=\"\"/>",
                                     "    <DATA STAFFNO=\"1002\" CONTENTID=\"C1\" SOURCEID=\"0\"",
                                     " TotalScore=\"\" Remark=\"\"/>",
                                     "    </SCORE>",
                                     "<TOTLE TOTLESCORE=\"0\"/>",
                                     "</ROWDATA>",
                                     "</DATAPACKET>",
                                 })));
    ASSERT_EQ(server->calls.size(), 1u);
    EXPECT_EQ(server->calls[0].first, "ZEPHSC_SELFSQL");
    EXPECT_EQ(server->calls[0].second, kContentSql);
    EXPECT_EQ(server->calls[0].third, "OBJ7");
    EXPECT_EQ(server->calls[0].a, 1);
    EXPECT_EQ(server->calls[0].b, -1);
}

// "A1" is the same member as "a1", which came first; its record belongs to no cell and no total,
// as a filter on the number "a1" would not find it.
TEST_F(CheckReportTest, ANumberInOtherCaseIsTheFirstSpellingsMemberWithoutItsRecords) {
    std::string input = BuildPacket({"staffno", "ContentID", "TotalScore"},
                                    {{"a1", "C1", "10"}, {"A1", "C1", "20"}, {"a1", "C2", "5"}});
    auto result = ConvertCheckReport(client, input, "O", 1, 10, Edition::Full);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.count, 1);
    EXPECT_EQ(result.packet,
              Lines(With(kTitle, {
                                     "  <ROWDATA>",
                                     "    <STAFF STAFFNO=\"a1\"/>",
                                     "    <SCORE>",
                                     "    <DATA STAFFNO=\"a1\" CONTENTID=\"C3\" SOURCEID=\"3\"",
                                     " TotalScore=\"\"/>",
                                     "    <DATA STAFFNO=\"a1\" CONTENTID=\"C2\" SOURCEID=\"2\"",
                                     " TotalScore=\"5\"/>",
                                     "    <DATA STAFFNO=\"a1\" CONTENTID=\"C1\" SOURCEID=\"0\"",
                                     " TotalScore=\"10\"/>",
                                     "    </SCORE>",
                                     "<TOTLE TOTLESCORE=\"15\"/>",
                                     "</ROWDATA>",
                                     "</DATAPACKET>",
                                 })));
}

TEST_F(CheckReportTest, BasicEditionAsksWithTheFlagInLowerCase) {
    std::string input = BuildPacket({"StaffNo", "ContentID", "TotalScore"}, {{"1", "C1", "5"}});
    auto full = ConvertCheckReport(client, input, "O", 1, 1, Edition::Full);
    auto basic = ConvertCheckReport(client, input, "O", 1, 1, Edition::Basic);
    ASSERT_EQ(server->calls.size(), 2u);
    EXPECT_EQ(server->calls[1].first, "zephsc_selfsql");
    EXPECT_EQ(server->calls[1].second, kContentSql);
    EXPECT_EQ(basic.packet, full.packet);
}

std::string TwentyFiveStaff() {
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 25; ++i) {
        rows.push_back({"S" + std::to_string(i), "C1", std::to_string(i)});
    }
    return BuildPacket({"StaffNo", "ContentID", "TotalScore"}, rows);
}

int RowBlocks(const std::string& packet) {
    int n = 0;
    for (std::size_t p = packet.find("  <ROWDATA>"); p != std::string::npos;
         p = packet.find("  <ROWDATA>", p + 1)) {
        ++n;
    }
    return n;
}

TEST_F(CheckReportTest, Paging) {
    std::string input = TwentyFiveStaff();
    struct Case {
        int page, size;
        int count; // -1: fails
        const char* index;
    };
    const Case cases[] = {
        {1, 10, 10, ""},  {3, 10, 5, ""},   {4, 10, -1, "30"},
        {6, 5, 0, ""},    {7, 5, -1, "30"}, {0, 10, -1, "-10"},
        {1, 100, 25, ""}, {1, -3, 0, ""},   {2147483647, 2147483647, -1, "4611686011984936962"},
    };
    for (const Case& c : cases) {
        auto result = ConvertCheckReport(client, input, "O", c.page, c.size, Edition::Full);
        if (c.count < 0) {
            EXPECT_EQ(result.packet, "") << c.page << "/" << c.size;
            EXPECT_EQ(result.error,
                      G("转换中发生错误：") + "List index out of bounds (" + c.index + ")");
        } else {
            EXPECT_EQ(result.count, c.count) << c.page << "/" << c.size;
            EXPECT_EQ(RowBlocks(result.packet), c.count);
            EXPECT_EQ(result.packet.substr(result.packet.size() - 14), "</DATAPACKET>\r");
        }
    }
    // The first block of page 3 is the staff member at index 20.
    auto page3 = ConvertCheckReport(client, input, "O", 3, 10, Edition::Full);
    EXPECT_NE(page3.packet.find("  <ROWDATA>\r    <STAFF STAFFNO=\"S20\"/>"), std::string::npos);
}

TEST_F(CheckReportTest, PageStartingExactlyAtTheEndIsTheTitleAndTheClosingLine) {
    auto result = ConvertCheckReport(client, TwentyFiveStaff(), "O", 6, 5, Edition::Full);
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(result.packet, Lines(With(kTitle, {"</DATAPACKET>"})));
}

TEST_F(CheckReportTest, PageSizeZeroIsTheUnterminatedTitleWithTheStaffCount) {
    auto result = ConvertCheckReport(client, TwentyFiveStaff(), "O", 1, 0, Edition::Full);
    EXPECT_EQ(result.count, 25);
    EXPECT_EQ(result.packet, Lines(kTitle));
}

TEST_F(CheckReportTest, Messages) {
    std::string input = TwentyFiveStaff();
    EXPECT_EQ(ConvertCheckReport(client, "", "O", 1, 1).error,
              G("传入的考评记录不是合法的XML格式"));
    EXPECT_EQ(ConvertCheckReport(client, BuildPacket({"StaffNo"}, {}), "O", 1, 1).error,
              G("传入的考评记录不可用或记录数为0"));
    server->contentQueryResult = false;
    EXPECT_EQ(ConvertCheckReport(client, input, "O", 1, 1).error, G("查询质检内容列表失败"));
    server->contentQueryResult = true;
    server->contentPacket = BuildPacket({"ContentID", "ContentName", "SourceID"}, {});
    EXPECT_EQ(ConvertCheckReport(client, input, "O", 1, 1).error,
              G("查询质检内容列表失败或记录数为0"));
    server->contentPacket =
        BuildPacket({"ContentID", "ContentName", "SourceID"}, {{"C1", "n", "0"}});
    auto noTotal =
        ConvertCheckReport(client, BuildPacket({"StaffNo", "ContentID"}, {{"1", "C1"}}), "O", 1, 1);
    EXPECT_EQ(noTotal.error, G("转换中发生错误：") + "Field 'TotalScore' not found");
    EXPECT_EQ(noTotal.packet, "");
}

} // namespace
