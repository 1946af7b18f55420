// PLAY_RECORDFILE: its log lines; one recording played at once; several listed in the single
// selection window, which plays on a double click, stays open, is refilled by a later call,
// closes on Escape and is made anew after closing.
#include "RecordingFixture.h"
#include "recording/RecordingPart.h"
#include "recording/untSelRecodFile.h"

#include <zeph/formdrive/User.h>

namespace recording_test {
namespace {

using morvane::recording::FormatConveyDate;
using morvane::recording::TfrmSelRecodFile;
using morvane::recording::TRecordingPart;

const std::string kSerial = "202612081015000002";

const std::vector<std::string> kLogWithRows = {" PlayDrecordFile(serino:" + kSerial + ")",
                                               " getDrecordFile(serino:" + kSerial + ")",
                                               " getDrecordFile  end ;", " PlayDrecordFile end"};

class PlayRecordFileTest : public RecordingFixture {
protected:
    void Rows(const std::vector<std::vector<std::string>>& rows) {
        std::string packet = Packet({"FILENAME", "STAFFNO", "CONVEYDATE"}, rows);
        procedures["P_CASE_EXECUTEQUERY"] = [packet](const std::string& parameters,
                                                     zeph::Variant& result) {
            if (parameters != "ZEPHSC_CASE_SELECTRECORDFILE~" + kSerial) {
                return false;
            }
            // The return code is not looked at.
            result = DatasetAnswer(packet, "-5");
            return true;
        };
    }
    TfrmSelRecodFile* Window() const { return main->Part<TRecordingPart>().SelRecodFile(); }
};

TEST_F(PlayRecordFileTest, NothingToPlay) {
    EXPECT_TRUE(Call({"PLAY_RECORDFILE"}).IsEmpty());
    EXPECT_TRUE(Call({"PLAY_RECORDFILE", ""}).IsEmpty());
    EXPECT_TRUE(services->logLines.empty());
    EXPECT_TRUE(ProcedureCalls().empty());

    // The query fails: no end lines.
    Call({"PLAY_RECORDFILE", kSerial});
    EXPECT_EQ(services->logLines, (std::vector<std::string>{kLogWithRows[0], kLogWithRows[1]}));
    // No rows: the query's end line only.
    services->logLines.clear();
    Rows({});
    Call({"PLAY_RECORDFILE", kSerial});
    EXPECT_EQ(services->logLines,
              (std::vector<std::string>(kLogWithRows.begin(), kLogWithRows.begin() + 3)));
    EXPECT_TRUE(services->playedFiles.empty());
    EXPECT_TRUE(ui->Records().empty());
}

TEST_F(PlayRecordFileTest, OneRecordingPlaysAtOnce) {
    Rows({{"/rec/0571/convey/0930120001.v3", "10001", "20261208T09:35:10000"}});
    EXPECT_TRUE(Call({"play_recordfile", kSerial}).IsEmpty());
    EXPECT_EQ(services->playedFiles, (std::vector<std::string>{"/rec/0571/convey/0930120001.v3"}));
    EXPECT_EQ(services->logLines, kLogWithRows);
    EXPECT_EQ(ProcedureCalls(), (std::vector<std::string>{"P_CASE_EXECUTEQUERY("
                                                          "ZEPHSC_CASE_SELECTRECORDFILE~" +
                                                          kSerial + ")"}));
    EXPECT_TRUE(ui->Records().empty());
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(PlayRecordFileTest, SeveralRecordingsInTheSingleSelectionWindow) {
    Rows({{"/rec/convey/a.v3", "10003", "20261208T10:20:00000"},
          {"  /rec/convey/b.v3 ", "10006", "20261208T10:31:45123"},
          {"", "10007", "20261208"}});
    ui->When<TfrmSelRecodFile>([](TfrmSelRecodFile& f, zeph::forms::User& user) {
        user.DoubleClick(f.lvRecordFile, 1);
        user.DoubleClick(f.lvRecordFile, 2); // no file name: nothing played
        user.DoubleClick(f.lvRecordFile, 0);
    });
    EXPECT_TRUE(Call({"PLAY_RECORDFILE", kSerial}).IsEmpty());
    EXPECT_EQ(services->playedFiles,
              (std::vector<std::string>{"/rec/convey/b.v3", "/rec/convey/a.v3"}));
    EXPECT_EQ(services->logLines, kLogWithRows);

    TfrmSelRecodFile* window = Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible);
    EXPECT_FALSE(window->IsModal());
    EXPECT_EQ(window->Owner(), nullptr);
    EXPECT_EQ(window->Caption, "请双击选择放音记录"_host);
    EXPECT_EQ(window->ClientWidth(), 516);
    EXPECT_EQ(window->ClientHeight(), 145);
    EXPECT_EQ(window->FormStyle, zeph::forms::FormStyle::StayOnTop);
    const auto& view = window->lvRecordFile;
    EXPECT_TRUE(view.GridLines && view.RowSelect);
    ASSERT_EQ(view.Columns.size(), 3u);
    EXPECT_EQ(view.Columns[0].Caption, "录音文件"_host);
    EXPECT_TRUE(view.Columns[0].AutoSize);
    EXPECT_EQ(view.Columns[1].Caption, "转存工号"_host);
    EXPECT_EQ(view.Columns[1].Width, 70);
    EXPECT_EQ(view.Columns[1].Alignment, zeph::forms::Alignment::Center);
    EXPECT_EQ(view.Columns[2].Caption, "转存时间"_host);
    EXPECT_EQ(view.Columns[2].Width, 140);
    EXPECT_EQ(view.Columns[2].Alignment, zeph::forms::Alignment::Center);
    ASSERT_EQ(view.Items.Count(), 3);
    EXPECT_EQ(view.Items[1].Caption, "  /rec/convey/b.v3 ");
    EXPECT_EQ(view.Items[1].SubItems, (std::vector<std::string>{"10006", "2026-12-08 10:31:45"}));
    EXPECT_EQ(view.Items[2].SubItems, (std::vector<std::string>{"10007", "2026-12-08 00:00:00"}));

    // A later call refills the same window.
    Rows({{"/rec/convey/c.v3", "10001", "20261209T08:00:00000"},
          {"/rec/convey/d.v3", "10002", "20261209T08:05:00000"}});
    ui->When<TfrmSelRecodFile>([](TfrmSelRecodFile&, zeph::forms::User&) {});
    Call({"PLAY_RECORDFILE", kSerial});
    EXPECT_EQ(Window(), window);
    ASSERT_EQ(window->lvRecordFile.Items.Count(), 2);
    EXPECT_EQ(window->lvRecordFile.Items[0].Caption, "/rec/convey/c.v3");

    // Escape closes it; the window is freed and the next call makes a new one.
    zeph::forms::User user;
    user.Escape(*window);
    zeph::forms::Application()->ProcessReleases();
    EXPECT_EQ(Window(), nullptr);
    Call({"PLAY_RECORDFILE", kSerial});
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->lvRecordFile.Items.Count(), 2);
}

TEST_F(PlayRecordFileTest, SelectionWindowGoesWithTheMainWindow) {
    Rows({{"/rec/a.v3", "1", "20261208T10:20:00000"}, {"/rec/b.v3", "2", "20261208T10:20:00000"}});
    Call({"PLAY_RECORDFILE", kSerial});
    ASSERT_NE(Window(), nullptr);
    const zeph::forms::WindowHandle selection = Window()->Handle();
    zeph::CloseWindow(handle);
    EXPECT_EQ(zeph::forms::Form::FromHandle(selection), nullptr);
    handle = ShowMorvane(7);
    main = dynamic_cast<morvane::TInterFacefrmMain*>(zeph::forms::Form::FromHandle(handle));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Window(), nullptr);
}

TEST(FormatConveyDateTest, PacketDatesAsTheListShowsThem) {
    struct Case {
        const char* value;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"20261208T10:31:45123", "2026-12-08 10:31:45"},
        {"20261208T10:31:45", "2026-12-08 10:31:45"},
        {"20261208", "2026-12-08 00:00:00"},
        {"2026-12-08 10:31:45", "2026-12-08 10:31:45"},
        {"", ""},
        {"2026120", "2026120"},
        {"20261208T1031", "20261208T1031"},
        {"20261208X10:31:45", "20261208X10:31:45"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatConveyDate(c.value), c.shown) << c.value;
    }
}

} // namespace
} // namespace recording_test
