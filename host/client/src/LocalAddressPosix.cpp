#include <zeph/client/PackageRoutines.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace zeph {

std::string LocalComputerIPString() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return "127.0.0.1";
    }
    std::string result = "127.0.0.1";
    for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        if ((it->ifa_flags & IFF_UP) == 0 || (it->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        char buffer[INET_ADDRSTRLEN] = {};
        auto* address = reinterpret_cast<sockaddr_in*>(it->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer) != nullptr) {
            result = buffer;
            break;
        }
    }
    freeifaddrs(list);
    return result;
}

} // namespace zeph
