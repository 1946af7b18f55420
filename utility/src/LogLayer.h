#pragma once

#include <cstddef>

namespace tollund::detail {

// Writes all of data to fd, resuming after signals; false on the first real error.
bool WriteAll(int fd, const char* data, size_t length);

} // namespace tollund::detail
