// The temporary directory on Windows: the system's (GetTempPath, which reads TMP, then TEMP), with
// its separator at the end; none when that folder is missing.
#include "PlatformFilesFixture.h"

#include <zeph/platform/Files.h>

#include <gtest/gtest.h>

#include <string>

namespace {

namespace platform = zeph::platform;

TEST_F(PlatformFilesTest, TemporaryDirectoryIsTheSystemsWithItsSeparator) {
    {
        zeph::testing::ScopedEnv tmp("TMP", dir);
        EXPECT_EQ(platform::TempDirectory(), dir + "\\");
    }
    {
        zeph::testing::ScopedEnv tmp("TMP", dir + "\\missing");
        EXPECT_EQ(platform::TempDirectory(), std::nullopt);
    }
}

} // namespace
