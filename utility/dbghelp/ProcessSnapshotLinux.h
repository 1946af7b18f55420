#pragma once

// What the dump describes, gathered once the other threads are stopped: the memory map, the
// loaded ELF objects, the memory ranges to copy, a few /proc files and the machine. Everything
// lives in fixed static storage; one snapshot at a time.

#include "ElfBuildIdLinux.h"
#include "MinidumpFormat.h"
#include "ProcessMapsLinux.h"
#include "ThreadStopperLinux.h"

#include <signal.h>

#include <cstddef>
#include <cstdint>

namespace dbghelp {

constexpr size_t ModuleCapacity = 2048;
constexpr size_t RangeCapacity = ThreadCapacity + 4;
// Stack kept per thread, from just below its stack pointer upwards: enough for the frames a
// backtrace needs without copying whole stacks.
constexpr uint64_t StackCapBytes = 64 * 1024;

struct ModuleRecord {
    uint64_t base;
    uint64_t size;
    const char* path;
    size_t pathLength;
    uint8_t buildId[BuildIdCapacity];
    size_t buildIdLength;
};

struct MemoryRange {
    uint64_t start;
    uint64_t size;
};

struct TextBlock {
    const char* data;
    size_t size;
};

struct ProcessSnapshot {
    const ThreadStopper* threads;
    pid_t exceptionTid;
    const siginfo_t* signalInfo; // null without an exception
    int signalNumber;

    const MapRegion* regions;
    size_t regionCount;
    const ModuleRecord* modules;
    size_t moduleCount;
    const MemoryRange* ranges; // sorted, not overlapping
    size_t rangeCount;
    MemoryRange stacks[ThreadCapacity]; // per thread; size 0 when none was found

    TextBlock maps;
    TextBlock status;
    TextBlock cmdline;
    TextBlock auxv;

    format::SystemInfo system;
    const char* systemText; // "Linux <release> <version> <machine>"
    size_t systemTextLength;
    uint32_t processId;
};

// Fills snapshot from the running process; threads must already be stopped.
void TakeSnapshot(ProcessSnapshot& snapshot);

} // namespace dbghelp
