// The platform's file services on every platform: size without side effects, a copy that never
// overwrites, a replacement that keeps the old file until the new one is whole, and host-text
// paths reaching the file system's names.
#include "PlatformFilesFixture.h"

#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
namespace platform = zeph::platform;

TEST_F(PlatformFilesTest, FileSizeOfPresentAbsentAndOddPaths) {
    EXPECT_EQ(platform::FileSize(Write("five.bin", "12345")), 5);
    EXPECT_EQ(platform::FileSize(Write("empty.bin", "")), 0);
    // The GBK name reaches the UTF-8 file system name.
    EXPECT_EQ(platform::FileSize(Write("\xD6\xD0\xCE\xC4.txt", "abc")), 3);
    EXPECT_TRUE(fs::exists(fs::path(dir) / fs::path(u8"中文.txt")));

    const std::string absent = dir + "/absent.bin";
    EXPECT_EQ(platform::FileSize(absent), -1);
    EXPECT_FALSE(fs::exists(absent)); // asking for a size never creates the file
    EXPECT_EQ(platform::FileSize(dir), -1);
    EXPECT_EQ(platform::FileSize(""), -1);
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

// Paths written with "/" for the platform's separator.
std::string P(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = platform::kPathDelimiter;
        }
    }
    return path;
}

TEST(PlatformPathsTest, NamesAndFoldersSplitAtTheLastSeparator) {
    struct Case {
        std::string path, name, folder;
    };
    const Case cases[] = {
        {P("/home/agent/a.txt"), "a.txt", P("/home/agent/")},
        {"a.txt", "a.txt", ""},
        {P("/a.txt"), "a.txt", P("/")},
        {P("/dir/"), "", P("/dir/")},
        {P("/\xB1\xA8\xB8\xE6/\xD6\xD0\xCE\xC4.txt"), "\xD6\xD0\xCE\xC4.txt",
         P("/\xB1\xA8\xB8\xE6/")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(platform::ExtractFileName(c.path), c.name);
        EXPECT_EQ(platform::ExtractFilePath(c.path), c.folder);
    }
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter(""), P("/"));
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter(P("/tmp")), P("/tmp/"));
    EXPECT_EQ(platform::IncludeTrailingPathDelimiter(P("/tmp/")), P("/tmp/"));
    EXPECT_EQ(platform::HostPath(platform::NativePath(P("/\xD6\xD0/x"))), P("/\xD6\xD0/x"));
}

} // namespace
