// zeph-host with the demo desk's recordings on a real FTP server on loopback: the agent's own
// recording saved byte for byte through the save window, and the desk's player command given
// the recording to play, at once or from the selection window.
#include "support/FtpChecks.h"
#include "support/FtpTestServer.h"
#include "support/PlayerCommand.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/Database.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace zeph::emulator {
namespace {

using testing::ProcessResult;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";

ProcessResult Host(std::vector<std::string> args) {
    args.insert(args.begin(), kProgram);
    return testing::Run(args);
}

class DemoRecordingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        recording.assign(300000, '\0');
        for (std::size_t i = 0; i < recording.size(); ++i) {
            recording[i] = static_cast<char>((i * 131) ^ (i >> 8));
        }
        testing::WriteFile(root.File("rec/0571/20261208/0930120001.v3"), recording);
        server = std::make_unique<testing::FtpTestServer>(root.Path());
        ProcessResult r = Host({"make-demo", db});
        ASSERT_EQ(r.status, 0) << r.err;
        Database desk = Database::Open(db, false);
        desk.Exec("UPDATE t_ftp_location SET port = '" + std::to_string(server->Port()) + "'");
        desk.Run("UPDATE desk_setting SET value = ?1 WHERE name = 'player_command'",
                 {{testing::NotingPlayerCommand(dir.File("played.txt"))}, std::nullopt});
        testing::WriteFile(script, "[TfrmSaveRecordFile]\nclick bbtnSave\n\n"
                                   "[TfrmSelRecodFile]\ndblclick lvRecordFile 2\n");
    }

    // The player runs without the host waiting for it.
    std::string Played(std::size_t lines) {
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text = testing::ReadFile(dir.File("played.txt"));
            if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return text;
    }

    testing::TempDir dir, root;
    std::string db = dir.File("desk.db");
    std::string script = dir.File("windows.txt");
    std::string recording;
    std::unique_ptr<testing::FtpTestServer> server;
};

TEST_F(DemoRecordingsTest, TheAgentsOwnRecordingIsSavedWhole) {
    const std::string saved = dir.File("saved.v3");
    ProcessResult r = Host({"--server", db, "--script", script, "--answer", saved, "call",
                            "SAVE_RECORDFILE", "202612080930120001", "10001"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Window: 保存录音文件 (TfrmSaveRecordFile)\n"
                     "SaveDialog: sgFile [录音文件(*.v3)|*.v3] 202612080930120001.v3\n");
    EXPECT_TRUE(testing::ReadFile(saved) == recording);
    const std::vector<std::string> commands =
        testing::SettledCommands(*server, testing::SessionsEnded);
    EXPECT_NE(std::find(commands.begin(), commands.end(), "CWD /rec/0571/20261208/"),
              commands.end());

    // Another agent's recording needs a right the demo agent lacks.
    r = Host({"--server", db, "call", "SAVE_RECORDFILE", "202612081015000002", "10003"});
    EXPECT_EQ(r.err, "InfoDlg: 您没有保存流水号〖202612081015000002〗录音的权限！\n");
}

TEST_F(DemoRecordingsTest, ThePlayerCommandIsGivenTheRecording) {
    ProcessResult r = Host({"--server", db, "call", "PLAY_RECORDFILE", "202612080930120001"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Played(1), "/rec/0571/convey/0930120001.v3\n");
    r = Host({"--server", db, "--script", script, "call", "PLAY_RECORDFILE", "202612081015000002"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Window: 请双击选择放音记录 (TfrmSelRecodFile)\n");
    EXPECT_EQ(Played(2), "/rec/0571/convey/0930120001.v3\n/rec/0571/convey/1015000002c.v3\n");
}

} // namespace
} // namespace zeph::emulator
