#pragma once

#include <cstdint>
#include <ctime>

namespace tollund::detail {

// The local wall-clock time of `when`; false when the system cannot convert it.
bool LocalTimeOf(time_t when, tm& local);

// The current local time.
tm LocalNow();

// Milliseconds since the system started, cut to 32 bits like the classic tick count.
uint32_t SystemTickCount();

} // namespace tollund::detail
