// Helper processes that fail on purpose: the crash filter logs, chooses among nine dump files,
// writes the dump through a debug-help library when there is one, and ends the process quietly,
// also when the failure struck while the allocator's, the log's or the loader's lock was held.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using systest::LogHasEntry;
using systest::ReadFile;

// The helper copied into a fresh folder under the name given, so that folder is its program
// directory.
class CrashHost {
public:
    explicit CrashHost(const std::string& executableName = "agent.exe")
        : m_exe(m_dir / executableName) {
        fs::copy_file(TOLLUND_CRASH_HELPER, m_exe);
        fs::permissions(m_exe, fs::perms::owner_all);
    }
    std::string Dir() const { return m_dir.Path(); }
    std::string operator/(const std::string& name) const { return m_dir / name; }
    void UseDebugHelp(const char* library) { fs::copy_file(library, m_dir / "libdbghelp.so"); }
    // Runs the helper; the wait status, or -1 when it hung.
    int Run(const std::string& mode, const std::vector<std::string>& environment = {}) {
        std::vector<std::string> argv = {"/usr/bin/env"};
        argv.insert(argv.end(), environment.begin(), environment.end());
        argv.push_back(m_exe);
        argv.push_back(mode);
        systest::Child child(argv, false);
        const int status = child.Wait(std::chrono::seconds(30));
        return status;
    }
    std::string Name(int limit) {
        systest::Child child({m_exe, "name", std::to_string(limit)});
        return child.ReadLine();
    }
    std::string Log() const { return ReadFile(m_dir / "Info.dat"); }
    void Touch(const std::string& name, time_t mtime, const std::string& content = "old") {
        systest::WriteFile(m_dir / name, content);
        const timespec times[2] = {{mtime, 0}, {mtime, 0}};
        utimensat(AT_FDCWD, (m_dir / name).c_str(), times, 0);
    }

private:
    systest::TempDir m_dir;
    std::string m_exe;
};

bool EndedQuietlyBy(int status, int signalNumber) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 128 + signalNumber;
}

struct FailureCase {
    const char* mode;
    int signalNumber;
};

class CrashWithoutDebugHelp : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CrashWithoutDebugHelp, LogsTheDumpPathAndTheMissingLibraryThenEndsQuietly) {
    CrashHost host;
    const int status = host.Run(GetParam().mode);
    ASSERT_NE(status, -1) << "the failing process hung";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "the helper cannot provoke this failure in this build";
    }
    EXPECT_TRUE(EndedQuietlyBy(status, GetParam().signalNumber)) << "status " << status;
    const std::string log = host.Log();
    EXPECT_TRUE(LogHasEntry(log, "Program crash.Dump to file: " + host / "agent01.dmp")) << log;
    EXPECT_TRUE(LogHasEntry(log, "Load DBGHELP.DLL Error")) << log;
    EXPECT_LT(log.find("Program crash."), log.find("Load DBGHELP.DLL Error"));
    EXPECT_FALSE(fs::exists(host / "agent01.dmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, CrashWithoutDebugHelp,
    ::testing::Values(FailureCase{"segv", SIGSEGV}, FailureCase{"bus", SIGBUS},
                      FailureCase{"ill", SIGILL}, FailureCase{"fpe", SIGFPE},
                      FailureCase{"abort", SIGABRT}, FailureCase{"stack-overflow", SIGSEGV},
                      FailureCase{"thread-stack-overflow", SIGSEGV},
                      FailureCase{"two-threads", SIGSEGV},
                      // Each of these holds a lock at the moment of failure that a handler
                      // using the allocator, the log or the loader would wait for forever.
                      FailureCase{"in-allocator", SIGSEGV}, FailureCase{"in-log", SIGSEGV},
                      FailureCase{"in-loader", SIGSEGV}, FailureCase{"stdio-locked", SIGSEGV}),
    [](const auto& info) {
        std::string name = info.param.mode;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(CrashWithDebugHelp, FirstCrashWritesDumpNumberOne) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP);
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv"), SIGSEGV));
    const std::string dump = ReadFile(host / "agent01.dmp");
    EXPECT_EQ(dump.rfind("TESTDUMP type=0 signal=11 thread=", 0), 0u) << dump;
    EXPECT_NE(dump.find(" plain\n"), std::string::npos);
    const std::string log = host.Log();
    EXPECT_TRUE(LogHasEntry(log, "Program crash.Dump to file: " + host / "agent01.dmp"));
    EXPECT_TRUE(LogHasEntry(log, "Save to dump file successful."));
    // The next one takes the next number.
    ASSERT_TRUE(EndedQuietlyBy(host.Run("abort"), SIGABRT));
    EXPECT_EQ(ReadFile(host / "agent02.dmp").rfind("TESTDUMP type=0 signal=6 ", 0), 0u);
}

TEST(CrashWithDebugHelp, FillsTheFirstMissingNumber) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP);
    for (int n : {1, 2, 4, 5, 6, 7, 8, 9}) {
        host.Touch("agent0" + std::to_string(n) + ".dmp", 1000000 + n);
    }
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv"), SIGSEGV));
    EXPECT_EQ(ReadFile(host / "agent03.dmp").rfind("TESTDUMP", 0), 0u);
    EXPECT_EQ(ReadFile(host / "agent01.dmp"), "old");
}

