// The huge-page advice lands on whole huge pages inside the buffer and nowhere else.
#include <zeph/platform/Memory.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Mapping {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    bool hugePagesAdvised = false;
};

// The mapping of this process that holds the address, from /proc/self/smaps.
Mapping MappingHolding(const void* address) {
    auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    Mapping current;
    bool found = false;
    while (std::getline(smaps, line)) {
        std::size_t dash = line.find('-');
        std::size_t space = line.find(' ');
        if (dash != std::string::npos && space != std::string::npos && dash < space &&
            line.find(':') > space) {
            if (found) {
                break;
            }
            current = {std::stoull(line.substr(0, dash), nullptr, 16),
                       std::stoull(line.substr(dash + 1, space - dash - 1), nullptr, 16), false};
            found = at >= current.begin && at < current.end;
        } else if (found && line.rfind("VmFlags:", 0) == 0) {
            std::istringstream flags(line.substr(8));
            std::string flag;
            while (flags >> flag) {
                current.hugePagesAdvised |= flag == "hg";
            }
        }
    }
    return found ? current : Mapping{};
}

bool HugePagesOffered() {
    std::ifstream enabled("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(enabled, modes);
    return modes.find("[madvise]") != std::string::npos ||
           modes.find("[always]") != std::string::npos;
}

TEST(PlatformMemory, GrowthAdvisesHugePagesInsideTheBufferOnly) {
    if (!HugePagesOffered()) {
        GTEST_SKIP() << "the system offers no transparent huge pages on advice";
    }
    std::vector<std::uint32_t> cells;
    zeph::platform::ReserveForGrowth(cells, 4 * 1024 * 1024); // 16 MiB
    ASSERT_GE(cells.capacity(), 4u * 1024 * 1024);
    const auto* data = reinterpret_cast<const char*>(cells.data());
    std::size_t bytes = cells.capacity() * sizeof(std::uint32_t);
    Mapping middle = MappingHolding(data + bytes / 2);
    ASSERT_NE(middle.end, 0u);
    EXPECT_TRUE(middle.hugePagesAdvised);
    EXPECT_GE(middle.begin, reinterpret_cast<std::uintptr_t>(data));
    EXPECT_LE(middle.end, reinterpret_cast<std::uintptr_t>(data + bytes));
    EXPECT_EQ(middle.begin % (2 * 1024 * 1024), 0u);
}

TEST(PlatformMemory, GrowthIsGeometricAndAdviceNeverFails) {
    std::string text;
    zeph::platform::ReserveForGrowth(text, 100);
    std::size_t first = text.capacity();
    ASSERT_GE(first, 100u);
    zeph::platform::ReserveForGrowth(text, first + 1);
    EXPECT_GE(text.capacity(), 2 * first) << "one byte more doubles, so appends stay linear";
    std::size_t second = text.capacity();
    zeph::platform::ReserveForGrowth(text, 10);
    EXPECT_EQ(text.capacity(), second) << "room already there is kept";
    // Null, tiny and unaligned buffers take the advice without harm.
    zeph::platform::PreferHugePages(nullptr, 1 << 30);
    zeph::platform::PreferHugePages(text.data() + 1, 3);
}

} // namespace
