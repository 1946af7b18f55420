#include "ProcessSnapshotLinux.h"

#include "OwnMemoryLinux.h"
#include "ProcFileLinux.h"

#include <cpuid.h>
#include <elf.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstring>

namespace dbghelp {

namespace {

constexpr size_t MapsCapacity = 4 * 1024 * 1024;
constexpr size_t RegionCapacity = 32 * 1024;
constexpr size_t SmallFileCapacity = 16 * 1024;
constexpr uint64_t RedZone = 128;
constexpr uint64_t AroundAddress = 256;
// How far below a stack mapping an overflowed stack pointer may lie and still find its stack.
constexpr uint64_t OverflowReach = 1024 * 1024;

char mapsText[MapsCapacity];
MapRegion regions[RegionCapacity];
ModuleRecord modules[ModuleCapacity];
MemoryRange ranges[RangeCapacity];
char statusText[SmallFileCapacity];
char cmdlineText[SmallFileCapacity];
char auxvData[SmallFileCapacity];
char systemText[4 * sizeof(utsname::release) + 16];

bool SameFile(const MapRegion& a, const MapRegion& b) {
    return a.inode == b.inode && a.pathLength == b.pathLength &&
           std::memcmp(a.path, b.path, a.pathLength) == 0;
}

size_t FindModules(const MapRegion* all, size_t count) {
    size_t found = 0;
    for (size_t i = 0; i < count && found < ModuleCapacity; ++i) {
        const MapRegion& first = all[i];
        if (first.offset != 0 || first.pathLength == 0 || first.path[0] != '/' || !first.readable) {
            continue;
        }
        char magic[SELFMAG];
        if (ReadOwnMemory(first.start, magic, sizeof magic) != sizeof magic ||
            std::memcmp(magic, ELFMAG, SELFMAG) != 0) {
            continue;
        }
        uint64_t end = first.end;
        for (size_t j = i + 1; j < count && SameFile(all[j], first) && all[j].offset != 0; ++j) {
            end = all[j].end;
        }
        ModuleRecord& module = modules[found++];
        module.base = first.start;
        module.size = end - first.start;
        module.path = first.path;
        module.pathLength = first.pathLength;
        module.buildIdLength = ReadMappedBuildId(first.start, module.buildId, BuildIdCapacity);
    }
    return found;
}

// The part of a thread's stack worth keeping: from just below the stack pointer up to the
// end of its mapping, capped.
MemoryRange StackRange(const MapRegion* all, size_t count, uint64_t stackPointer) {
    uint64_t low = stackPointer > RedZone ? (stackPointer - RedZone) & ~uint64_t{15} : 0;
    const MapRegion* region = FindReadableRegion(all, count, low);
    if (region == nullptr) {
        region = FindReadableRegion(all, count, stackPointer);
    }
    if (region == nullptr) {
        // An overflowed stack pointer lies below its stack: take the nearest readable mapping
        // above it.
        for (size_t i = 0; i < count; ++i) {
            if (all[i].readable && all[i].start > stackPointer &&
                all[i].start - stackPointer <= OverflowReach &&
                (region == nullptr || all[i].start < region->start)) {
                region = &all[i];
            }
        }
        if (region == nullptr) {
            return MemoryRange{0, 0};
        }
    }
    if (low < region->start) {
        low = region->start;
    }
    const uint64_t high = region->end - low > StackCapBytes ? low + StackCapBytes : region->end;
    return MemoryRange{low, high - low};
}

// The readable bytes within reach on both sides of address, inside its mapping.
MemoryRange AroundRange(const MapRegion* all, size_t count, uint64_t address) {
    const MapRegion* region = FindReadableRegion(all, count, address);
    if (region == nullptr) {
        return MemoryRange{0, 0};
    }
    const uint64_t low =
        address - region->start > AroundAddress ? address - AroundAddress : region->start;
    const uint64_t high =
        region->end - address > AroundAddress ? address + AroundAddress : region->end;
    return MemoryRange{low, high - low};
}

// Sorts and merges overlapping or touching ranges in place; the count left.
size_t MergeRanges(MemoryRange* list, size_t count) {
    for (size_t i = 1; i < count; ++i) {
        const MemoryRange item = list[i];
        size_t j = i;
        while (j > 0 && list[j - 1].start > item.start) {
            list[j] = list[j - 1];
            --j;
        }
        list[j] = item;
    }
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        if (list[i].size == 0) {
            continue;
        }
        if (kept > 0 && list[i].start <= list[kept - 1].start + list[kept - 1].size) {
            const uint64_t end = list[i].start + list[i].size;
            const uint64_t keptEnd = list[kept - 1].start + list[kept - 1].size;
            if (end > keptEnd) {
                list[kept - 1].size = end - list[kept - 1].start;
            }
            continue;
        }
        list[kept++] = list[i];
    }
    return kept;
}

bool FaultHasAddress(int signalNumber, const siginfo_t* info) {
    // Only faults the kernel raised carry an address.
    return info != nullptr && info->si_code > 0 &&
           (signalNumber == SIGSEGV || signalNumber == SIGBUS || signalNumber == SIGILL ||
            signalNumber == SIGFPE);
}

void AppendText(char* out, size_t capacity, size_t& length, const char* text) {
    while (*text != '\0' && length + 1 < capacity) {
        out[length++] = *text++;
    }
    out[length] = '\0';
}

uint32_t LeadingNumber(const char*& text) {
    uint32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + static_cast<uint32_t>(*text++ - '0');
    }
    if (*text == '.') {
        ++text;
    }
    return value;
}

