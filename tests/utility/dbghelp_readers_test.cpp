// The debug-help library's readers: /proc/<pid>/maps lines, the blocked-call line of a task,
// ELF build-id notes and the build id of an object mapped in this process.

#include "ElfBuildIdLinux.h"
#include "ProcessMapsLinux.h"
#include "TaskSyscallLinux.h"

#include <gtest/gtest.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace dbghelp;

TEST(ProcessMaps, ReadsEveryFieldAndThePathWithItsBlanks) {
    const std::string text =
        "55d0c2a00000-55d0c2a01000 r--p 00000000 fd:01 1835032                    /usr/bin/a b\n"
        "7ffd4e5c4000-7ffd4e5e5000 rw-p 00000000 00:00 0                          [stack]\n"
        "7f00000000-7f00001000 ---p 00001000 00:00 0\n";
    MapRegion regions[4];
    ASSERT_EQ(ParseProcessMaps(text.data(), text.size(), regions, 4), 3u);
    EXPECT_EQ(regions[0].start, 0x55d0c2a00000u);
    EXPECT_EQ(regions[0].end, 0x55d0c2a01000u);
    EXPECT_EQ(regions[0].inode, 1835032u);
    EXPECT_TRUE(regions[0].readable);
    EXPECT_FALSE(regions[0].writable);
    EXPECT_FALSE(regions[0].executable);
    EXPECT_EQ(std::string(regions[0].path, regions[0].pathLength), "/usr/bin/a b");
    EXPECT_EQ(std::string(regions[1].path, regions[1].pathLength), "[stack]");
    EXPECT_TRUE(regions[1].writable);
    EXPECT_EQ(regions[2].offset, 0x1000u);
    EXPECT_EQ(regions[2].pathLength, 0u);
    EXPECT_FALSE(regions[2].readable);
    EXPECT_EQ(FindReadableRegion(regions, 3, 0x55d0c2a00fffu), &regions[0]);
    EXPECT_EQ(FindReadableRegion(regions, 3, 0x55d0c2a01000u), nullptr);
    EXPECT_EQ(FindReadableRegion(regions, 3, 0x7f00000000u), nullptr); // not readable
}

TEST(ProcessMaps, SkipsMalformedLinesAndStopsAtCapacity) {
    const std::string text = "2000-1000 r--p 00000000 00:00 0\n"  // end before start
                             "zz-1000 r--p 00000000 00:00 0\n"    // not a number
                             "1000-2000 r--p 00000000 00:00\n"    // no inode
                             "1000-2000 r--p 0 00:00 0x\n"        // glued to the inode
                             "1000-2000 r--p 00000000 00:00 0\n"  // good
                             "3000-4000 r--p 00000000 00:00 0\n"; // good, beyond capacity
    MapRegion regions[1];
    ASSERT_EQ(ParseProcessMaps(text.data(), text.size(), regions, 1), 1u);
    EXPECT_EQ(regions[0].start, 0x1000u);
}

TEST(TaskSyscall, TakesStackAndInstructionPointerOfABlockedCall) {
    uint64_t sp = 0;
    uint64_t pc = 0;
    const std::string blocked =
        "7 0x7ffc1 0x1 0xffffffff 0x0 0x8 0x0 0x7f11aa22bb30 0x7f33cc44dd50\n";
    ASSERT_TRUE(ParseTaskSyscall(blocked.data(), blocked.size(), sp, pc));
    EXPECT_EQ(sp, 0x7f11aa22bb30u);
    EXPECT_EQ(pc, 0x7f33cc44dd50u);
    const std::string outside = "-1 0x7ffc12345678 0x7f1234567890\n";
    ASSERT_TRUE(ParseTaskSyscall(outside.data(), outside.size(), sp, pc));
    EXPECT_EQ(sp, 0x7ffc12345678u);
    EXPECT_EQ(pc, 0x7f1234567890u);
    for (const std::string bad :
         {"running\n", "", "1 2 3 4\n", "7 0x1 0x2 0x3 0x4 0x5 0x6 0x7 0x8 0x9\n",
          "-1 0x7ffc1234567g 0x1\n"}) {
        EXPECT_FALSE(ParseTaskSyscall(bad.data(), bad.size(), sp, pc)) << bad;
    }
}

