// The debug-help library writes a minidump that Debian's lldb opens: a program fails on purpose
// inside a function with a known name (a null write, an abort, a stack overflow on the alternate
// stack, a second thread, twenty threads, a thread that blocks every signal), and lldb, given
// the dump and the program, shows that function in the failing thread's backtrace and the other
// threads in theirs. The writer's time limit ends a dump that cannot be written in the log line
// of a failed save, and the library is also found on the library search path.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;
using systest::LogHasEntry;
using systest::ReadFile;

// The program copied into a fresh folder as "agent", so that folder is its program directory.
class DumpHost {
public:
    DumpHost() : m_exe(m_dir / "agent") {
        fs::copy_file(TOLLUND_DUMP_CRASH_PROGRAM, m_exe);
        fs::permissions(m_exe, fs::perms::owner_all);
    }
    std::string operator/(const std::string& name) const { return m_dir / name; }
    void ShipDebugHelp() { fs::copy_file(TOLLUND_DBGHELP_LIBRARY, m_dir / "libdbghelp.so"); }
    // The wait status, or -1 when the program hung.
    int Run(const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment = {}) {
        std::vector<std::string> argv = {"/usr/bin/env"};
        argv.insert(argv.end(), environment.begin(), environment.end());
        argv.push_back(m_exe);
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        systest::Child child(argv, false);
        return child.Wait(std::chrono::seconds(60));
    }
    std::string Log() const { return ReadFile(m_dir / "Info.dat"); }
    // What lldb prints for the commands, run in batch mode on the dump and the program.
    std::string Lldb(const std::string& dump, const std::vector<std::string>& commands) {
        std::string script = "exec lldb --no-lldbinit --batch -c '" + dump + "' '" + m_exe + "'";
        for (const std::string& command : commands) {
            script += " -o '" + command + "'";
        }
        systest::Child child({"/bin/sh", "-c", script + " 2>&1"});
        return child.ReadAll(std::chrono::seconds(120));
    }

private:
    systest::TempDir m_dir;
    std::string m_exe;
};

bool EndedQuietlyBy(int status, int signalNumber) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 128 + signalNumber;
}