TEST(CrashWithDebugHelp, AllNinePresentOverwritesTheOldest) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP);
    for (int n = 1; n <= 9; ++n) {
        host.Touch("agent0" + std::to_string(n) + ".dmp", n == 6 ? 500000 : 2000000 + n);
    }
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv"), SIGSEGV));
    EXPECT_EQ(ReadFile(host / "agent06.dmp").rfind("TESTDUMP", 0), 0u);
    EXPECT_TRUE(LogHasEntry(host.Log(), "Program crash.Dump to file: " + host / "agent06.dmp"));
    for (int n : {1, 2, 3, 4, 5, 7, 8, 9}) {
        EXPECT_EQ(ReadFile(host / ("agent0" + std::to_string(n) + ".dmp")), "old");
    }
}

TEST(CrashWithDebugHelp, LibraryWithoutTheEntryIsTooOld) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP_OLD);
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv"), SIGSEGV));
    EXPECT_TRUE(LogHasEntry(host.Log(), "DBGHELP.DLL too old, Not find MiniDumpWriteDump"));
    EXPECT_FALSE(fs::exists(host / "agent01.dmp"));
}

TEST(CrashWithDebugHelp, WriterFailureIsLoggedWithItsErrorText) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP);
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv", {"TEST_DUMP_FAIL=1"}), SIGSEGV));
    EXPECT_TRUE(LogHasEntry(host.Log(), "Failed to save dump file:No space left on device"));
}

TEST(CrashWithDebugHelp, UncreatableDumpFileIsLogged) {
    CrashHost host;
    host.UseDebugHelp(TOLLUND_TEST_DBGHELP);
    for (int n = 2; n <= 9; ++n) {
        host.Touch("agent0" + std::to_string(n) + ".dmp", 2000000 + n);
    }
    // The oldest "file" is a link into a folder that does not exist.
    fs::create_symlink(host / "no-such-folder/x", host / "agent01.dmp");
    const timespec times[2] = {{1000, 0}, {1000, 0}};
    utimensat(AT_FDCWD, (host / "agent01.dmp").c_str(), times, AT_SYMLINK_NOFOLLOW);
    ASSERT_TRUE(EndedQuietlyBy(host.Run("segv"), SIGSEGV));
    EXPECT_TRUE(LogHasEntry(host.Log(), "Failed to create dump file: No such file or directory"))
        << host.Log();
}

TEST(DumpFileName, BaseNameIsTheExecutableCutBeforeItsLastDot) {
    const std::pair<const char*, const char*> cases[] = {{"agent.exe", "agent"},
                                                         {"agent", "agent"},
                                                         {"my.app.bin", "my.app"},
                                                         {".hidden", ".hidden"}};
    for (const auto& [executable, base] : cases) {
        CrashHost host(executable);
        EXPECT_EQ(host.Name(10), host / (std::string(base) + "01.dmp")) << executable;
    }
}

TEST(DumpFileName, OldestMatchingFileWinsAlsoWithoutDigits) {
    CrashHost host;
    for (int n = 1; n <= 9; ++n) {
        host.Touch("agent0" + std::to_string(n) + ".dmp", 3000000);
    }
    host.Touch("agentxy.dmp", 2000000);
    host.Touch("agent123.dmp", 10); // three characters: not part of the choice
    host.Touch("other01.dmp", 10);
    EXPECT_EQ(host.Name(10), host / "agentxy.dmp");
    // A smaller limit forms fewer names; without any name formed and nothing matching, the
    // path is left as it was.
    CrashHost two;
    two.Touch("agent01.dmp", 3000000);
    two.Touch("agent02.dmp", 2000000);
    EXPECT_EQ(two.Name(3), two / "agent02.dmp");
    EXPECT_EQ(two.Name(2), two / "agent02.dmp");
    CrashHost empty;
    EXPECT_EQ(empty.Name(1), "(unchanged)");
    EXPECT_EQ(empty.Name(2), empty / "agent01.dmp");
}

} // namespace