// One ELF note: name size, descriptor size, type, then name and descriptor, each padded to four.
std::vector<uint8_t> Note(const std::string& name, uint32_t type,
                          const std::vector<uint8_t>& desc) {
    std::vector<uint8_t> out;
    const auto word = [&out](uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    };
    const auto pad = [&out] {
        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
    };
    word(static_cast<uint32_t>(name.size() + 1));
    word(static_cast<uint32_t>(desc.size()));
    word(type);
    for (const char c : name) {
        out.push_back(static_cast<uint8_t>(c));
    }
    out.push_back(0);
    pad();
    for (const uint8_t b : desc) {
        out.push_back(b);
    }
    pad();
    return out;
}

TEST(ElfBuildId, FindsTheGnuBuildIdNoteAmongOthers) {
    const std::vector<uint8_t> id = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                     11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    std::vector<uint8_t> notes = Note("GNU", 1, {0, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0});
    const std::vector<uint8_t> other = Note("Xen", 3, {9, 9, 9, 9});
    notes.insert(notes.end(), other.begin(), other.end());
    const std::vector<uint8_t> build = Note("GNU", 3, id);
    notes.insert(notes.end(), build.begin(), build.end());
    uint8_t out[BuildIdCapacity];
    ASSERT_EQ(FindGnuBuildId(notes.data(), notes.size(), out, sizeof out), id.size());
    EXPECT_EQ(std::vector<uint8_t>(out, out + id.size()), id);
    // Cut inside the id: no id.
    EXPECT_EQ(FindGnuBuildId(notes.data(), notes.size() - 8, out, sizeof out), 0u);
    // An id larger than the room given: none.
    EXPECT_EQ(FindGnuBuildId(notes.data(), notes.size(), out, 8), 0u);
}

// The build id this test program was linked with, from its own file.
std::vector<uint8_t> OwnBuildIdFromFile() {
    std::ifstream file("/proc/self/exe", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::string marker("GNU\0", 4);
    for (size_t at = bytes.find(marker); at != std::string::npos; at = bytes.find(marker, at + 1)) {
        uint32_t header[3];
        if (at < 12) {
            continue;
        }
        std::memcpy(header, bytes.data() + at - 12, sizeof header);
        if (header[0] == 4 && header[2] == 3 && header[1] > 0 && header[1] <= 64) {
            return std::vector<uint8_t>(bytes.begin() + static_cast<long>(at + 4),
                                        bytes.begin() + static_cast<long>(at + 4 + header[1]));
        }
    }
    return {};
}

TEST(ElfBuildId, ReadsTheBuildIdOfTheProgramMappedInThisProcess) {
    const std::vector<uint8_t> expected = OwnBuildIdFromFile();
    ASSERT_FALSE(expected.empty()) << "the test program has no build id";
    uint64_t base = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            // The first object is the program; its lowest loadable segment is mapped at base.
            uint64_t lowest = UINT64_MAX;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_vaddr < lowest) {
                    lowest = info->dlpi_phdr[i].p_vaddr;
                }
            }
            *static_cast<uint64_t*>(data) = info->dlpi_addr + (lowest & ~uint64_t{0xfff});
            return 1;
        },
        &base);
    uint8_t out[BuildIdCapacity];
    const size_t length = ReadMappedBuildId(base, out, sizeof out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + length), expected);
    // Not an ELF header: nothing, and no fault.
    EXPECT_EQ(ReadMappedBuildId(16, out, sizeof out), 0u);
    EXPECT_EQ(ReadMappedBuildId(reinterpret_cast<uint64_t>(&expected), out, sizeof out), 0u);
}

} // namespace
