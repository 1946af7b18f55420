// The log file, the marker-switched DLog, the trace line and the helpers, in a program directory
// of the test's own: the test binary copies itself into a fresh directory and runs that copy
// with a command in TOLLUND_LOG_COMMAND, so the log lands beside the copy.
#include "support/TempDir.h"

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- the copy's side: runs before main when TOLLUND_LOG_COMMAND is set ----------------------

void RunCommand(const std::string& command) {
    std::istringstream in(command);
    std::string verb;
    in >> verb;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') {
        rest.erase(0, 1);
    }
    if (verb == "rlog") {
        CFunction::RLog("%s", rest.c_str());
    } else if (verb == "dlog") {
        CFunction::DLog("%s", rest.c_str());
    } else if (verb == "vlog2") {
        CFunction::VLog("%s", rest.c_str());
        CFunction::VLog("%s", rest.c_str());
    } else if (verb == "elog5") {
        CFunction::ELog("source.cpp", 42, 5);
    } else if (verb == "elogneg") {
        CFunction::ELog("source.cpp", 7, -1);
    } else if (verb == "elogerrno") {
        errno = ENOENT;
        CFunction::ELog("other.cpp", 9);
    } else if (verb == "long") {
        const std::string text(600, 'x');
        CFunction::RLog("%s", text.c_str());
    } else if (verb == "dir") {
        std::printf("%s", CFunction::GetCurrentModuleDir().c_str());
    } else if (verb == "many") {
        // "many THREADS COUNT TAG": THREADS threads write COUNT entries each.
        int threads = 0;
        int count = 0;
        std::string tag;
        std::istringstream args(rest);
        args >> threads >> count >> tag;
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([=] {
                for (int i = 0; i < count; ++i) {
                    CFunction::RLog("%s-%d-%d-%s", tag.c_str(), t, i,
                                    "abcdefghijklmnopqrstuvwxyz0123456789");
                }
            });
        }
        for (auto& w : workers) {
            w.join();
        }
    }
}

const bool commandRan = [] {
    const char* command = std::getenv("TOLLUND_LOG_COMMAND");
    if (command == nullptr) {
        return false;
    }
    RunCommand(command);
    std::fflush(stdout);
    _exit(0);
}();

// ---- the test's side ------------------------------------------------------------------------

const std::regex StampAndText("\r\n\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} ");

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Splits a log into its messages, checking every entry's separator and stamp.
std::vector<std::string> Entries(const std::string& log) {
    std::vector<std::string> messages;
    size_t at = 0;
    while (at < log.size()) {
        std::smatch match;
        const std::string rest = log.substr(at);
        EXPECT_TRUE(
            std::regex_search(rest, match, StampAndText, std::regex_constants::match_continuous))
            << "no entry start at byte " << at;
        if (match.empty()) {
            break;
        }
        const size_t body = at + static_cast<size_t>(match.length(0));
        const size_t next = log.find("\r\n", body);
        const size_t end = next == std::string::npos ? log.size() : next;
        messages.push_back(log.substr(body, end - body));
        at = end;
    }
    return messages;
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.Path();
        fs::copy_file(fs::read_symlink("/proc/self/exe"), dir_ / "writer");
    }

    // Runs the copy with a command; returns what it printed on the stream fd (1 or 2).
    std::string Run(const std::string& command, int stream = 1) {
        int pipeFds[2];
        EXPECT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], stream);
            close(pipeFds[0]);
            close(pipeFds[1]);
            setenv("TOLLUND_LOG_COMMAND", command.c_str(), 1);
            const std::string exe = (dir_ / "writer").string();
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string output;
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            output.append(buffer, static_cast<size_t>(got));
        }
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        return output;
    }

    std::string Log() { return ReadFile(dir_ / "Info.dat"); }

    zeph::testing::TempDir temp_;
    fs::path dir_;
};

TEST_F(LogTest, FirstEntryIsSeparatorStampAndMessageWithoutLineEnd) {
    Run("rlog hello log");
    const std::string log = Log();
    EXPECT_TRUE(std::regex_match(
        log, std::regex("\r\n\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} hello log")))
        << log;
    Run("rlog second");
    EXPECT_EQ(Entries(Log()), (std::vector<std::string>{"hello log", "second"}));
}

TEST_F(LogTest, FileOverTheLimitIsStartedAgain) {
    struct Case {
        size_t size;
        bool kept;
    };
    for (const Case c : {Case{2048000, true}, Case{2048001, false}}) {
        {
            std::ofstream out(dir_ / "Info.dat", std::ios::binary | std::ios::trunc);
            out << std::string(c.size, 'o');
        }
        Run("rlog after");
        const std::string log = Log();
        if (c.kept) {
            EXPECT_EQ(log.substr(0, c.size), std::string(c.size, 'o'));
            EXPECT_EQ(Entries(log.substr(c.size)), std::vector<std::string>{"after"});
        } else {
            EXPECT_EQ(Entries(log), std::vector<std::string>{"after"});
        }
    }
}