void DescribeSystem(ProcessSnapshot& snapshot) {
    format::SystemInfo& info = snapshot.system;
    std::memset(&info, 0, sizeof info);
    info.processorArchitecture = format::ProcessorArchitectureAmd64;
    info.platformId = format::PlatformIdLinux;
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) != 0) {
        info.vendorId[0] = ebx;
        info.vendorId[1] = edx;
        info.vendorId[2] = ecx;
    }
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0) {
        uint32_t family = (eax >> 8) & 0xf;
        uint32_t model = (eax >> 4) & 0xf;
        if (family == 0xf) {
            family += (eax >> 20) & 0xff;
        }
        if (family >= 6) {
            model += ((eax >> 16) & 0xf) << 4;
        }
        info.processorLevel = static_cast<uint16_t>(family);
        info.processorRevision = static_cast<uint16_t>(model << 8 | (eax & 0xf));
        info.versionInformation = eax;
        info.featureInformation = edx;
    }
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (syscall(SYS_sched_getaffinity, 0, sizeof cpus, &cpus) > 0) {
        const int n = CPU_COUNT(&cpus);
        info.numberOfProcessors = static_cast<uint8_t>(n > 255 ? 255 : n);
    }
    utsname name{};
    size_t length = 0;
    systemText[0] = '\0';
    if (syscall(SYS_uname, &name) == 0) {
        const char* release = name.release;
        info.majorVersion = LeadingNumber(release);
        info.minorVersion = LeadingNumber(release);
        info.buildNumber = LeadingNumber(release);
        AppendText(systemText, sizeof systemText, length, name.sysname);
        AppendText(systemText, sizeof systemText, length, " ");
        AppendText(systemText, sizeof systemText, length, name.release);
        AppendText(systemText, sizeof systemText, length, " ");
        AppendText(systemText, sizeof systemText, length, name.version);
        AppendText(systemText, sizeof systemText, length, " ");
        AppendText(systemText, sizeof systemText, length, name.machine);
    }
    snapshot.systemText = systemText;
    snapshot.systemTextLength = length;
}

} // namespace

void TakeSnapshot(ProcessSnapshot& snapshot) {
    snapshot.processId = static_cast<uint32_t>(syscall(SYS_getpid));
    const size_t mapsLength = ReadProcFile("/proc/self/maps", mapsText, MapsCapacity);
    snapshot.maps = TextBlock{mapsText, mapsLength};
    snapshot.regions = regions;
    snapshot.regionCount = ParseProcessMaps(mapsText, mapsLength, regions, RegionCapacity);
    snapshot.modules = modules;
    snapshot.moduleCount = FindModules(regions, snapshot.regionCount);
    snapshot.status =
        TextBlock{statusText, ReadProcFile("/proc/self/status", statusText, SmallFileCapacity)};
    snapshot.cmdline =
        TextBlock{cmdlineText, ReadProcFile("/proc/self/cmdline", cmdlineText, SmallFileCapacity)};
    snapshot.auxv =
        TextBlock{auxvData, ReadProcFile("/proc/self/auxv", auxvData, SmallFileCapacity)};
    DescribeSystem(snapshot);

    size_t rangeCount = 0;
    const ThreadStopper& threads = *snapshot.threads;
    for (size_t i = 0; i < threads.Count(); ++i) {
        const ThreadRecord& thread = threads.At(i);
        snapshot.stacks[i] = thread.hasContext
                                 ? StackRange(regions, snapshot.regionCount, thread.context.rsp)
                                 : MemoryRange{0, 0};
        ranges[rangeCount++] = snapshot.stacks[i];
        if (thread.tid == snapshot.exceptionTid && thread.hasContext) {
            // The code at the failing instruction, for disassembly.
            ranges[rangeCount++] = AroundRange(regions, snapshot.regionCount, thread.context.rip);
        }
    }
    if (FaultHasAddress(snapshot.signalNumber, snapshot.signalInfo)) {
        ranges[rangeCount++] =
            AroundRange(regions, snapshot.regionCount,
                        reinterpret_cast<uint64_t>(snapshot.signalInfo->si_addr));
    }
    snapshot.ranges = ranges;
    snapshot.rangeCount = MergeRanges(ranges, rangeCount);
}

} // namespace dbghelp
