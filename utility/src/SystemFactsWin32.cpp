// Machine facts on Windows: NtQuerySystemInformation for the processors' times, the IP helper's
// address and adapter tables, the volume serial of drive C, UuidCreate, the system directory.

#include "SystemFacts.h"

#include <tollund/CFunction.h>

// The system headers need windows.h (or winsock2.h) first.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <rpc.h>
#include <winternl.h>
// clang-format on

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using QueryFunction = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);

constexpr int BasicInformation = 0;
constexpr int PerformanceInformation = 2;
constexpr int TimeOfDayInformation = 3;

// The processor count, the current system time and the total idle time, as the system's
// information classes lay them out.
struct SystemTimes {
    SYSTEM_BASIC_INFORMATION basic;
    SYSTEM_PERFORMANCE_INFORMATION performance;
    SYSTEM_TIMEOFDAY_INFORMATION timeOfDay;
};

bool Query(QueryFunction query, int infoClass, void* into, ULONG size) {
    return query(static_cast<SYSTEM_INFORMATION_CLASS>(infoClass), into, size, nullptr) >= 0;
}

int64_t LargeAt(const void* base, size_t offset) {
    LARGE_INTEGER value;
    std::memcpy(&value, static_cast<const char*>(base) + offset, sizeof value);
    return value.QuadPart;
}

} // namespace

int CFunction::GetNumOfProcessors() {
    static std::atomic<int> processors{0};
    int count = processors.load();
    if (count == 0) {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        count = info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
        processors = count;
    }
    return count;
}

namespace tollund::detail {

bool ReadCpuTimes(CpuTimes& times) {
    const HMODULE ntdll = GetModuleHandleA("ntdll");
    const auto query = ntdll != nullptr ? reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
                                              GetProcAddress(ntdll, "NtQuerySystemInformation")))
                                        : nullptr;
    if (query == nullptr) {
        return false;
    }
    SystemTimes system{};
    if (!Query(query, BasicInformation, &system.basic, sizeof system.basic) ||
        !Query(query, TimeOfDayInformation, &system.timeOfDay, sizeof system.timeOfDay) ||
        !Query(query, PerformanceInformation, &system.performance, sizeof system.performance)) {
        return false;
    }
    times.processors = system.basic.NumberOfProcessors;
    // The idle time opens the performance information; the current time follows the boot time.
    times.idleTime = static_cast<uint64_t>(LargeAt(&system.performance, 0));
    times.systemTime = static_cast<uint64_t>(LargeAt(&system.timeOfDay, sizeof(LARGE_INTEGER)));
    return times.processors > 0;
}

bool NewUuid(unsigned char (&bytes)[16]) {
    UUID id{};
    // A UUID that is unique only on this machine counts as a failure.
    if (UuidCreate(&id) != RPC_S_OK) {
        return false;
    }
    const unsigned long data1 = id.Data1;
    bytes[0] = static_cast<unsigned char>(data1 >> 24);
    bytes[1] = static_cast<unsigned char>(data1 >> 16);
    bytes[2] = static_cast<unsigned char>(data1 >> 8);
    bytes[3] = static_cast<unsigned char>(data1);
    bytes[4] = static_cast<unsigned char>(id.Data2 >> 8);
    bytes[5] = static_cast<unsigned char>(id.Data2);
    bytes[6] = static_cast<unsigned char>(id.Data3 >> 8);
    bytes[7] = static_cast<unsigned char>(id.Data3);
    std::memcpy(bytes + 8, id.Data4, 8);
    for (const unsigned char byte : bytes) {
        if (byte != 0) {
            return true;
        }
    }
    return false;
}

} // namespace tollund::detail

int CFunction::EnumIpAddresses(void (*add)(const char* address, void* target), void* target) {
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) {
        return 0;
    }
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) {
        return 0;
    }
    int added = 0;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const DWORD address = table->table[i].dwAddr; // network order
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&address);
        char text[16];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        if (std::string(text) == "127.0.0.1") {
            continue;
        }
        add(text, target);
        ++added;
    }
    return added;
}

int CFunction::GetNetCardMacAddress(std::string& output) {
    ULONG size = 0;
    DWORD code = GetAdaptersInfo(nullptr, &size);
    if (code == ERROR_NO_DATA) {
        RLog("GetAdapterInfoByIpHlp ERROR_NO_DATA");
        return 1;
    }
    if (code != ERROR_BUFFER_OVERFLOW) {
        RLog("GetNetCardMacAddress  nError=%d,%s", static_cast<int>(code),
             GetLastErrorString(code).c_str());
        return 0;
    }
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    code = GetAdaptersInfo(adapters, &size);
    if (code != NO_ERROR) {
        RLog("GetNetCardMacAddress nError=%d,%s", static_cast<int>(code),
             GetLastErrorString(code).c_str());
        return 0;
    }
    std::string mac;
    for (UINT i = 0; i < adapters->AddressLength; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", adapters->Address[i]);
        mac += pair;
    }
    output = mac;
    DLog("NetCard MAC:%s", output.c_str());
    return 1;
}

int CFunction::GetDiskSerialNumber(uint32_t& serial) {
    DWORD number = 0;
    if (!GetVolumeInformationA("C:\\", nullptr, 0, &number, nullptr, nullptr, nullptr, 0)) {
        return 0;
    }
    serial = number;
    return 1;
}

std::string CFunction::GetSystemDir() {
    char path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}