TEST_F(LogTest, DLogFollowsTheMarkerFileWhileRunning) {
    Run("dlog hidden");
    EXPECT_FALSE(fs::exists(dir_ / "Info.dat"));
    std::ofstream(dir_ / "VelkarnTech.debug").put('1');
    Run("dlog shown");
    fs::remove(dir_ / "VelkarnTech.debug");
    Run("dlog hidden again");
    EXPECT_EQ(Entries(Log()), std::vector<std::string>{"[DLog] shown"});
}

TEST_F(LogTest, MessageIsCutAt511Characters) {
    Run("long");
    EXPECT_EQ(Entries(Log()), std::vector<std::string>{std::string(511, 'x')});
}

TEST_F(LogTest, ELogWritesFileLineAndHexCode) {
    Run("elog5");
    Run("elogneg");
    Run("elogerrno");
    EXPECT_EQ(Entries(Log()), (std::vector<std::string>{"source.cpp.Line:42.Error Code:0X5",
                                                        "source.cpp.Line:7.Error Code:0XFFFFFFFF",
                                                        "other.cpp.Line:9.Error Code:0X2"}));
}

TEST_F(LogTest, VLogNumbersTraceLinesOnStandardErrorOnly) {
    const std::string trace = Run("vlog2 traced", 2);
    const std::regex line(
        "No:(\\d+)\t,\\d{1,2}-\\d{1,2} \\d{2}:\\d{2}:\\d{2},Tick:-?\\d+,traced\r\n");
    std::smatch first;
    ASSERT_TRUE(std::regex_search(trace, first, line)) << trace;
    EXPECT_EQ(first.position(0), 0);
    EXPECT_EQ(first[1], "0");
    const std::string rest = first.suffix();
    std::smatch second;
    ASSERT_TRUE(std::regex_match(rest, second, line)) << rest;
    EXPECT_EQ(second[1], "1");
    EXPECT_FALSE(fs::exists(dir_ / "Info.dat"));
}

TEST_F(LogTest, ProgramDirectoryIsTheExecutablesDirectory) {
    EXPECT_EQ(Run("dir"), dir_.string());
}

TEST_F(LogTest, EntriesOfManyThreadsNeverInterleave) {
    Run("many 8 200 t");
    const std::vector<std::string> entries = Entries(Log());
    ASSERT_EQ(entries.size(), 1600u);
    const std::regex whole("t-\\d-\\d+-abcdefghijklmnopqrstuvwxyz0123456789");
    for (const std::string& e : entries) {
        EXPECT_TRUE(std::regex_match(e, whole)) << e;
    }
}

TEST_F(LogTest, AnotherProcessHoldingTheFileMakesTheEntryLost) {
    Run("rlog first");
    const int fd = open((dir_ / "Info.dat").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    Run("rlog lost");
    close(fd);
    Run("rlog kept");
    EXPECT_EQ(Entries(Log()), (std::vector<std::string>{"first", "kept"}));
}

TEST_F(LogTest, TwoProcessesAtOnceLoseEntriesButNeverMixBytes) {
    std::thread other([this] { Run("many 2 300 b"); });
    Run("many 2 300 a");
    other.join();
    const std::vector<std::string> entries = Entries(Log());
    EXPECT_GT(entries.size(), 0u);
    EXPECT_LE(entries.size(), 1200u);
    const std::regex whole("[ab]-\\d-\\d+-abcdefghijklmnopqrstuvwxyz0123456789");
    for (const std::string& e : entries) {
        EXPECT_TRUE(std::regex_match(e, whole)) << e;
    }
}

TEST_F(LogTest, UnopenableLogLosesTheEntrySilently) {
    fs::create_directory(dir_ / "Info.dat");
    Run("rlog nowhere");
    EXPECT_TRUE(fs::is_directory(dir_ / "Info.dat"));
}

TEST(CFunctionHelpers, ErrorTextsComeFromTheSystem) {
    EXPECT_EQ(CFunction::GetLastErrorString(ENOENT), "No such file or directory");
    EXPECT_EQ(CFunction::GetLastErrorString(99999), "");
    EXPECT_EQ(CFunction::GetLastErrorString(0), "");
    errno = EACCES;
    EXPECT_EQ(CFunction::GetLastErrorString(), "Permission denied");
}

TEST(CFunctionHelpers, TickCountIsMonotonicMilliseconds) {
    const int64_t before = CFunction::GetSysTickCount64();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int64_t after = CFunction::GetSysTickCount64();
    EXPECT_GE(after - before, 30);
    EXPECT_LT(after - before, 30000); // milliseconds, not microseconds
    const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    EXPECT_LT(std::llabs(steady - CFunction::GetSysTickCount64()), 1000);
}

} // namespace
