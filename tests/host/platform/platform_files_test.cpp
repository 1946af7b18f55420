// The platform's file services: size without side effects, a copy that never overwrites, a
// replacement that keeps the old file until the new one is whole, the temporary directory, and
// host-text paths reaching UTF-8 file names.
#include "support/TempDir.h"

#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
namespace platform = zeph::platform;

class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = temp.Path();
        const char* tmpdir = std::getenv("TMPDIR");
        savedTmpdir = tmpdir ? std::optional<std::string>(tmpdir) : std::nullopt;
    }
    void TearDown() override {
        if (savedTmpdir) {
            setenv("TMPDIR", savedTmpdir->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    std::string Write(const std::string& hostName, const std::string& bytes) {
        std::string path = dir + "/" + hostName;
        std::ofstream(platform::NativePath(path), std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& hostPath) {
        std::ifstream in(platform::NativePath(hostPath), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    zeph::testing::TempDir temp;
    std::string dir;
    std::optional<std::string> savedTmpdir;
};

TEST_F(PlatformFilesTest, FileSizeOfPresentAbsentAndOddPaths) {
    EXPECT_EQ(platform::FileSize(Write("five.bin", "12345")), 5);
    EXPECT_EQ(platform::FileSize(Write("empty.bin", "")), 0);
    // The GBK name reaches the UTF-8 file system name.
    EXPECT_EQ(platform::FileSize(Write("\xD6\xD0\xCE\xC4.txt", "abc")), 3);
    EXPECT_TRUE(fs::exists(dir + "/中文.txt"));

    const std::string absent = dir + "/absent.bin";
    EXPECT_EQ(platform::FileSize(absent), -1);
    EXPECT_FALSE(fs::exists(absent)); // asking for a size never creates the file
    EXPECT_EQ(platform::FileSize(dir), -1);
    EXPECT_EQ(platform::FileSize(""), -1);
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    EXPECT_EQ(platform::FileSize(dir + "/fifo"), -1); // and never waits on a pipe
}

TEST_F(PlatformFilesTest, CopyNeverOverwrites) {
    std::string from = Write("from.bin", std::string("a\0b", 3));
    EXPECT_EQ(platform::CopyFileNoOverwrite(from, dir + "/to.bin"), platform::CopyResult::Copied);
    EXPECT_EQ(Read(dir + "/to.bin"), std::string("a\0b", 3));

    std::string existing = Write("existing.bin", "keep");
    EXPECT_EQ(platform::CopyFileNoOverwrite(from, existing), platform::CopyResult::TargetExists);
    EXPECT_EQ(Read(existing), "keep");

    EXPECT_EQ(platform::CopyFileNoOverwrite(dir + "/absent", dir + "/never"),
              platform::CopyResult::Failed);
    EXPECT_FALSE(fs::exists(dir + "/never"));
    EXPECT_EQ(platform::CopyFileNoOverwrite(from, dir + "/no-such-dir/x"),
              platform::CopyResult::Failed);
    EXPECT_EQ(platform::CopyFileNoOverwrite(dir, dir + "/dir-copy"), platform::CopyResult::Failed);
    EXPECT_FALSE(fs::exists(dir + "/dir-copy"));
}

TEST_F(PlatformFilesTest, CopyIsCreatedWithTheUsualModeWhateverTheSourceHad) {
    const std::string from = dir + "/private.bin";
    std::ofstream(from) << "data";
    ASSERT_EQ(::chmod(from.c_str(), 0600), 0);
    const mode_t savedMask = ::umask(002);
    EXPECT_EQ(platform::CopyFileNoOverwrite(from, dir + "/saved.bin"),
              platform::CopyResult::Copied);
    ::umask(savedMask);
    struct stat info {};
    ASSERT_EQ(::stat((dir + "/saved.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
}

TEST_F(PlatformFilesTest, CopyOfALargeFileIsWhole) {
    std::string big(1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 31 % 251);
    }
    std::string from = Write("big.bin", big);
    ASSERT_EQ(platform::CopyFileNoOverwrite(from, dir + "/big-copy.bin"),
              platform::CopyResult::Copied);
    EXPECT_EQ(Read(dir + "/big-copy.bin"), big);
}

TEST_F(PlatformFilesTest, TemporaryDirectoryEndsWithASeparator) {
    setenv("TMPDIR", dir.c_str(), 1);
    EXPECT_EQ(platform::TempDirectory(), dir + "/");
    setenv("TMPDIR", (dir + "/").c_str(), 1);
    EXPECT_EQ(platform::TempDirectory(), dir + "/");
    unsetenv("TMPDIR");
    EXPECT_EQ(platform::TempDirectory(), "/tmp/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(platform::TempDirectory(), "/tmp/");
}

TEST_F(PlatformFilesTest, TemporaryDirectoryThatCannotBeUsed) {
    setenv("TMPDIR", (dir + "/missing").c_str(), 1);
    EXPECT_EQ(platform::TempDirectory(), std::nullopt);
    setenv("TMPDIR", Write("plain-file", "").c_str(), 1);
    EXPECT_EQ(platform::TempDirectory(), std::nullopt);
    // Longer than the buffer the host allows.
    std::string deep = dir;
    while (deep.size() < platform::kMaxTempDirectoryLength) {
        deep += "/" + std::string(60, 'd');
    }
    fs::create_directories(deep);
    setenv("TMPDIR", deep.c_str(), 1);
    EXPECT_EQ(platform::TempDirectory(), std::nullopt);
}

TEST_F(PlatformFilesTest, FileExistsForRegularFilesOnly) {
    EXPECT_TRUE(platform::FileExists(Write("a.txt", "x")));
    EXPECT_TRUE(platform::FileExists(Write(zeph::text::Utf8ToGbk("录音.v3"), "")));
    EXPECT_FALSE(platform::FileExists(dir + "/absent.txt"));
    EXPECT_FALSE(platform::FileExists(dir));
    EXPECT_FALSE(platform::FileExists(""));
}

TEST_F(PlatformFilesTest, InterruptedReplaceKeepsTheOldFileWhole) {
    const std::string path = temp.File("cfg.xml");
    Write("cfg.xml", "old contents");
    EXPECT_THROW(platform::ReplaceFile(path, "new", [] { throw std::runtime_error("power cut"); }),
                 std::runtime_error);
    EXPECT_EQ(Read(path), "old contents");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left";

    EXPECT_EQ(platform::ReplaceFile(path, "new"), "");
    EXPECT_EQ(Read(path), "new");
    EXPECT_NE(platform::ReplaceFile(temp.File("no/dir/cfg.xml"), "x"), "");
}

TEST(PlatformPathsTest, NamesAndFoldersSplitAtTheLastSeparator) {
    struct Case {
        std::string path, name, folder;
    };
    const Case cases[] = {
        {"/home/agent/a.txt", "a.txt", "/home/agent/"},
        {"a.txt", "a.txt", ""},
        {"/a.txt", "a.txt", "/"},
        {"/dir/", "", "/dir/"},
        {"/\xB1\xA8\xB8\xE6/\xD6\xD0\xCE\xC4.txt", "\xD6\xD0\xCE\xC4.txt", "/\xB1\xA8\xB8\xE6/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(platform::ExtractFileName(c.path), c.name);
        EXPECT_EQ(platform::ExtractFilePath(c.path), c.folder);
    }
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter(""), "/");
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
    EXPECT_EQ(platform::HostPath(platform::NativePath("/\xD6\xD0/x")), "/\xD6\xD0/x");
}

} // namespace