// The text lldb prints for the selected (failing) thread's backtrace, up to the next command.
std::string SelectedBacktrace(const std::string& output) {
    const size_t from = output.find("(lldb) bt");
    if (from == std::string::npos) {
        return {};
    }
    const size_t to = output.find("(lldb)", from + 1);
    return output.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// Whether text shows a frame of the program in function (lldb may print a bare C name with a
// leading "::").
bool HasProgramFrame(const std::string& text, const std::string& function) {
    return std::regex_search(text, std::regex("agent`(::)?" + function + "\\b"));
}

size_t CountProgramFrames(const std::string& text, const std::string& function) {
    const std::regex frame("agent`(::)?" + function + "\\b");
    return static_cast<size_t>(std::distance(std::sregex_iterator(text.begin(), text.end(), frame),
                                             std::sregex_iterator()));
}

struct CrashCase {
    const char* mode;
    int signalNumber;
    const char* signalName;
    const char* function;
};

class DumpOpensInLldb : public ::testing::TestWithParam<CrashCase> {};

TEST_P(DumpOpensInLldb, FailingThreadBacktraceShowsTheFailingFunction) {
    const CrashCase& crash = GetParam();
    DumpHost host;
    host.ShipDebugHelp();
    const int status = host.Run({crash.mode});
    ASSERT_TRUE(EndedQuietlyBy(status, crash.signalNumber)) << "status " << status;
    ASSERT_TRUE(LogHasEntry(host.Log(), "Save to dump file successful.")) << host.Log();
    const std::string output = host.Lldb(host / "agent01.dmp", {"bt 40", "thread list"});
    const std::string backtrace = SelectedBacktrace(output);
    EXPECT_NE(backtrace.find(std::string("stop reason = signal ") + crash.signalName),
              std::string::npos)
        << output;
    EXPECT_TRUE(HasProgramFrame(backtrace, crash.function)) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DumpOpensInLldb,
    ::testing::Values(CrashCase{"null-write", SIGSEGV, "SIGSEGV", "ZephCrashByNullWrite"},
                      CrashCase{"abort", SIGABRT, "SIGABRT", "ZephCrashByAbort"},
                      CrashCase{"stack-overflow", SIGSEGV, "SIGSEGV", "ZephCrashByStackOverflow"},
                      CrashCase{"worker-thread", SIGSEGV, "SIGSEGV", "ZephCrashInWorkerThread"}),
    [](const auto& info) {
        std::string name = info.param.mode;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(DumpOpensInLldb, SecondThreadIsTheFailingOneAndTheMainThreadUnwindsToo) {
    DumpHost host;
    host.ShipDebugHelp();
    ASSERT_TRUE(EndedQuietlyBy(host.Run({"worker-thread"}), SIGSEGV));
    const std::string output = host.Lldb(host / "agent01.dmp", {"bt", "bt all"});
    const std::string selected = SelectedBacktrace(output);
    EXPECT_NE(selected.find("* thread #2"), std::string::npos) << output;
    EXPECT_TRUE(HasProgramFrame(selected, "ZephCrashByNullWrite")) << output;
    // The main thread waits in join; its stack was stopped and copied.
    const size_t mainThread = output.find("thread #1", output.find("(lldb) bt all"));
    ASSERT_NE(mainThread, std::string::npos) << output;
    EXPECT_TRUE(HasProgramFrame(output.substr(mainThread), "main")) << output;
}

TEST(DumpOpensInLldb, EveryOneOfTwentyThreadsIsStoppedWithItsRegistersAndStack) {
    DumpHost host;
    host.ShipDebugHelp();
    ASSERT_TRUE(EndedQuietlyBy(host.Run({"threads", "20"}), SIGSEGV));
    const std::string output = host.Lldb(host / "agent01.dmp", {"bt all"});
    EXPECT_EQ(CountProgramFrames(output, "ZephIdleThread"), 20u) << output;
    EXPECT_NE(output.find("thread #21"), std::string::npos) << output;
    EXPECT_NE(SelectedBacktrace(output).find("ZephCrashByNullWrite"), std::string::npos) << output;
}

TEST(DumpOpensInLldb, AThreadThatBlocksTheStopSignalIsDescribedFromItsBlockedCall) {
    DumpHost host;
    host.ShipDebugHelp();
    ASSERT_TRUE(EndedQuietlyBy(host.Run({"signal-blocking-thread"}), SIGSEGV));
    ASSERT_TRUE(LogHasEntry(host.Log(), "Save to dump file successful.")) << host.Log();
    const std::string output = host.Lldb(host / "agent01.dmp", {"bt all"});
    EXPECT_TRUE(HasProgramFrame(SelectedBacktrace(output), "ZephCrashByNullWrite")) << output;
    // Only its stack and instruction pointers are known: it shows where it waits.
    EXPECT_TRUE(std::regex_search(output, std::regex("thread #2\\s+frame #0: 0x[0-9a-f]+ "
                                                     "libc\\.so\\.6`__libc_pause")))
        << output;
}

TEST(DumpOpensInLldb, ModulesCarryTheirBuildIdsSoTheProgramMatches) {
    DumpHost host;
    host.ShipDebugHelp();
    ASSERT_TRUE(EndedQuietlyBy(host.Run({"null-write"}), SIGSEGV));
    const std::string output = host.Lldb(host / "agent01.dmp", {"image list"});
    // The program's line: its UUID, from the dump's module record, and the program file itself.
    const std::regex programLine("\\[ *0\\] ([0-9A-F-]+) 0x[0-9a-f]+ " + host / "agent" + "\\s");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(output, match, programLine)) << output;
    std::string uuid = match[1].str();
    uuid.erase(std::remove(uuid.begin(), uuid.end(), '-'), uuid.end());
    // The build id that the linker wrote into the program.
    systest::Child readelf({"/bin/sh", "-c", "readelf -n '" + host / "agent" + "'"});
    const std::string notes = readelf.ReadAll();
    std::smatch id;
    ASSERT_TRUE(std::regex_search(notes, id, std::regex("Build ID: ([0-9a-f]+)"))) << notes;
    std::string expected = id[1].str();
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    EXPECT_EQ(uuid, expected) << output;
    EXPECT_NE(output.find("libc.so.6"), std::string::npos) << output;
}

TEST(DebugHelpLookup, FoundOnTheLibrarySearchPathWhenNotBesideTheProgram) {
    DumpHost host;
    systest::TempDir libraries;
    fs::copy_file(TOLLUND_DBGHELP_LIBRARY, libraries / "libdbghelp.so");
    const int status = host.Run({"null-write"}, {"LD_LIBRARY_PATH=" + libraries.Path()});
    ASSERT_TRUE(EndedQuietlyBy(status, SIGSEGV)) << status;
    EXPECT_TRUE(LogHasEntry(host.Log(), "Save to dump file successful.")) << host.Log();
    EXPECT_EQ(ReadFile(host / "agent01.dmp").rfind("MDMP", 0), 0u);
}

TEST(DumpTimeLimit, ADumpThatCannotBeWrittenEndsInTheFailedSaveLineWithinTheLimit) {
    DumpHost host;
    host.ShipDebugHelp();
    // All nine dump files exist and the oldest is a pipe that nobody reads: the writer blocks
    // once the pipe is full.
    for (int n = 1; n <= 8; ++n) {
        systest::WriteFile(host / ("agent0" + std::to_string(n) + ".dmp"), "old");
    }
    const std::string pipe = host / "agent09.dmp";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const timespec oldest[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, pipe.c_str(), oldest, 0), 0);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto started = std::chrono::steady_clock::now();
    const int status = host.Run({"threads", "4"}, {"DBGHELP_TIME_LIMIT_MS=700"});
    const auto took = std::chrono::steady_clock::now() - started;
    close(reader);
    ASSERT_TRUE(EndedQuietlyBy(status, SIGSEGV)) << "status " << status;
    EXPECT_TRUE(LogHasEntry(host.Log(), "Program crash.Dump to file: " + pipe)) << host.Log();
    EXPECT_TRUE(LogHasEntry(host.Log(), "Failed to save dump file:Connection timed out"))
        << host.Log();
    EXPECT_LT(took, std::chrono::seconds(10));
}

} // namespace
