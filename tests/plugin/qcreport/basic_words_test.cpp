// The basic edition: CHECK_REPORT and CHECK_PERSON with their older behaviours; the other
// three conversion words are unknown to it.
#include "QcTestSupport.h"
#include "core/untZeph.h"
#include "editions/Editions.h"

#include <gtest/gtest.h>

namespace {

using namespace qctest;
using zeph::Variant;

class BasicWordsTest : public ::testing::Test {
protected:
    BasicWordsTest() {
        server->contentPacket =
            BuildPacket({"ContentID", "ContentName", "SourceID"}, {{"C1", "内容", "0"}});
        server->scoringMode = "Y";
    }
    Variant Call(std::vector<Variant> input) {
        Variant output;
        window.ZephClientCalled(&window.ZephClient, 0, Variant::ArrayOf(std::move(input)), output);
        return output;
    }
    ServicesScope server;
    morvane::TInterFacefrmMain window{nullptr, morvane::BuiltEdition()};
};

std::string Records() {
    return BuildPacket({"StaffNo", "ContentID", "TotalScore", "checktype", "Weight"},
                       {{"1001", "C1", "70", "1", "1"}, {"1001", "C1", "90", "2", "1"}});
}

TEST_F(BasicWordsTest, CheckReportAsksWithTheLowerCaseFlag) {
    Variant out = Call({"CHECK_REPORT", Records(), "O1", "", "10", "1"});
    EXPECT_EQ(out[0].AsText(), "True");
    EXPECT_EQ(out[2].AsText(), "1");
    ASSERT_FALSE(server->calls.empty());
    EXPECT_EQ(server->calls[0].first, "zephsc_selfsql");
}

TEST_F(BasicWordsTest, CheckPersonAveragesWhateverTheParameterSays) {
    Variant out = Call({"CHECK_PERSON", Records(), "O1", "1001"});
    EXPECT_EQ(out[0].AsText(), "True");
    const std::string packet = out[1].AsText();
    EXPECT_NE(packet.find(G("ITEM=\"总分\" SCORE=\"80.00\"")), std::string::npos);
    EXPECT_EQ(packet.find(G("考评类别")), std::string::npos);
    for (const ServerCall& call : server->calls) {
        EXPECT_NE(call.operation, "GetSysParam");
    }
}

TEST_F(BasicWordsTest, FullEditionWordsAreUnknown) {
    for (const char* word : {"CHECK_RESULT", "SKILL_REPORT", "CRTABFORUPDATEIP"}) {
        Variant out = Call({word, Records(), "O1", "3"});
        EXPECT_TRUE(out.IsEmpty()) << word;
    }
    EXPECT_TRUE(server->calls.empty());
}

} // namespace
