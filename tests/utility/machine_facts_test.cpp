// Machine facts of CFunction against what the system itself reports, and their failure values
// in a network namespace that has no adapters.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <regex>
#include <set>
#include <vector>

namespace {

using systest::LogHasEntry;

std::string CommandOutput(const std::string& command) {
    std::string output;
    CFunction::ExecCommand("/bin/sh", "sh -c \"" + command + "\"", output, 1, 20);
    return output;
}

TEST(MachineFacts, ProcessorCountIsTheOnlineCount) {
    EXPECT_EQ(CFunction::GetNumOfProcessors(), std::stoi(CommandOutput("nproc")));
    EXPECT_EQ(CFunction::GetNumOfProcessors(), CFunction::GetNumOfProcessors());
}

TEST(MachineFacts, CpuUsageIsZeroFirstThenAPercentage) {
    EXPECT_EQ(CFunction::GetCpuUsage(), 0.0);
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        const double usage = CFunction::GetCpuUsage();
        EXPECT_GE(usage, 0.0);
        EXPECT_LE(usage, 100.0);
    }
}

TEST(MachineFacts, IpAddressesAreTheSystemsIpv4AddressesButLoopback) {
    std::vector<std::string> addresses;
    const int added = CFunction::GetIpAddress(addresses);
    EXPECT_EQ(added, static_cast<int>(addresses.size()));
    std::set<std::string> expected;
    std::istringstream lines(CommandOutput("ip -4 -o addr show 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, std::regex(R"(inet ([0-9.]+)/)")) &&
            match[1] != "127.0.0.1") {
            expected.insert(match[1]);
        }
    }
    if (!expected.empty()) {
        EXPECT_EQ(std::set<std::string>(addresses.begin(), addresses.end()), expected);
    }
    for (const auto& a : addresses) {
        EXPECT_NE(a, "127.0.0.1");
    }
    // Any container with push_back serves; existing items stay.
    std::deque<std::string> more{"kept"};
    EXPECT_EQ(CFunction::GetIpAddress(more), added);
    EXPECT_EQ(more.front(), "kept");
}

TEST(MachineFacts, MacIsTheFirstNonLoopbackAdapterInLowerCaseHex) {
    std::string mac = "untouched";
    ASSERT_EQ(CFunction::GetNetCardMacAddress(mac), 1);
    if (mac == "untouched") {
        GTEST_SKIP() << "no network adapter on this machine";
    }
    EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9a-f]{2})+")));
    std::string first;
    std::istringstream lines(CommandOutput("ip -o link show 2>/dev/null"));
    for (std::string line; std::getline(lines, line) && first.empty();) {
        std::smatch match;
        if (line.find("LOOPBACK") == std::string::npos &&
            std::regex_search(line, match, std::regex(R"(link/\S+ ([0-9a-f:]+))"))) {
            first = std::regex_replace(match[1].str(), std::regex(":"), "");
        }
    }
    if (!first.empty()) {
        EXPECT_EQ(mac, first);
    }
}

TEST(MachineFacts, DiskSerialIsTheRootFileSystemId) {
    uint32_t serial = 0;
    ASSERT_EQ(CFunction::GetDiskSerialNumber(serial), 1);
    struct statvfs info {};
    ASSERT_EQ(statvfs("/", &info), 0);
    EXPECT_EQ(serial, static_cast<uint32_t>(info.f_fsid));
}

TEST(MachineFacts, UniqueIdentifierIsSerialDashMac) {
    uint32_t serial = 0;
    std::string mac;
    CFunction::GetDiskSerialNumber(serial);
    CFunction::GetNetCardMacAddress(mac);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%X", serial);
    EXPECT_EQ(CFunction::GetUserUniqueIdentify(), std::string(expected) + "-" + mac);
}

TEST(MachineFacts, GuidTextHasItsFixedFormAndIsNew) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9a-f]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string guid = CFunction::GetGUID();
        ASSERT_TRUE(std::regex_match(guid, form)) << guid;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(MachineFacts, SystemDirectoryHoldsTheCLibrary) {
    const std::string dir = CFunction::GetSystemDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_LT(dir.size(), 260u);
    EXPECT_TRUE(std::filesystem::exists(dir + "/libc.so.6")) << dir;
}

// In a network namespace of its own a process sees only a loopback adapter.
TEST(MachineFacts, WithoutAdaptersEachFunctionGivesItsFailureValue) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        if (unshare(CLONE_NEWNET) != 0) {
            _exit(77);
        }
        std::vector<std::string> addresses;
        std::string mac = "untouched";
        const int ip = CFunction::GetIpAddress(addresses);
        const int macResult = CFunction::GetNetCardMacAddress(mac);
        const std::string id = CFunction::GetUserUniqueIdentify();
        const std::string report =
            std::to_string(ip) + "\n" + std::to_string(macResult) + "\n" + mac + "\n" + id + "\n";
        (void)!write(fds[1], report.data(), report.size());
        _exit(0);
    }
    close(fds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no permission for a network namespace";
    }
    uint32_t serial = 0;
    CFunction::GetDiskSerialNumber(serial);
    char serialText[16];
    std::snprintf(serialText, sizeof serialText, "%X", serial);
    EXPECT_EQ(report, "0\n1\nuntouched\n" + std::string(serialText) + "-\n");
    EXPECT_TRUE(LogHasEntry(systest::LogText(), "GetAdapterInfoByIpHlp ERROR_NO_DATA"));
}

} // namespace
