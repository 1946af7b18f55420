// Local files as Windows file handles, carried as int: the system keeps handle values within 32
// bits so that they can pass between 32- and 64-bit code.

#include "LocalFile.h"

#include <windows.h>

#include <cstdint>

namespace tollund::detail {

namespace {

int ToInt(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1
                                          : static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

HANDLE ToHandle(int file) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file));
}

} // namespace

int OpenUnshared(const std::string& path) {
    return ToInt(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

int OpenRegular(const std::string& path, uint64_t& size) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length)) {
        CloseHandle(file);
        return -1;
    }
    size = static_cast<uint64_t>(length.QuadPart);
    return ToInt(file);
}

long long ReadSome(int file, void* buffer, size_t length) {
    DWORD got = 0;
    const DWORD wanted = length > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(length);
    if (!ReadFile(ToHandle(file), buffer, wanted, &got, nullptr)) {
        return -1;
    }
    return static_cast<long long>(got);
}

void CloseLocalFile(int file) {
    CloseHandle(ToHandle(file));
}

} // namespace tollund::detail
