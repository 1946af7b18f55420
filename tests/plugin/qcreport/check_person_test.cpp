// CHECK_PERSON: the per-person report byte for byte, both scoring modes, the basic edition's
// form, its messages, and errors it leaves to the caller.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using morvane::qcreport::ConvertCheckPerson;
using morvane::qcreport::Edition;

class CheckPersonTest : public ::testing::Test {
protected:
    CheckPersonTest() {
        server->contentPacket = BuildPacket(
            {"ContentID", "CONTENTNAME", "SourceID", "Weight"},
            {{"C2", "专项", "5", "9"}, {"C1", "常规", "0", "9"}, {"C9", "空", "0", "9"}});
    }
    std::string Input() const {
        return BuildPacket({"ContentID", "TotalScore", "checktype", "Weight", "SerialNum"},
                           {{"C1", "90", "1", "0.6", "S1"},
                            {"C2", "70", "2", "0.4", "S\"<&2"},
                            {"C1", "80", "2", "0.6", "S3"},
                            {"C2", "75", "1", "0.4", "S4"}});
    }
    ServicesScope server;
    zeph::TZephClient client{nullptr};
};

std::vector<std::string> Expected(bool full, const std::string& c1Score, const std::string& total) {
    std::vector<std::string> l = {
        "<?xml version=\"1.0\" encoding=\"GB2312\" ?>",
        "<DATAPACKET Version=\"2.0\">",
        "  <CAPTION>",
        "    <ROW STAFFNO=\"1001\"/>",
        "  </CAPTION>",
        "  <TITLEDATA>",
        "  \t<ROW TITLE=\"评价内容\"/>",
        "    <ROW TITLE=\"指标项\"/>",
        "\t  <ROW TITLE=\"得分\"/>",
        "  </TITLEDATA>",
    };
    auto head = [&](const std::string& count, const std::string& name, const std::string& label,
                    const std::string& source) {
        l.push_back("\t<ROWDATA>");
        l.push_back("\t    <CONTENT COUNT=\"" + count + "\" CONTENTNAME=\"" + name + "\">");
        l.push_back("\t      <DATA ITEMNAME=\"" + label + "\"/>");
        if (full) {
            l.push_back("\t      <DATA ITEMNAME=\"考评类别\"/>");
        }
        l.push_back("\t      <DATA ITEMNAME=\"得分\"/>");
        l.push_back("\t    </CONTENT>");
        l.push_back("\t\t\t<ITEM SOURCEID=\"" + source + "\">");
    };
    auto tail = [&](const std::string& score) {
        l.push_back("       <DATA FLAG=\"2\" ITEM=\"总分\" SCORE=\"" + score + "\"/>");
        l.push_back("    </ITEM>");
        l.push_back("  </ROWDATA>");
    };
    head("4", "专项", "指标项", "5");
    l.push_back("       <DATA  FLAG=\"1\" ContentID=\"C2\" TotalScore=\"70\" checktype=\"2\" "
                "Weight=\"0.4\" SerialNum=\"S\"<&2\"/>");
    l.push_back("       <DATA  FLAG=\"1\" ContentID=\"C2\" TotalScore=\"75\" checktype=\"1\" "
                "Weight=\"0.4\" SerialNum=\"S4\"/>");
    tail("75.00");
    head("4", "常规", "被检流水号", "0");
    l.push_back("       <DATA  FLAG=\"1\" ContentID=\"C1\" TotalScore=\"90\" checktype=\"1\" "
                "Weight=\"0.6\" SerialNum=\"S1\"/>");
    l.push_back("       <DATA  FLAG=\"1\" ContentID=\"C1\" TotalScore=\"80\" checktype=\"2\" "
                "Weight=\"0.6\" SerialNum=\"S3\"/>");
    tail(c1Score);
    head("2", "空", "被检流水号", "0");
    tail("0.00");
    l.push_back("<TOTALSCORE SCORE=\"" + total + "\"/>");
    l.push_back("</DATAPACKET>");
    return l;
}

TEST_F(CheckPersonTest, AverageModeByteForByte) {
    for (const char* mode : {"N", "n"}) {
        server->scoringMode = mode;
        auto result = ConvertCheckPerson(client, Input(), "OBJ", "1001", Edition::Full);
        EXPECT_EQ(result.error, "");
        // 0.4 x 75 + 0.6 x 85 + 0 x 0
        EXPECT_EQ(result.packet, Lines(Expected(true, "85.00", "81.00"))) << mode;
    }
    EXPECT_EQ(server->calls[0].first, "ZEPHSC_SELFSQL");
    EXPECT_EQ(server->calls[0].third, "OBJ");
    EXPECT_EQ(server->calls[1].operation, "GetSysParam");
    EXPECT_EQ(server->calls[1].first, "QC");
    EXPECT_EQ(server->calls[1].second, "21");
}

