#pragma once

// Reads the process's own memory without the risk of a fault: an unmapped or unreadable page
// ends the read instead of raising a second signal inside the crash handler.

#include <cstddef>
#include <cstdint>

namespace dbghelp {

// Copies up to size bytes from address; the count of leading bytes that could be read.
size_t ReadOwnMemory(uint64_t address, void* out, size_t size);

} // namespace dbghelp
