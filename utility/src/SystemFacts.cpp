// Machine facts computed from what the platform reports: the processor load, the identifier
// of the user's machine, the text of a GUID.

#include "SystemFacts.h"

#include <tollund/CFunction.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

namespace {

constexpr const char* GuidFailure = "Can't Get a Guid";

} // namespace

double CFunction::GetCpuUsage() {
    static std::atomic<uint64_t> previousIdle{0};
    static std::atomic<uint64_t> previousSystem{0};
    tollund::detail::CpuTimes times;
    if (!tollund::detail::ReadCpuTimes(times)) {
        return 0;
    }
    const int processors = times.processors;
    const uint64_t idleTime = times.idleTime;
    const uint64_t systemTime = times.systemTime;
    double result = 0;
    const uint64_t lastIdle = previousIdle.load();
    const uint64_t lastSystem = previousSystem.load();
    if (lastIdle != 0) {
        if (systemTime <= lastSystem) {
            return 0; // no time has passed that could be measured
        }
        const double idleShare = static_cast<double>(idleTime - std::min(idleTime, lastIdle)) /
                                 static_cast<double>(systemTime - lastSystem);
        result = 100.0 - idleShare * 100.0 / processors + 0.5;
    }
    previousIdle = idleTime;
    previousSystem = systemTime;
    return std::clamp(result, 0.0, 100.0);
}

std::string CFunction::GetUserUniqueIdentify() {
    uint32_t serial = 0;
    std::string mac;
    if (GetDiskSerialNumber(serial) == 1 && GetNetCardMacAddress(mac) == 1) {
        char text[16];
        std::snprintf(text, sizeof text, "%0X", serial);
        return std::string(text) + "-" + mac;
    }
    return GetGUID();
}

std::string CFunction::GetGUID() {
    unsigned char id[16];
    if (!tollund::detail::NewUuid(id)) {
        return GuidFailure;
    }
    const unsigned long data1 = (static_cast<unsigned long>(id[0]) << 24) |
                                (static_cast<unsigned long>(id[1]) << 16) |
                                (static_cast<unsigned long>(id[2]) << 8) | id[3];
    const unsigned data2 = (static_cast<unsigned>(id[4]) << 8) | id[5];
    const unsigned data3 = (static_cast<unsigned>(id[6]) << 8) | id[7];
    char text[40];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", data1,
                  data2, data3, id[8], id[9], id[10], id[11], id[12], id[13], id[14], id[15]);
    return text;
}
