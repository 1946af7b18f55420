// CFunction::ExecCommand with real child processes: captured output read to its end, time-outs
// that kill the child and log, children that write megabytes or leave a grandchild holding the
// pipe, missing programs and over-long command lines.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

namespace {

using systest::LogHasEntry;
using systest::LogText;

int Exec(const std::string& app, const std::string& line, std::string& output, int capture = 1,
         int timeout = 20) {
    return CFunction::ExecCommand(app, line, output, capture, timeout);
}

TEST(ExecCommand, CapturesStandardOutputAndError) {
    std::string output = "stale";
    EXPECT_EQ(Exec("/bin/sh", R"(sh -c "echo out; echo err >&2")", output), 1);
    EXPECT_EQ(output, "out\nerr\n");
}

TEST(ExecCommand, WithoutCaptureTheOutputStaysEmpty) {
    std::string output = "stale";
    EXPECT_EQ(Exec("/bin/sh", R"(sh -c "echo out")", output, 0), 1);
    EXPECT_EQ(output, "");
}

TEST(ExecCommand, EmptyApplicationPathSearchesTheFirstArgumentOnPath) {
    std::string output;
    EXPECT_EQ(Exec("", "echo found on path", output), 1);
    EXPECT_EQ(output, "found on path\n");
}

struct SplitCase {
    const char* line;
    const char* printed;
};

class ExecCommandSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExecCommandSplitting, ArgumentsFollowTheWindowsRules) {
    std::string output;
    ASSERT_EQ(Exec("/usr/bin/printf", std::string("printf [%s] ") + GetParam().line, output), 1);
    EXPECT_EQ(output, GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ExecCommandSplitting,
    ::testing::Values(SplitCase{"a  b\tc", "[a][b][c]"}, SplitCase{R"("b c" d)", "[b c][d]"},
                      SplitCase{R"(x"y z"w)", "[xy zw]"}, SplitCase{R"(d\"e)", R"([d"e])"},
                      SplitCase{R"(a\\"b c")", R"([a\b c])"}, SplitCase{R"(a\b)", R"([a\b])"},
                      SplitCase{R"("g""h")", R"([g"h])"}, SplitCase{R"("")", "[]"}));

class ExecCommandOutputLength : public ::testing::TestWithParam<size_t> {};

// Output that ends exactly at a read boundary must not make the reader wait for more.
TEST_P(ExecCommandOutputLength, IsReadToTheEnd) {
    std::string output;
    const std::string line = "sh -c \"head -c " + std::to_string(GetParam()) + " /dev/zero\"";
    EXPECT_EQ(Exec("/bin/sh", line, output), 1);
    EXPECT_EQ(output.size(), GetParam());
    EXPECT_EQ(output.find_first_not_of('\0'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExecCommandOutputLength,
                         ::testing::Values(0, 1, 4095, 4096, 4097, 8192, 65536, 65537, 8u << 20));

TEST(ExecCommand, ChildWritingMegabytesWithoutCaptureEndsInTime) {
    std::string output;
    EXPECT_EQ(Exec("/bin/sh", "sh -c \"head -c 16000000 /dev/zero\"", output, 0, 20), 1);
    EXPECT_EQ(output, "");
}

TEST(ExecCommand, GrandchildHoldingThePipeDoesNotKeepTheReaderWaiting) {
    std::string output;
    // The grandchild inherits the pipe and keeps it open for a minute.
    EXPECT_EQ(Exec("/bin/sh", R"(sh -c "sleep 60 & echo $!")", output, 1, 20), 1);
    ASSERT_FALSE(output.empty());
    const pid_t grandchild = std::stoi(output);
    EXPECT_EQ(kill(grandchild, 0), 0) << "the grandchild still runs";
    kill(grandchild, SIGKILL);
}

TEST(ExecCommand, TimeOutKillsTheChildLogsAndReturnsZero) {
    systest::TempDir dir;
    const std::string pidFile = dir / "pid";
    std::string output;
    EXPECT_EQ(Exec("/bin/sh", "sh -c \"echo $$ > " + pidFile + "; echo partial; exec sleep 5\"",
                   output, 1, 1),
              0);
    EXPECT_EQ(output, "");
    const pid_t child = std::stoi(systest::ReadFile(pidFile));
    EXPECT_NE(kill(child, 0), 0) << "the child was killed and reaped";
    const std::string log = LogText();
    EXPECT_NE(log.find("ExecCommand:/bin/sh.Waited  1S Timeout. ret="), std::string::npos);
}

TEST(ExecCommand, MissingProgramIsLoggedAndFails) {
    std::string output;
    EXPECT_EQ(Exec("/no/such/program", "program", output), 0);
    EXPECT_TRUE(LogHasEntry(
        LogText(),
        "[ExecCommand] CreateProcess Error:/no/such/program.Error:No such file or directory"));
}

TEST(ExecCommand, CommandLineOf1040CharactersIsRefused) {
    std::string output;
    const std::string base = R"(sh -c "echo ok")";
    const std::string fits = base + std::string(1039 - base.size(), ' ');
    EXPECT_EQ(Exec("/bin/sh", fits, output), 1);
    EXPECT_EQ(output, "ok\n");
    EXPECT_EQ(Exec("/bin/sh", fits + " ", output), 0);
    EXPECT_TRUE(LogHasEntry(LogText(), "[ExecCommand] Command line too long (1040 characters, at "
                                       "most 1039).Command:/bin/sh"));
}

} // namespace
