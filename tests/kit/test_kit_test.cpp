// The test kit on the platform it is built for. Under Wine the Linux programs here (the shell,
// Python, pyftpdlib) run on the Linux side through the peer launcher; on Linux they run directly.
#include "support/FtpTestServer.h"
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace zeph::testing {
namespace {

using namespace std::chrono_literals;

TEST(TestKit, TempDirIsFreshAndGoesWithEverythingInIt) {
    std::string kept;
    {
        TempDir a, b;
        EXPECT_NE(a.Path(), b.Path());
        EXPECT_TRUE(std::filesystem::is_directory(a.Path()));
        EXPECT_TRUE(std::filesystem::is_empty(a.Path()));
        WriteFile(a / "sub/deeper/file.bin", std::string("x\0\r\n\x1a"
                                                         "y",
                                                         6));
        EXPECT_EQ(ReadFile(a / "sub/deeper/file.bin"), std::string("x\0\r\n\x1a"
                                                                   "y",
                                                                   6));
        EXPECT_EQ(ReadFile(a / "missing"), "");
        kept = a.Path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(TestKit, RunsAProgramOfThePlatformWithArgumentsInputAndStatus) {
    // Arguments that a command line must quote arrive as they were given.
    ProcessResult r = zeph::testing::Run(
        {KIT_ECHO, "7", "two words", "a\"quote", "trailing\\", "back\\\\\"slash", ""},
        "input bytes");
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.out, "input bytes");
    EXPECT_EQ(r.err, "[two words][a\"quote][trailing\\][back\\\\\"slash][]");
}

TEST(TestKit, ProgramsSeeTheEnvironmentSetForTheScope) {
    {
        ScopedEnv value("ZEPH_KIT_VALUE", std::string("set here"));
        EXPECT_EQ(zeph::testing::Run({KIT_ECHO, "0"}).err, "value=set here");
    }
    EXPECT_EQ(zeph::testing::Run({KIT_ECHO, "0"}).err, "");
}

TEST(TestKit, RunsALinuxProgramWithInputOutputErrorAndStatus) {
    ProcessResult r = zeph::testing::Run({"/bin/sh", "-c", "cat; printf 'to error' >&2; exit 3"},
                                         std::string("a\0b\nc", 5));
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, std::string("a\0b\nc", 5));
    EXPECT_EQ(r.err, "to error");
}

TEST(TestKit, ALinuxProgramPastItsLimitIsKilled) {
    ProcessResult r = zeph::testing::Run({"/bin/sh", "-c", "echo started; exec sleep 60"}, {}, 2s);
    EXPECT_EQ(r.status, -1);
}

TEST(TestKit, ALinuxProgramReadsTheFilesATestWrote) {
    TempDir dir;
    WriteFile(dir / "note.txt", "written by the test");
    ProcessResult r = zeph::testing::Run({"/bin/cat", dir / "note.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "written by the test");
    // And the file it writes is the test's file.
    ProcessResult w = zeph::testing::Run(
        {"/bin/sh", "-c", "printf 'from the peer' > \"$1\"", "sh", dir / "back.txt"});
    EXPECT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(ReadFile(dir / "back.txt"), "from the peer");
    // A name beyond ASCII, given in UTF-8.
    std::ofstream(std::filesystem::path(dir.Path()) / std::filesystem::path(u8"报告 一.txt"))
        << "chinese name";
    ProcessResult named =
        zeph::testing::Run({"/bin/cat", dir / "\xE6\x8A\xA5\xE5\x91\x8A \xE4\xB8\x80.txt"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, "chinese name");
}

TEST(TestKit, AMissingProgramIsAnError) {
    TempDir dir;
    EXPECT_THROW(zeph::testing::Run({dir / "no-such-program"}), std::runtime_error);
}

TEST(TestKit, ABackgroundServerListensUntilStopped) {
    int port = FreeLoopbackPort();
    ASSERT_GT(port, 0);
    Background server(
        {"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1", std::to_string(port)});
    ASSERT_TRUE(WaitForPort(port, 15s));
    server.Stop();
    EXPECT_FALSE(WaitForPort(port, 500ms));
}

TEST(TestKit, TheFtpServerServesTheTestsFolderAndLogsCommands) {
    TempDir dir;
    WriteFile(dir / "served.txt", "hello");
    FtpTestServer server(dir.Path());
    ASSERT_GT(server.Port(), 0);
    ProcessResult r = zeph::testing::Run({"/usr/bin/python3", "-c",
                                          "import ftplib, sys\n"
                                          "f = ftplib.FTP()\n"
                                          "f.connect('127.0.0.1', int(sys.argv[1]))\n"
                                          "f.login()\n"
                                          "print(f.nlst())\n"
                                          "f.quit()\n",
                                          std::to_string(server.Port())});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "['served.txt']\n");
    std::vector<std::string> commands;
    for (int i = 0; i < 50 && commands.size() < 3; ++i) {
        commands = server.Commands();
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "USER anonymous");
    server.Stop();
    EXPECT_FALSE(WaitForPort(server.Port(), 500ms));
}

TEST(TestKit, ASilentListenerTakesConnectionsAndNeverAnswersUntilClosed) {
    SilentListener silent;
    const std::string probe =
        "import socket, sys\n"
        "try:\n"
        "    s = socket.create_connection(('127.0.0.1', int(sys.argv[1])), 5)\n"
        "    s.settimeout(1)\n"
        "    print('answered' if s.recv(1) else 'closed')\n"
        "except socket.timeout:\n"
        "    print('silent')\n"
        "except ConnectionRefusedError:\n"
        "    print('refused')\n";
    const std::string port = std::to_string(silent.Port());
    EXPECT_EQ(zeph::testing::Run({"/usr/bin/python3", "-c", probe, port}).out, "silent\n");
    silent.Close();
    EXPECT_EQ(zeph::testing::Run({"/usr/bin/python3", "-c", probe, port}).out, "refused\n");
}

} // namespace
} // namespace zeph::testing
