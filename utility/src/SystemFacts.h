#pragma once

#include <cstdint>

// What the machine facts need from the platform beyond CFunction's own members.
namespace tollund::detail {

// The processors' times since start, in 100-nanosecond units.
struct CpuTimes {
    uint64_t idleTime = 0;   // idle, all processors together
    uint64_t systemTime = 0; // time that passed: all processors' time divided among them
    int processors = 0;
};

// False when the figures cannot be read.
bool ReadCpuTimes(CpuTimes& times);

// Sixteen bytes of a new random (version 4) UUID in their text order; false on failure.
bool NewUuid(unsigned char (&bytes)[16]);

} // namespace tollund::detail
