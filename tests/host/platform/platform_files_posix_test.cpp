// The platform's file services where they follow POSIX: pipes, file modes and the umask, and the
// temporary directory named by TMPDIR.
#include "PlatformFilesFixture.h"

#include <zeph/platform/Files.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace platform = zeph::platform;

TEST_F(PlatformFilesTest, FileSizeNeverWaitsOnAPipe) {
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    EXPECT_EQ(platform::FileSize(dir + "/fifo"), -1);
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

} // namespace
