// The registry layer, GotoURL's opener and browser-command rules, RunProcess, and the version
// layer read by GetAppVersion.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// This program's own version entries.
__attribute__((used, section(".tollund.version"))) static const char programVersion[] =
    "CompanyName=Test\0VarFileInfo\\Translation=080404b0\0"
    "StringFileInfo\\080404b0\\FileVersion=1.0\0StringFileInfo\\080404b0\\ProductVersion=5.6.7.8";

namespace {

namespace fs = std::filesystem;
using systest::LogHasEntry;
using systest::ReadFile;
using systest::WriteFile;

// A registry folder and a PATH whose first folder holds the test's own programs; both are
// put back afterwards.
class Environment : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        setenv("TOLLUND_REGISTRY", (m_dir / "registry").c_str(), 1);
        fs::create_directories(m_dir / "bin");
        setenv("PATH", (m_dir / "bin" + ":/usr/bin:/bin").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TOLLUND_REGISTRY");
        setenv("PATH", m_oldPath.c_str(), 1);
    }
    void SetValue(const std::string& key, const std::string& value) {
        const std::string folder = m_dir / ("registry/" + key);
        fs::create_directories(folder);
        WriteFile(folder + "/(Default)", value);
    }
    // A program that records its arguments, one a line, in <name>.args and exits with status.
    std::string Program(const std::string& name, int status = 0) {
        const std::string path = m_dir / ("bin/" + name);
        WriteFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + path +
                            ".tmp\"\nmv \"" + path + ".tmp\" \"" + path + ".args\"\nexit " +
                            std::to_string(status) + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string Arguments(const std::string& program) {
        const std::string file = program + ".args";
        EXPECT_TRUE(systest::WaitUntil([&] { return fs::exists(file); })) << file;
        return ReadFile(file);
    }

    systest::TempDir m_dir;
    std::string m_oldPath;
};

using Registry = Environment;

TEST_F(Registry, DefaultValuesAndStatuses) {
    SetValue("HKEY_CLASSES_ROOT/.htm", "htmlfile\n");
    SetValue("HKEY_LOCAL_MACHINE/Software/Vendor/Fit", std::string(259, 'f'));
    SetValue("HKEY_LOCAL_MACHINE/Software/Vendor/TooLong", std::string(260, 't'));
    fs::create_directories(m_dir / "registry/HKEY_CURRENT_USER/NoValue");
    char out[260];
    struct Case {
        CFunction::RegKey root;
        const char* key;
        int32_t status;
        std::string value;
    };
    const Case cases[] = {
        {CFunction::HKEY_CLASSES_ROOT, ".htm", 0, "htmlfile"},
        {CFunction::HKEY_CLASSES_ROOT, ".HTM", 0, "htmlfile"}, // names ignore case
        {CFunction::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Fit", 0, std::string(259, 'f')},
        {CFunction::HKEY_LOCAL_MACHINE, "software\\vendor\\TooLong", 0, ""},
        {CFunction::HKEY_CURRENT_USER, "NoValue", 0, ""},
        {CFunction::HKEY_CLASSES_ROOT, ".missing", ENOENT, ""},
        {CFunction::HKEY_CLASSES_ROOT, "..\\HKEY_LOCAL_MACHINE", EINVAL, ""},
        {0x12345u, ".htm", EINVAL, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(CFunction::GetRegKey(c.root, c.key, out), c.status);
        EXPECT_EQ(std::string(out), c.value);
    }
}

using GotoUrl = Environment;

TEST_F(GotoUrl, TheDesktopOpenerComesFirst) {
    const std::string opener = Program("xdg-open");
    EXPECT_GT(CFunction::GotoURL("http://127.0.0.1/page?a=1", 1), 32);
    EXPECT_EQ(Arguments(opener), "http://127.0.0.1/page?a=1\n");
}

TEST_F(GotoUrl, WhenTheOpenerFailsTheBrowserCommandIsCutAtItsPlaceholder) {
    Program("xdg-open", 3);
    const std::string browser = Program("browser");
    SetValue("HKEY_CLASSES_ROOT/.htm", "htmlfile");
    struct Case {
        std::string command;
        std::string arguments;
    };
    const Case cases[] = {
        {"\"" + browser + "\" --new \"%1\" --tail", "--new\nhttp://x/\n"},
        {browser + " %1 --flag", "http://x/\n"},
        {"\"" + browser + "\" -url", "-url\nhttp://x/\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fs::remove(browser + ".args");
        SetValue("HKEY_CLASSES_ROOT/htmlfile/shell/open/command", c.command);
        EXPECT_GT(CFunction::GotoURL("http://x/", 1), 32);
        EXPECT_EQ(Arguments(browser), c.arguments);
    }
}

TEST_F(GotoUrl, FailuresGiveTheShellResultOrTheStartError) {
    Program("xdg-open", 3);
    EXPECT_EQ(CFunction::GotoURL("http://x/", 1), 31); // no registry entries
    SetValue("HKEY_CLASSES_ROOT/.htm", "htmlfile");
    SetValue("HKEY_CLASSES_ROOT/htmlfile/shell/open/command", "/no/such/browser \"%1\"");
    EXPECT_EQ(CFunction::GotoURL("http://x/", 1), 2);
    // A command line that does not fit 520 characters is refused, not cut.
    const std::string browser = Program("browser");
    SetValue("HKEY_CLASSES_ROOT/htmlfile/shell/open/command", browser + " %1");
    const std::string longUrl = "http://x/" + std::string(519 - browser.size() - 1 - 9, 'a');
    EXPECT_EQ(CFunction::GotoURL(longUrl.c_str(), 1), 31);
    EXPECT_TRUE(LogHasEntry(systest::LogText(),
                            "[GotoURL] Command line too long (520 characters, at most 519)."));
    EXPECT_GT(CFunction::GotoURL(longUrl.substr(1).c_str(), 1), 32);
    EXPECT_EQ(Arguments(browser), longUrl.substr(1) + "\n");
}

using RunProcess = Environment;

TEST_F(RunProcess, StartsTheProgramDirectorysFileThereWithItsParameters) {
    const std::string dir = CFunction::GetCurrentModuleDir();
    const std::string name = "run-process-" + std::to_string(getpid()) + ".sh";
    const std::string record = m_dir / "record";
    WriteFile(dir + "/" + name, "#!/bin/sh\nprintf '%s|%s|%s\\n' \"$PWD\" \"$1\" \"$2\" > " +
                                    record + ".tmp\nmv " + record + ".tmp " + record + "\n");
    chmod((dir + "/" + name).c_str(), 0755);
    CFunction::RunProcess(name, "first \"second word\"", 1);
    EXPECT_TRUE(systest::WaitUntil([&] { return fs::exists(record); }));
    EXPECT_EQ(ReadFile(record), dir + "|first|second word\n");
    fs::remove(dir + "/" + name);
    // A document goes to the desktop's opener.
    const std::string opener = Program("xdg-open");
    const std::string document = "run-process-" + std::to_string(getpid()) + ".txt";
    WriteFile(dir + "/" + document, "text");
    CFunction::RunProcess(document, "", 1);
    EXPECT_EQ(Arguments(opener), dir + "/" + document + "\n");
    fs::remove(dir + "/" + document);
}

TEST(AppVersion, ReadsTheProductVersionOfTheFirstTranslation) {
    EXPECT_EQ(CFunction::GetAppVersion(0), "5.6.7.8");
    // Pellora.dll beside the program: missing, not an ELF file, then with version entries.
    const std::string pellora = CFunction::GetCurrentModuleDir() + "/Pellora.dll";
    fs::remove(pellora);
    EXPECT_EQ(CFunction::GetAppVersion(1), "");
    WriteFile(pellora, "MZ not a library");
    EXPECT_EQ(CFunction::GetAppVersion(1), "");
    fs::copy_file(TOLLUND_PELLORA_LIBRARY, pellora, fs::copy_options::overwrite_existing);
    EXPECT_EQ(CFunction::GetAppVersion(1), "3.1.4.1");
    fs::copy_file(TOLLUND_NO_VERSION_LIBRARY, pellora, fs::copy_options::overwrite_existing);
    EXPECT_EQ(CFunction::GetAppVersion(1), "");
    // Hand-made files of both ELF classes (also the fuzzer's seeds). One test only: the file
    // beside the program is shared by every case of this program.
    const std::pair<const char*, const char*> cases[] = {
        {"elf64_version", "1.2.3.4"},      {"elf32_version", "1.2.3.4"},
        {"elf64_two_translations", "2.0"}, {"elf64_no_translation", ""},
        {"elf64_truncated", ""},           {"not_elf", ""}};
    for (const auto& [file, version] : cases) {
        fs::copy_file(ZEPH_SOURCE_DIR "/fuzz/corpus/tollund_version_layer_fuzzer/" +
                          std::string(file),
                      pellora, fs::copy_options::overwrite_existing);
        EXPECT_EQ(CFunction::GetAppVersion(1), version) << file;
    }
    fs::remove(pellora);
    (void)programVersion;
}

} // namespace
