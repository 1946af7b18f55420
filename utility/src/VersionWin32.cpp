// The version reader on Windows: the product version from the file's version resource.

#include <tollund/CFunction.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ProductVersionOf(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) {
        return {};
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation)) {
        return {};
    }
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductVersion",
                  translations[0].language, translations[0].codePage);
    char* value = nullptr;
    if (!VerQueryValueA(info.data(), key, reinterpret_cast<void**>(&value), &length) ||
        value == nullptr || length == 0) {
        return {};
    }
    return std::string(value);
}

} // namespace

std::string CFunction::GetAppVersion(int which) {
    if (which != 0) {
        return ProductVersionOf(GetCurrentModuleDir() + "//Pellora.dll");
    }
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return ProductVersionOf(path);
}