TEST_F(CheckPersonTest, DeductionModeByteForByte) {
    server->scoringMode = "Y";
    auto result = ConvertCheckPerson(client, Input(), "OBJ", "1001", Edition::Full);
    // C1: only the checktype 1 record deducts 100 - 90; 0.4 x 75 + 0.6 x 90
    EXPECT_EQ(result.packet, Lines(Expected(true, "90.00", "84.00")));
}

TEST_F(CheckPersonTest, BasicEditionAveragesAndLeavesOutTheCheckTypeLine) {
    server->scoringMode = "Y";
    auto result = ConvertCheckPerson(client, Input(), "OBJ", "1001", Edition::Basic);
    EXPECT_EQ(result.packet, Lines(Expected(false, "85.00", "81.00")));
    for (const ServerCall& call : server->calls) {
        EXPECT_NE(call.operation, "GetSysParam");
    }
}

std::string ContentScore(const std::string& packet) {
    std::string marker = G("ITEM=\"总分\" SCORE=\"");
    std::size_t p = packet.find(marker);
    return p == std::string::npos
               ? "?"
               : packet.substr(p + marker.size(),
                               packet.find('"', p + marker.size()) - p - marker.size());
}

TEST_F(CheckPersonTest, ContentScoresOfBothModes) {
    server->contentPacket =
        BuildPacket({"ContentID", "ContentName", "SourceID"}, {{"C1", "常规", "0"}});
    struct Case {
        const char* mode;
        std::vector<std::vector<std::string>> rows; // TotalScore, checktype
        const char* score;
    };
    const Case cases[] = {
        {"Y", {{"90", "1"}, {"80", "1"}, {"95", "1"}, {"10", "2"}}, "65.00"},
        {"Y", {{"40", "1"}, {"60", "1"}}, "0.00"},
        {"Y", {{"10", "1"}, {"20", "1"}}, "0.00"},
        {"Y", {{"x", "2"}}, "100.00"},
        {"N", {{"90", "1"}, {"80", "2"}, {"70", "3"}}, "80.00"},
        {"N", {{"80.125", "1"}}, "80.13"},
        {"N", {{"abc", "1"}, {"90", "1"}}, "45.00"},
    };
    for (const Case& c : cases) {
        server->scoringMode = c.mode;
        std::vector<std::vector<std::string>> rows;
        for (const auto& r : c.rows) {
            rows.push_back({"C1", r[0], r[1], "1"});
        }
        std::string input = BuildPacket({"ContentID", "TotalScore", "checktype", "Weight"}, rows);
        auto result = ConvertCheckPerson(client, input, "O", "1", Edition::Full);
        EXPECT_EQ(ContentScore(result.packet), c.score) << c.mode << " " << c.score;
    }
}

TEST_F(CheckPersonTest, MessagesInTheirOrder) {
    std::string input = Input();
    EXPECT_EQ(ConvertCheckPerson(client, " ", "O", "1").error, G("传入的考评记录数据集为空"));
    EXPECT_EQ(ConvertCheckPerson(client, input, " \t", "1").error, G("传入的考评对象为空"));
    EXPECT_EQ(ConvertCheckPerson(client, input, "O", "").error, G("传入的被质检员工号为空"));
    EXPECT_EQ(ConvertCheckPerson(client, "<x/>", "O", "1").error,
              G("传入的考评记录不是合法的XML格式"));
    server->contentQueryResult = false;
    EXPECT_EQ(ConvertCheckPerson(client, input, "O", "1").error, G("根据考评对象查询考评内容失败"));
    server->contentQueryResult = true;
    server->contentPacket.clear();
    auto result = ConvertCheckPerson(client, input, "O", "1");
    EXPECT_EQ(result.error, G("没有查询到质检的数据"));
    EXPECT_EQ(result.packet, "");
}

TEST_F(CheckPersonTest, RecordCountIsNotTested) {
    auto result = ConvertCheckPerson(
        client, BuildPacket({"ContentID", "TotalScore", "checktype", "Weight"}, {}), "O", "1");
    EXPECT_NE(result.packet.find(G("<TOTALSCORE SCORE=\"0.00\"/>\r</DATAPACKET>\r")),
              std::string::npos);
}

TEST_F(CheckPersonTest, OtherErrorsAreLeftToTheCaller) {
    std::string noWeight =
        BuildPacket({"ContentID", "TotalScore", "checktype"}, {{"C1", "1", "1"}});
    EXPECT_THROW(ConvertCheckPerson(client, noWeight, "O", "1"), zeph::dataset::EDataSetError);
    server->contentPacket = "<DATAPACKET"; // a server answer that is no packet
    EXPECT_THROW(ConvertCheckPerson(client, Input(), "O", "1"), zeph::dataset::EDataSetError);
}

} // namespace
