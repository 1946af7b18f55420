#pragma once

// The lines of /proc/<pid>/maps, parsed in place: no allocation, so it may run in a signal
// handler. Malformed lines are skipped.

#include <cstddef>
#include <cstdint>

namespace dbghelp {

struct MapRegion {
    uint64_t start;
    uint64_t end;
    uint64_t offset;
    uint64_t inode;
    bool readable;
    bool writable;
    bool executable;
    const char* path; // into the parsed text, not terminated; empty for anonymous memory
    size_t pathLength;
};

// Fills at most capacity regions from text; the count filled.
size_t ParseProcessMaps(const char* text, size_t length, MapRegion* regions, size_t capacity);

// The readable region holding address, or null.
const MapRegion* FindReadableRegion(const MapRegion* regions, size_t count, uint64_t address);

} // namespace dbghelp
