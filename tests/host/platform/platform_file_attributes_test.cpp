// The read-only attribute as the host platform keeps it: a file its owner may not write is
// read-only and cannot be deleted, by the superuser either, until the attribute is cleared; a
// symbolic link is deleted itself and never passes an attribute change on. Run by every user:
// as the superuser, the same checks run again as an unprivileged user.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/platform/Files.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace platform = zeph::platform;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

class PlatformFileAttributesTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, mode_t mode) {
        const std::string path = temp.File(name);
        std::ofstream(path) << "old";
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        return path;
    }
    zeph::testing::TempDir temp;
};

TEST_F(PlatformFileAttributesTest, AFileItsOwnerMayNotWriteIsReadOnlyAndStays) {
    const std::string readOnly = File("ro.txt", 0444);
    const std::string writable = File("rw.txt", 0644);
    EXPECT_TRUE(platform::IsReadOnly(readOnly));
    EXPECT_FALSE(platform::IsReadOnly(writable));
    EXPECT_FALSE(platform::IsReadOnly(temp.File("none")));
    // Others may write it, its owner may not: still read-only.
    EXPECT_TRUE(platform::IsReadOnly(File("group.txt", 0464)));

    EXPECT_FALSE(platform::DeleteFile(readOnly));
    EXPECT_TRUE(fs::exists(readOnly));
    EXPECT_EQ(ModeOf(readOnly), 0444u);
    EXPECT_TRUE(platform::DeleteFile(writable));
    EXPECT_FALSE(fs::exists(writable));
    EXPECT_FALSE(platform::DeleteFile(writable)) << "gone already";
}

TEST_F(PlatformFileAttributesTest, ClearingTheAttributeLetsTheOwnerWriteAndDelete) {
    const std::string path = File("a.txt", 0444);
    // As the words' attribute word 64: no read-only bit any more.
    platform::ClearReadOnly(path);
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_FALSE(platform::IsReadOnly(path));
    EXPECT_TRUE(platform::DeleteFile(path));
    EXPECT_FALSE(fs::exists(path));
    platform::ClearReadOnly(path); // no file: nothing happens
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PlatformFileAttributesTest, ASymbolicLinkIsItsOwnFile) {
    const std::string target = File("target.txt", 0444);
    const std::string link = temp.File("link.txt");
    fs::create_symlink(target, link);
    EXPECT_FALSE(platform::IsReadOnly(link)) << "a link has no attribute of its own";
    platform::ClearReadOnly(link);
    EXPECT_EQ(ModeOf(target), 0444u) << "the file it points to keeps its mode";
    EXPECT_TRUE(platform::DeleteFile(link));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(ModeOf(target), 0444u);
}

TEST(PlatformFileAttributesAsUser, TheSameChecksHoldForAnUnprivilegedUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "already running unprivileged: the checks above were that run";
    }
    const char* setpriv = "/usr/bin/setpriv";
    if (::access(setpriv, X_OK) != 0) {
        GTEST_SKIP() << "cannot switch user: " << setpriv << " is missing";
    }
    // The child makes its folder under /tmp, which every user may write.
    zeph::testing::ProcessResult r = zeph::testing::Run(
        {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups", "/usr/bin/env",
         "TMPDIR=/tmp", fs::read_symlink("/proc/self/exe").string(),
         "--gtest_filter=PlatformFileAttributesTest.*"});
    if (r.status != 0 && r.out.find("[==========]") == std::string::npos) {
        GTEST_SKIP() << "cannot run as nobody: " << r.err;
    }
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[  PASSED  ] 3 tests."), std::string::npos) << r.out;
}

} // namespace
