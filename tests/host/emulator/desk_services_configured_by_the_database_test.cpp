// The desk's host services: agent, modules, rights, parameters, log file, player, CallDll.
#include "support/PlayerCommand.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/DemoDatabase.h>
#include <zeph/emulator/DeskServices.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace zeph::emulator {
namespace {

class DeskServicesTest : public ::testing::Test {
protected:
    DeskServicesTest() : db(Database::Open(dir.File("desk.db"), true)), desk(db) {
        BuildDemoDatabase(db);
    }

    testing::TempDir dir;
    Database db;
    DeskServices desk;
};

TEST_F(DeskServicesTest, AgentModulesRightsAndParameters) {
    EXPECT_EQ(desk.GetWorkerNO(), "10001");
    EXPECT_EQ(desk.GetStaffCityID(), "0571");
    EXPECT_EQ(desk.GetEnCodePass(), "E10ADC3949BA59ABBE56E057F20F883E");
    EXPECT_TRUE(desk.HadLoadModule("BN", ""));
    EXPECT_TRUE(desk.HadLoadModule("bn", ""));
    EXPECT_FALSE(desk.HadLoadModule("XX", ""));
    EXPECT_TRUE(desk.HasAuth("02", "010304"));
    EXPECT_FALSE(desk.HasAuth("02", "020205"));
    EXPECT_FALSE(desk.HasAuth("03", "010304"));
    EXPECT_EQ(desk.GetSysParam("QC", "21"), "N");
    EXPECT_EQ(desk.GetSysParam("IWFLOW", "20"), "2");
    EXPECT_EQ(desk.GetSysParam("IWFLOW", "99"), "");
    db.Exec("UPDATE desk_setting SET value = '张三' WHERE name = 'worker_no'");
    EXPECT_EQ(desk.GetWorkerNO(), text::Utf8ToGbk("张三"));
}

TEST_F(DeskServicesTest, RoutPackageFollowsTheTable) {
    const TRoutPackage* package = desk.GetRoutPackage();
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(package->bytes[1], '0');
    db.Exec("DELETE FROM rout_field");
    EXPECT_EQ(desk.GetRoutPackage(), nullptr);
    db.Exec("INSERT INTO rout_field VALUES ('WRONG', '1')");
    EXPECT_THROW(desk.GetRoutPackage(), EServerError);
}

TEST_F(DeskServicesTest, WriteLogAppendsHostTextLinesToTheConfiguredFile) {
    db.Exec("UPDATE desk_setting SET value = 'host.log' WHERE name = 'log_file'");
    desk.WriteLog(text::Utf8ToGbk("调用媒体发送日志接口"), "");
    desk.WriteLog("second\r\nline", "");
    std::string log = testing::ReadFile(dir.File("host.log"));
    auto first = log.find(text::Utf8ToGbk("调用媒体发送日志接口") + "\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.find(" second\r\nline\n", first), std::string::npos);
    EXPECT_EQ(log.substr(4, 1), "-"); // starts with the date

    desk.SetLogFile(dir.File("other.log"));
    desk.WriteLog("x", "");
    EXPECT_NE(testing::ReadFile(dir.File("other.log")).find(" x\n"), std::string::npos);
}

TEST_F(DeskServicesTest, BeginPlayFileLogsOrRunsThePlayerWithTheNameAsArgument) {
    desk.SetLogFile(dir.File("host.log"));
    desk.BeginPlayFile("/rec/a.v3");
    EXPECT_NE(testing::ReadFile(dir.File("host.log")).find("BeginPlayFile: /rec/a.v3"),
              std::string::npos);

    std::string played = dir.File("played.txt");
    db.Run("UPDATE desk_setting SET value = ?1 WHERE name = 'player_command'",
           {{testing::NotingPlayerCommand(played)}, std::nullopt});
    // Shell characters and spaces in the name reach the player as one argument, not as commands.
    desk.BeginPlayFile("/rec/b.v3; touch " + dir.File("injected"));
    std::string content;
    for (int i = 0; i < 100 && content.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        content = testing::ReadFile(played);
    }
    EXPECT_EQ(content, "/rec/b.v3; touch " + dir.File("injected") + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("injected")));
}

TEST_F(DeskServicesTest, CallDllAnswersDorvikAndRefusesUnknownLibraries) {
    Variant output;
    ASSERT_TRUE(
        desk.CallDll("Dorvik.dll", Variant::ArrayOf({"GETCURTABINFO", "", ""}), output, false));
    ASSERT_TRUE(output.IsArray());
    EXPECT_EQ(output.HighBound(), 2);
    EXPECT_EQ(output[0].AsText(), "True");
    EXPECT_EQ(output[1].AsText(), "SV1001");
    db.Exec("UPDATE desk_setting SET value = 'SV2002' WHERE name = 'current_service_id'");
    ASSERT_TRUE(desk.CallDll("dorvik.DLL", Variant::ArrayOf({"GETCURTABINFO"}), output, false));
    EXPECT_EQ(output[1].AsText(), "SV2002");
    ASSERT_TRUE(desk.CallDll("Dorvik.dll", Variant::ArrayOf({"OTHER"}), output, false));
    EXPECT_TRUE(output.IsEmpty());

    EXPECT_FALSE(desk.CallDll("Unknown.dll", Variant::ArrayOf({"X"}), output, true));
    db.Exec("INSERT INTO dll_library VALUES ('Broken.dll', '" + dir.File("none.so") + "')");
    EXPECT_FALSE(desk.CallDll("Broken.dll", Variant::ArrayOf({"X"}), output, true));
}

TEST_F(DeskServicesTest, FtpWithoutAServerFailsAndLogsWhy) {
    desk.SetLogFile(dir.File("host.log"));
    db.Exec("UPDATE desk_setting SET value = '' WHERE name = 'ftp_host'");
    EXPECT_FALSE(desk.FTPDownLoad("/rec", dir.Path(), "a.v3"));
    EXPECT_NE(testing::ReadFile(dir.File("host.log")).find("no FTP server"), std::string::npos);
}

} // namespace
} // namespace zeph::emulator
