// Files named on the command line (@PATH arguments, --script): read whole, within a limit, so an
// endless or huge input is refused instead of exhausting memory, and a FIFO without a writer
// cannot hold the program.
#pragma once

#include <cstdint>
#include <string>

namespace zeph::emulator {

inline constexpr std::uintmax_t kInputFileLimit = 64u * 1024u * 1024u;

// The file's bytes. EUsageError naming the file when it is not a regular file (a folder, a FIFO,
// a device such as /dev/zero), is larger than limit bytes, or cannot be read.
std::string ReadInputFile(const std::string& path, std::uintmax_t limit = kInputFileLimit);

} // namespace zeph::emulator
