#include "LocalClock.h"

#include <time.h>
#include <windows.h>

namespace tollund::detail {

bool LocalTimeOf(time_t when, tm& local) {
    return localtime_s(&local, &when) == 0;
}

tm LocalNow() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_s(&local, &now);
    return local;
}

uint32_t SystemTickCount() {
    return static_cast<uint32_t>(GetTickCount64());
}

} // namespace tollund::detail
