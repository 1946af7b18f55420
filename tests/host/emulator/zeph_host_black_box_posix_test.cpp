// zeph-host as a black box with the inputs only POSIX has: devices, FIFOs, an address-space
// limit set by the shell.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zeph::emulator {
namespace {

using testing::ProcessResult;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";

// Inputs no call can use: each is refused with status 2 and a message naming the file, at once
// (a FIFO without a writer must not hold the program), and the temporary desk folder goes.
TEST(ZephHostTest, EndlessHugeOrSpecialInputsAreRefused) {
    testing::TempDir tmp, dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.File("huge");
    testing::WriteFile(huge, "");
    std::filesystem::resize_file(huge, (64u << 20) + 1); // sparse: costs no disk
    struct Input {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    };
    const Input inputs[] = {
        {"endless device",
         {"call", "BASE64ENCODE", "@/dev/zero"},
         "zeph-host: cannot read /dev/zero: it is not a regular file"},
        {"FIFO with no writer",
         {"call", "BASE64ENCODE", "@" + fifo},
         "zeph-host: cannot read " + fifo + ": it is not a regular file"},
        {"larger than the limit",
         {"call", "BASE64ENCODE", "@" + huge},
         "zeph-host: cannot read " + huge + ": it is larger than 67108864 bytes"},
        {"script from a device",
         {"--script", "/dev/zero", "call", "CHECK_STAFF_QUERY"},
         "zeph-host: --script: cannot read /dev/zero: it is not a regular file"},
        {"folder",
         {"call", "BASE64ENCODE", "@" + dir.Path()},
         "zeph-host: cannot read " + dir.Path() + ": it is a folder"},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        std::vector<std::string> command = {"/usr/bin/env", "TMPDIR=" + tmp.Path()};
#if !defined(__SANITIZE_ADDRESS__)
        // Under an address-space limit an unbounded read would fail to allocate, not finish.
        command = {"/bin/sh", "-c",           "ulimit -v 1000000; exec \"$@\"",
                   "sh",      "/usr/bin/env", "TMPDIR=" + tmp.Path()};
#endif
        command.push_back(kProgram);
        command.insert(command.end(), input.args.begin(), input.args.end());
        ProcessResult r = testing::Run(command, {}, std::chrono::seconds(20));
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.err.rfind(input.err, 0), 0u) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
    }
}

} // namespace
} // namespace zeph::emulator
