#pragma once

#include <cstdint>

namespace tollund::detail {

// The processors' times since boot from /proc/stat, in clock ticks.
struct CpuTimes {
    uint64_t idle = 0;  // idle and waiting for input or output, all processors
    uint64_t total = 0; // all states, all processors
    int processors = 0;
};

// False when the figures cannot be read.
bool ReadCpuTimes(CpuTimes& times);

} // namespace tollund::detail
