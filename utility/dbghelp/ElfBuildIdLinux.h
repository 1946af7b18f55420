#pragma once

// The GNU build id of an ELF object, which lets a debugger find the exact file and its symbols.

#include <cstddef>
#include <cstdint>

namespace dbghelp {

constexpr size_t BuildIdCapacity = 64;

// Scans ELF notes (the contents of a PT_NOTE segment) for NT_GNU_BUILD_ID; the id's length
// copied to out (0 when there is none or it exceeds capacity).
size_t FindGnuBuildId(const uint8_t* notes, size_t size, uint8_t* out, size_t capacity);

// The build id of the 64-bit ELF object whose header is mapped at base in this process, read
// fault-free; 0 when base holds no ELF header or the object has no build id.
size_t ReadMappedBuildId(uint64_t base, uint8_t* out, size_t capacity);

} // namespace dbghelp
