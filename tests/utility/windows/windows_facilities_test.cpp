// Tollund's Windows facilities, each against the real system under the program: the log file
// and program directory, the digest of a file, processes, the registry, the version resource,
// machine facts, window and thread messages, and the crash filter writing a real minidump.

#include <tollund/CFunction.h>
#include <tollund/CMD5.h>

#include <gtest/gtest.h>

// The system headers come after the library's: they define names the library's classes use.
#include <windows.h>
#undef PostThreadMessage

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ProgramDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path().string();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path LogPath() {
    return fs::path(ProgramDir()) / "Info.dat";
}

// Starts the helper program with the arguments; its process, or none.
PROCESS_INFORMATION StartHelper(const std::string& arguments) {
    const std::string helper = TOLLUND_WINDOWS_HELPER;
    std::string line = "\"" + helper + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(helper.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    return process;
}

// Waits until a top-level window has the title, or the helper has ended; false then.
bool WaitForWindow(const std::string& title, HANDLE helper) {
    for (int i = 0; i < 300; ++i) {
        if (FindWindowA(nullptr, title.c_str()) != nullptr) {
            return true;
        }
        if (WaitForSingleObject(helper, 100) == WAIT_OBJECT_0) {
            return false;
        }
    }
    return false;
}

// Runs the helper program with the arguments and waits for it; its exit code.
DWORD RunHelper(const std::string& arguments) {
    const std::string helper = TOLLUND_WINDOWS_HELPER;
    std::string line = "\"" + helper + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(helper.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 0xFFFFFFFFu;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace

TEST(WindowsProgramDirectory, IsTheExecutablesFolderWithBackslashesAndNoTrailingOne) {
    const std::string dir = CFunction::GetCurrentModuleDir();
    EXPECT_EQ(dir, ProgramDir());
    EXPECT_NE(dir.find('\\'), std::string::npos);
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
}

TEST(WindowsLog, AnEntryIsALineEndTimeStampAndTheMessageInInfoDat) {
    fs::remove(LogPath());
    CFunction::RLog("windows entry %d", 5);
    const std::string log = ReadAll(LogPath());
    const std::regex entry(
        "^\r\n\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} windows entry 5$");
    EXPECT_TRUE(std::regex_match(log, entry)) << log;
}

TEST(WindowsLog, DLogWritesOnlyWhileTheMarkerFileExists) {
    fs::remove(LogPath());
    const fs::path marker = fs::path(ProgramDir()) / "VelkarnTech.debug";
    fs::remove(marker);
    CFunction::DLog("hidden");
    EXPECT_EQ(ReadAll(LogPath()).find("hidden"), std::string::npos);
    WriteAll(marker, "");
    CFunction::DLog("shown %s", "now");
    fs::remove(marker);
    EXPECT_NE(ReadAll(LogPath()).find("[DLog] shown now"), std::string::npos);
}

TEST(WindowsLog, ErrorTextsComeFromTheSystemMessageTable) {
    EXPECT_FALSE(CFunction::GetLastErrorString(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_EQ(CFunction::GetLastErrorString(0x2FFFFFFFu), "");
}

TEST(WindowsLog, TheMillisecondClockAdvances) {
    const int64_t before = CFunction::GetSysTickCount64();
    Sleep(50);
    const int64_t after = CFunction::GetSysTickCount64();
    EXPECT_GE(after - before, 40);
    EXPECT_LT(after - before, 5000);
}

TEST(WindowsMd5, AFileIsDigestedAndAFileHeldUnsharedIsRefused) {
    const fs::path file = fs::path(ProgramDir()) / "digest-me.txt";
    WriteAll(file, "abc");
    CMD5 md5;
    std::string digest;
    ASSERT_EQ(md5.DigestFile(file.string(), digest), 1);
    EXPECT_EQ(digest, "900150983cd24fb0d6963f7d28e17f72");

    const HANDLE held = CreateFileA(file.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string refused;
    EXPECT_EQ(md5.DigestFile(file.string(), refused), 0);
    CloseHandle(held);
    fs::remove(file);
}

TEST(WindowsExecCommand, CapturesWhatTheProgramWrites) {
    std::string output;
    EXPECT_EQ(
        CFunction::ExecCommand(TOLLUND_WINDOWS_HELPER, "helper print captured-text", output, 1, 30),
        1);
    EXPECT_EQ(output, "captured-text");
}

TEST(WindowsExecCommand, WithoutCaptureTheOutputStaysEmpty) {
    std::string output = "old";
    EXPECT_EQ(CFunction::ExecCommand(TOLLUND_WINDOWS_HELPER, "helper print text", output, 0, 30),
              1);
    EXPECT_EQ(output, "");
}

TEST(WindowsExecCommand, ATimeOutEndsTheProcessAndIsLogged) {
    fs::remove(LogPath());
    std::string output;
    EXPECT_EQ(CFunction::ExecCommand(TOLLUND_WINDOWS_HELPER, "helper sleep 5", output, 1, 1), 0);
    EXPECT_NE(ReadAll(LogPath()).find("ExecCommand:"), std::string::npos);
}

TEST(WindowsExecCommand, AProgramThatCannotStartIsLogged) {
    fs::remove(LogPath());
    std::string output;
    EXPECT_EQ(CFunction::ExecCommand("C:\\no\\such\\program.exe", "program", output, 1, 5), 0);
    EXPECT_NE(
        ReadAll(LogPath()).find("[ExecCommand] CreateProcess Error:C:\\no\\such\\program.exe"),
        std::string::npos);
}

TEST(WindowsRegistry, TheDefaultValueOfAKeyIsRead) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TollundTest", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char value[] = "default-value";
    ASSERT_EQ(
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
        ERROR_SUCCESS);
    RegCloseKey(key);
    char output[260] = "x";
    EXPECT_EQ(CFunction::GetRegKey(0x80000001u, "Software\\TollundTest", output), 0);
    EXPECT_STREQ(output, "default-value");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TollundTest");
}

TEST(WindowsRegistry, AMissingKeyGivesItsStatusAndAnEmptyOutput) {
    char output[260] = "x";
    EXPECT_EQ(CFunction::GetRegKey(0x80000001u, "Software\\TollundNoSuchKey", output),
              ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(output, "");
}

TEST(WindowsVersion, TheProductVersionOfPelloraBesideTheProgram) {
    const fs::path pellora = fs::path(ProgramDir()) / "Pellora.dll";
    fs::copy_file(TOLLUND_PELLORA_LIBRARY, pellora, fs::copy_options::overwrite_existing);
    EXPECT_EQ(CFunction::GetAppVersion(1), "7.3.0.12");
    fs::remove(pellora);
    EXPECT_EQ(CFunction::GetAppVersion(1), "");
}

TEST(WindowsMachineFacts, ProcessorLoadIsZeroFirstThenAPercentage) {
    EXPECT_EQ(CFunction::GetCpuUsage(), 0.0);
    Sleep(300);
    const double load = CFunction::GetCpuUsage();
    EXPECT_GE(load, 0.0);
    EXPECT_LE(load, 100.0);
    EXPECT_GE(CFunction::GetNumOfProcessors(), 1);
}

TEST(WindowsMachineFacts, GuidTextHasItsGroupsAndCases) {
    const std::string guid = CFunction::GetGUID();
    EXPECT_TRUE(std::regex_match(
        guid, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9a-f]{4}-[0-9A-F]{4}-[0-9A-F]{12}")))
        << guid;
    EXPECT_NE(CFunction::GetGUID(), guid);
}

TEST(WindowsMachineFacts, VolumeSerialAdaptersAndSystemDirectory) {
    uint32_t serial = 0;
    EXPECT_EQ(CFunction::GetDiskSerialNumber(serial), 1);
    std::string mac;
    EXPECT_EQ(CFunction::GetNetCardMacAddress(mac), 1);
    EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9a-f]{2})*"))) << mac;
    std::vector<std::string> addresses;
    const int added = CFunction::GetIpAddress(addresses);
    EXPECT_EQ(added, static_cast<int>(addresses.size()));
    for (const std::string& address : addresses) {
        EXPECT_NE(address, "127.0.0.1");
    }
    const std::string identity = CFunction::GetUserUniqueIdentify();
    EXPECT_FALSE(identity.empty());
    std::string system = CFunction::GetSystemDir();
    for (char& c : system) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_NE(system.find("system32"), std::string::npos) << system;
}

TEST(WindowsMessages, AMessagePostedToTheThreadReachesItsHandler) {
    static std::vector<CFunction::Message> received;
    received.clear();
    CFunction::SetMessageHandler(
        [](const CFunction::Message& message, void*) { received.push_back(message); }, nullptr);
    EXPECT_EQ(CFunction::PostThreadMessage(CFunction::GetCurrentThreadId(), WM_USER + 5, 7, -3), 1);
    CFunction::MsgProcess();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<uint32_t>(WM_USER + 5));
    EXPECT_EQ(received[0].wParam, 7u);
    EXPECT_EQ(received[0].lParam, -3);
}

TEST(WindowsWindows, AWindowTitleNobodyHasIsLoggedAsNotFound) {
    fs::remove(LogPath());
    CFunction::FindWindowAndSendMsg("Tollund no such window title", WM_USER, 1, 2);
    EXPECT_NE(ReadAll(LogPath()).find("Not Find VelkarnDaemon."), std::string::npos);
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(std::string("Tollund no such window title")), 0);
}

// A window of another process: it needs the system's window station, which Wine gives only
// with a display (Xvfb in CI).
class WindowsOfAnotherProcess : public ::testing::Test {
protected:
    void SetUp() override {
        messageFile_ = fs::path(ProgramDir()) / "window-message.txt";
        fs::remove(messageFile_);
        helper_ = StartHelper("window \"" + title_ + "\" \"" + messageFile_.string() + "\"");
        ASSERT_NE(helper_.hProcess, nullptr);
        if (!WaitForWindow(title_, helper_.hProcess)) {
            GTEST_SKIP() << "no window could be made: Wine shows windows only on a display; run "
                            "under Xvfb (DISPLAY unset here)";
        }
    }
    void TearDown() override {
        if (helper_.hProcess != nullptr) {
            TerminateProcess(helper_.hProcess, 0);
            WaitForSingleObject(helper_.hProcess, 10000);
            CloseHandle(helper_.hThread);
            CloseHandle(helper_.hProcess);
        }
    }
    const std::string title_ = "Tollund test window";
    fs::path messageFile_;
    PROCESS_INFORMATION helper_{};
};

TEST_F(WindowsOfAnotherProcess, AMessageIsPostedToTheWindowWithTheTitle) {
    CFunction::FindWindowAndSendMsg(title_.c_str(), WM_USER + 7, 11, -5);
    ASSERT_EQ(WaitForSingleObject(helper_.hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadAll(messageFile_), std::to_string(WM_USER + 7) + " 11 -5");
}

TEST_F(WindowsOfAnotherProcess, TheProcessOwningTheWindowIsEnded) {
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(title_), 1);
    EXPECT_EQ(WaitForSingleObject(helper_.hProcess, 30000), WAIT_OBJECT_0);
}

TEST(WindowsCrashFilter, ACrashWritesAMinidumpNamedAfterTheProgram) {
    const fs::path helperDir = fs::path(TOLLUND_WINDOWS_HELPER).parent_path();
    const std::string base = fs::path(TOLLUND_WINDOWS_HELPER).stem().string();
    for (int i = 1; i <= 9; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%02d.dmp", i);
        fs::remove(helperDir / (base + name));
    }
    fs::remove(helperDir / "Info.dat");
    const DWORD code = RunHelper("crash");
    EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    const std::string dump = ReadAll(helperDir / (base + "01.dmp"));
    ASSERT_GE(dump.size(), 4u);
    EXPECT_EQ(dump.substr(0, 4), "MDMP");
    const std::string log = ReadAll(helperDir / "Info.dat");
    EXPECT_NE(log.find("Program crash.Dump to file: " + (helperDir / (base + "01.dmp")).string()),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Save to dump file successful."), std::string::npos) << log;
}
