#pragma once

// Whole small files of /proc read with plain system calls into a caller's buffer.

#include <cstddef>

namespace dbghelp {

// Reads up to capacity bytes of the file at path; the count read, 0 when it cannot be opened.
size_t ReadProcFile(const char* path, char* buffer, size_t capacity);

// "/proc/self/task/<tid>/<leaf>" into out (capacity at least 64); false when it does not fit.
bool TaskFilePath(long tid, const char* leaf, char* out, size_t capacity);

} // namespace dbghelp
