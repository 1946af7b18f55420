// Machine facts on Linux: processors and their times from /proc/stat, network addresses from
// getifaddrs, the root file system's id as disk serial, libuuid, the C library's folder.

#include "SystemFacts.h"

#include <tollund/CFunction.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <uuid/uuid.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr size_t SystemDirBuffer = 260;

} // namespace

int CFunction::GetNumOfProcessors() {
    static std::atomic<int> processors{0};
    int count = processors.load();
    if (count == 0) {
        const long online = sysconf(_SC_NPROCESSORS_ONLN);
        count = online > 0 ? static_cast<int>(online) : 1;
        processors = count;
    }
    return count;
}

namespace tollund::detail {

bool ReadCpuTimes(CpuTimes& times) {
    std::ifstream stat("/proc/stat");
    std::string line;
    times = {};
    uint64_t idle = 0;
    uint64_t total = 0;
    int processors = 0;
    bool haveTotal = false;
    while (std::getline(stat, line)) {
        if (line.rfind("cpu ", 0) == 0) {
            std::istringstream fields(line.substr(4));
            uint64_t value = 0;
            for (int i = 0; fields >> value && i < 8; ++i) {
                total += value;
                if (i == 3 || i == 4) { // idle, iowait
                    idle += value;
                }
            }
            haveTotal = true;
        } else if (line.rfind("cpu", 0) == 0) {
            ++processors;
        }
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!haveTotal || processors <= 0 || ticksPerSecond <= 0) {
        return false;
    }
    // In 100-nanosecond units: the idle time of all processors, and the time that passed
    // (the total of all processors' time divided among them).
    const uint64_t unit = 10000000u / static_cast<uint64_t>(ticksPerSecond);
    times.processors = processors;
    times.idleTime = idle * unit;
    times.systemTime = total * unit / static_cast<uint64_t>(processors);
    return true;
}

bool NewUuid(unsigned char (&bytes)[16]) {
    uuid_t id;
    uuid_generate_random(id);
    if (uuid_is_null(id) != 0) {
        return false;
    }
    std::memcpy(bytes, id, sizeof bytes);
    return true;
}

} // namespace tollund::detail

int CFunction::EnumIpAddresses(void (*add)(const char* address, void* target), void* target) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return 0;
    }
    int added = 0;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr ||
            std::strcmp(text, "127.0.0.1") == 0) {
            continue;
        }
        add(text, target);
        ++added;
    }
    freeifaddrs(list);
    return added;
}

int CFunction::GetNetCardMacAddress(std::string& output) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        const int error = errno;
        RLog("GetNetCardMacAddress  nError=%d,%s", error,
             GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 0;
    }
    std::string mac;
    for (const ifaddrs* entry = list; entry != nullptr && mac.empty(); entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen == 0 || link->sll_halen > sizeof link->sll_addr) {
            continue; // no hardware address (tunnels and the like)
        }
        char hex[3];
        for (int i = 0; i < link->sll_halen; ++i) {
            std::snprintf(hex, sizeof hex, "%02x", link->sll_addr[i]);
            mac += hex;
        }
    }
    freeifaddrs(list);
    if (mac.empty()) {
        RLog("GetAdapterInfoByIpHlp ERROR_NO_DATA");
        return 1;
    }
    output = mac;
    DLog("NetCard MAC:%s", output.c_str());
    return 1;
}

int CFunction::GetDiskSerialNumber(uint32_t& serial) {
    struct statvfs info {};
    if (statvfs("/", &info) != 0) {
        return 0;
    }
    serial = static_cast<uint32_t>(info.f_fsid);
    return 1;
}

std::string CFunction::GetSystemDir() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&::write), &info) == 0 || info.dli_fname == nullptr) {
        return "/usr/lib";
    }
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
    return path.size() < SystemDirBuffer ? path : std::string();
}
