// Whose recordings the agent may save: the three rules in their order, the staff table filled
// from the public data "Staff" once for the main window's life, and the refusal message.
#include "RecordingFixture.h"
#include "recording/RecordingRights.h"

namespace recording_test {
namespace {

using morvane::recording::CanSaveRecording;

class RecordingRightsTest : public RecordingFixture {
protected:
    void SetUp() override {
        RecordingFixture::SetUp();
        services->workerNo = "10001";
        services->publicData["Staff"] =
            Packet({"StaffNo", "StaffName", "RecordTypeAuthID"}, {{"10001", "Agent", "020301"},
                                                                  {"10002", "Li", "020301"},
                                                                  {"10003", "Wang", "020302"},
                                                                  {"10004", "Zhao", ""}});
    }
};

TEST_F(RecordingRightsTest, EachRuleInItsOrder) {
    struct Case {
        const char* name;
        std::set<std::string> rights;
        std::string staffNo;
        bool expected;
        bool asksForStaff; // rule 3 was reached
    };
    const std::vector<Case> cases = {
        {"every recording", {"02/020205"}, "10009", true, false},
        {"own recording", {"02/020216"}, "10001", true, false},
        {"own right, another's recording", {"02/020216"}, "10003", false, true},
        {"own right, staff number not exactly the agent's", {"02/020216"}, "10001 ", false, true},
        {"staff member's right held", {"02/020301"}, "10002", true, true},
        {"staff member's right not held", {"02/020301"}, "10003", false, true},
        {"staff member not in the table", {"02/020301", "02/020302"}, "10009", false, true},
        {"staff member without a right code", {"02/"}, "10004", false, true},
        {"own recording without the own right", {"02/020302"}, "10001", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services->rights = c.rights;
        services->publicDataRequests.clear();
        main->cdsStaff.Close();
        EXPECT_EQ(CanSaveRecording(*main, c.staffNo), c.expected);
        EXPECT_EQ(services->publicDataRequests.size(), c.asksForStaff ? 1u : 0u);
    }
}

TEST_F(RecordingRightsTest, StaffTableFilledOnceForTheMainWindow) {
    services->rights = {"02/020302"};
    EXPECT_TRUE(CanSaveRecording(*main, "10003"));
    EXPECT_FALSE(CanSaveRecording(*main, "10002"));
    EXPECT_FALSE(CanSaveRecording(*main, "10009"));
    EXPECT_EQ(services->publicDataRequests, (std::vector<std::string>{"Staff"}));
    EXPECT_EQ(main->cdsStaff.RecordCount(), 4u);

    // The next main window loads it afresh.
    zeph::CloseWindow(handle);
    handle = ShowMorvane(7);
    main = dynamic_cast<morvane::TInterFacefrmMain*>(zeph::forms::Form::FromHandle(handle));
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(CanSaveRecording(*main, "10003"));
    EXPECT_EQ(services->publicDataRequests, (std::vector<std::string>{"Staff", "Staff"}));
}

TEST_F(RecordingRightsTest, RowsTheBulletinWindowLoadedAreUsedAsTheyAre) {
    // Rows without a right code protect nothing the agent holds; the table is not refilled.
    main->cdsStaff.LoadFromXml(Packet({"StaffNo", "StaffName"}, {{"10003", "Wang"}}));
    services->rights = {"02/020302"};
    EXPECT_FALSE(CanSaveRecording(*main, "10003"));
    EXPECT_TRUE(services->publicDataRequests.empty());
    // Its cursor and filter are the bulletin window's and stay so.
    main->cdsStaff.SetFilter({{"StaffNo", "10003"}});
    EXPECT_FALSE(CanSaveRecording(*main, "10004"));
    EXPECT_TRUE(main->cdsStaff.Filtered());
}

TEST_F(RecordingRightsTest, NoRightStopsTheSaveWithItsMessage) {
    services->rights = {"02/020216"};
    EXPECT_TRUE(Call({"SAVE_RECORDFILE", "202612080930120001", "10003"}).IsEmpty());
    EXPECT_EQ(ui.MessageTextsUtf8(),
              (std::vector<std::string>{"您没有保存流水号〖202612080930120001〗录音的权限！"}));
    EXPECT_EQ(ui->Messages().at(0).source, "InfoDlg");
    EXPECT_EQ(ui->Messages().at(0).owner, handle);
    EXPECT_TRUE(ProcedureCalls().empty());
}

} // namespace
} // namespace recording_test
