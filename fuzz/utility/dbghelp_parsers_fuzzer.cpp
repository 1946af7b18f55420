// The debug-help library's readers of outside input: /proc/<pid>/maps lines, the
// /proc/<pid>/task/<tid>/syscall line and ELF notes. The first byte chooses the reader.

#include "ElfBuildIdLinux.h"
#include "ProcessMapsLinux.h"
#include "TaskSyscallLinux.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // A copy of exactly the input, so reading past it is caught.
    const std::vector<char> text(data + 1, data + size);
    const char* begin = text.data();
    switch (data[0] % 3) {
    case 0: {
        dbghelp::MapRegion regions[64];
        const size_t count = dbghelp::ParseProcessMaps(begin, text.size(), regions, 64);
        for (size_t i = 0; i < count; ++i) {
            const auto& region = regions[i];
            if (region.end <= region.start || region.path < begin ||
                region.path + region.pathLength > begin + text.size()) {
                std::abort();
            }
            if (dbghelp::FindReadableRegion(regions, count, region.start) == nullptr &&
                region.readable) {
                std::abort();
            }
        }
        break;
    }
    case 1: {
        uint64_t stackPointer = 0;
        uint64_t instructionPointer = 0;
        dbghelp::ParseTaskSyscall(begin, text.size(), stackPointer, instructionPointer);
        break;
    }
    default: {
        uint8_t id[dbghelp::BuildIdCapacity];
        const size_t length = dbghelp::FindGnuBuildId(reinterpret_cast<const uint8_t*>(begin),
                                                      text.size(), id, sizeof id);
        if (length > sizeof id) {
            std::abort();
        }
        break;
    }
    }
    return 0;
}
