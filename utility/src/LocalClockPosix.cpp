#include "LocalClock.h"

#include <time.h>

namespace tollund::detail {

bool LocalTimeOf(time_t when, tm& local) {
    return localtime_r(&when, &local) != nullptr;
}

tm LocalNow() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return local;
}

uint32_t SystemTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

} // namespace tollund::detail
