// The five words through the dispatcher of the full edition: arguments read from Input, the
// result array, the usage texts, and integer arguments that raise before the array exists.
#include "QcTestSupport.h"
#include "core/untZeph.h"
#include "editions/Editions.h"

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using zeph::Variant;

const std::string kHelpA = "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:"
                           "质检对象ObjectID;Input[3]:质检内容ContentID";
const std::string kHelpB =
    "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:质检对象ObjectID;";
const std::string kHelpC = "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:"
                           "质检对象ObjectID;Input[3]:被质检工号StaffNo;";
const std::string kHelpD =
    "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:需要显示的表格列数;";

class QcWordsTest : public ::testing::Test {
protected:
    QcWordsTest() {
        server->itemPacket = BuildPacket({"Name", "ItemID"}, {{"项", "1"}});
        server->contentPacket =
            BuildPacket({"ContentID", "ContentName", "SourceID"}, {{"C1", "内容", "0"}});
    }
    Variant Call(std::vector<Variant> input) {
        Variant output = "stale";
        window.ZephClientCalled(&window.ZephClient, 0, Variant::ArrayOf(std::move(input)), output);
        return output;
    }
    static std::vector<std::string> Texts(const Variant& output) {
        std::vector<std::string> texts;
        for (int i = output.LowBound(); i <= output.HighBound(); ++i) {
            texts.push_back(output[i].AsText());
        }
        return texts;
    }
    ServicesScope server;
    morvane::TInterFacefrmMain window{nullptr, morvane::BuiltEdition()};
};

std::string Records() {
    return BuildPacket({"SerialNum", "StaffNo", "ItemName", "ItemScore", "ItemID", "Score",
                        "ContentID", "TotalScore", "checktype", "Weight"},
                       {{"S1", "1001", "项", "9", "1", "8", "C1", "70", "1", "1"},
                        {"S2", "1002", "项", "7", "1", "6", "C1", "90", "1", "1"}});
}

TEST_F(QcWordsTest, SkillReportSucceedsWithItsCount) {
    Variant out = Call({"skill_report", Records(), "O1", "C1", "K"});
    auto texts = Texts(out);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "True");
    EXPECT_EQ(texts[1].rfind(G("<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r  <DATAPACKET>\r")),
              0u);
    EXPECT_EQ(texts[2], "2");
    EXPECT_EQ(server->calls[0].second, "O1~C1~K");
}

TEST_F(QcWordsTest, FailedConversionsGiveFalseTheErrorAndTheUsageText) {
    struct Case {
        const char* word;
        std::string help;
    };
    const Case cases[] = {{"CHECK_RESULT", kHelpA},
                          {"SKILL_REPORT", kHelpA},
                          {"CHECK_REPORT", kHelpB},
                          {"CHECK_PERSON", kHelpC},
                          {"CRTABFORUPDATEIP", kHelpD}};
    for (const Case& c : cases) {
        // In 2 is the column count of CRTABFORUPDATEIP.
        bool ip = std::string(c.word) == "CRTABFORUPDATEIP";
        Variant out = Call({c.word, "not a packet", ip ? "3" : "O1", "3", "1", "1"});
        auto texts = Texts(out);
        ASSERT_EQ(texts.size(), 3u) << c.word;
        EXPECT_EQ(texts[0], "False") << c.word;
        EXPECT_EQ(texts[1], std::string(c.word) == "CRTABFORUPDATEIP"
                                ? G("传入的IP记录不是合法的XML格式")
                                : G("传入的考评记录不是合法的XML格式"))
            << c.word;
        EXPECT_EQ(texts[2], G(c.help)) << c.word;
    }
}

TEST_F(QcWordsTest, CheckResultReadsFourArgumentsAndCatchesEveryError) {
    // These records lack the detail columns: the conversion's catch-all text comes back.
    Variant out = Call({"Check_Result", Records(), "O1", "C1"});
    auto texts = Texts(out);
    EXPECT_EQ(texts[0], "False");
    EXPECT_EQ(texts[1], G("转换中发生错误：Field 'RecorderNum' not found"));
    EXPECT_EQ(texts[2], G(kHelpA));
    EXPECT_EQ(server->calls[0].second, "O1~C1~");
}

TEST_F(QcWordsTest, CheckReportTakesPageSizeFromFourAndPageFromFive) {
    // Page size 1, page 2: the second staff member alone.
    Variant out = Call({"CHECK_REPORT", Records(), "O1", "ignored", "1", "2"});
    auto texts = Texts(out);
    EXPECT_EQ(texts[0], "True");
    EXPECT_EQ(texts[2], "1");
    EXPECT_NE(texts[1].find("STAFFNO=\"1002\""), std::string::npos);
    EXPECT_EQ(texts[1].find("STAFFNO=\"1001\""), std::string::npos);
    EXPECT_EQ(server->calls[0].third, "O1");
}

TEST_F(QcWordsTest, IntegerArgumentsThatAreNoIntegersRaiseBeforeTheArrayExists) {
    struct Case {
        std::vector<Variant> input;
    };
    const Case cases[] = {
        {{"CHECK_REPORT", Records(), "O1", "", "ten", "1"}},
        {{"CHECK_REPORT", Records(), "O1", "", "10", ""}},
        {{"CHECK_REPORT", Records(), "O1", "", "99999999999", "1"}},
        {{"CRTABFORUPDATEIP", Records(), "3x"}},
        {{"CRTABFORUPDATEIP", Records()}},
    };
    for (const Case& c : cases) {
        Variant output = "stale";
        EXPECT_ANY_THROW(
            window.ZephClientCalled(&window.ZephClient, 0, Variant::ArrayOf(c.input), output));
        EXPECT_TRUE(output.IsEmpty());
    }
    EXPECT_TRUE(server->calls.empty());
}

TEST_F(QcWordsTest, CheckPersonAnswersZeroAsItsCount) {
    Variant out = Call({"CHECK_PERSON", Records(), "O1", "1001"});
    auto texts = Texts(out);
    EXPECT_EQ(texts[0], "True");
    EXPECT_EQ(texts[2], "0");
}

TEST_F(QcWordsTest, ErrorsCheckPersonLeavesToTheHostLeaveTheEmptyArray) {
    std::string noWeight =
        BuildPacket({"ContentID", "TotalScore", "checktype"}, {{"C1", "70", "1"}});
    Variant output;
    EXPECT_ANY_THROW(window.ZephClientCalled(
        &window.ZephClient, 0, Variant::ArrayOf({"CHECK_PERSON", noWeight, "O1", "1001"}), output));
    ASSERT_TRUE(output.IsArray());
    EXPECT_EQ(output.HighBound(), 2);
    EXPECT_TRUE(output[0].IsEmpty());
}

TEST_F(QcWordsTest, IpTableAnswersZeroAsItsCount) {
    Variant out = Call({"crtabforupdateip", BuildPacket({"IP"}, {{"1.1.1.1"}}), "2"});
    auto texts = Texts(out);
    EXPECT_EQ(texts[0], "True");
    EXPECT_EQ(texts[1], Lines({"<?xml version=\"1.0\" encoding=\"GB2312\" ?>", "<DATAPACKET>",
                               "<ROWDATA>", "<ROW", " IP0 =\"1.1.1.1\"", " IP1=\"\"", "/>",
                               "</ROWDATA>", "</DATAPACKET>"}));
    EXPECT_EQ(texts[2], "0");
}

} // namespace
