// The read-only attribute on Windows is the file system's own: set and read back here through
// the C++ library (which sets and reads the attribute), independently of the platform layer.
#include "support/TempDir.h"

#include <zeph/platform/Files.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace platform = zeph::platform;

constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

bool Writable(const std::string& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class PlatformReadOnlyAttributeTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, bool readOnly) {
        const std::string path = temp.File(name);
        std::ofstream(path) << "old";
        if (readOnly) {
            fs::permissions(path, kReadOnly);
        }
        EXPECT_EQ(Writable(path), !readOnly);
        return path;
    }
    ~PlatformReadOnlyAttributeTest() override {
        // The folder goes with the test: nothing in it may stay read-only.
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(temp.Path(), ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
    }
    zeph::testing::TempDir temp;
};

TEST_F(PlatformReadOnlyAttributeTest, TheAttributeIsReadAndKeepsTheFile) {
    const std::string readOnly = File("ro.txt", true);
    const std::string writable = File("rw.txt", false);
    EXPECT_TRUE(platform::IsReadOnly(readOnly));
    EXPECT_FALSE(platform::IsReadOnly(writable));
    EXPECT_FALSE(platform::IsReadOnly(temp.File("none")));

    EXPECT_FALSE(platform::DeleteFile(readOnly));
    EXPECT_TRUE(fs::exists(readOnly));
    EXPECT_FALSE(Writable(readOnly));
    EXPECT_TRUE(platform::DeleteFile(writable));
    EXPECT_FALSE(fs::exists(writable));
    EXPECT_FALSE(platform::DeleteFile(writable)) << "gone already";
}

TEST_F(PlatformReadOnlyAttributeTest, ClearingTheAttributeLetsTheFileBeWrittenAndDeleted) {
    const std::string path = File("a.txt", true);
    platform::ClearReadOnly(path);
    EXPECT_TRUE(Writable(path));
    EXPECT_FALSE(platform::IsReadOnly(path));
    EXPECT_TRUE(platform::DeleteFile(path));
    EXPECT_FALSE(fs::exists(path));
    platform::ClearReadOnly(path); // no file: nothing happens
    EXPECT_FALSE(fs::exists(path));
}

} // namespace
