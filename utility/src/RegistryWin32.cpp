// The registry on Windows: the key's default value through the registry functions.

#include <tollund/CFunction.h>

#include <windows.h>

int32_t CFunction::GetRegKey(RegKey root, const char* subKey, char* output) {
    // Root keys are sign-extended 32-bit values.
    const HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(rootKey, subKey, 0, KEY_QUERY_VALUE, &key);
    if (output == nullptr) {
        if (opened == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
        return opened;
    }
    output[0] = '\0';
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    // At most 259 bytes and a terminating zero.
    constexpr DWORD Room = 259;
    DWORD size = Room;
    DWORD type = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(output), &size) ==
            ERROR_SUCCESS &&
        size <= Room) {
        output[size] = '\0';
    } else {
        output[0] = '\0';
    }
    RegCloseKey(key);
    return opened;
}
