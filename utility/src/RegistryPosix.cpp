// The registry layer: <base>/<root key name>/<key>/<subkey>/... folders; a key's default value
// is the content of its file "(Default)".

#include "RegistryPosix.h"

#include "AsciiText.h"

#include <tollund/CFunction.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tollund::detail {

const char* RootKeyName(CFunction::RegKey root) {
    switch (root) {
    case CFunction::HKEY_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    case CFunction::HKEY_CURRENT_USER:
        return "HKEY_CURRENT_USER";
    case CFunction::HKEY_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case CFunction::HKEY_USERS:
        return "HKEY_USERS";
    case CFunction::HKEY_CURRENT_CONFIG:
        return "HKEY_CURRENT_CONFIG";
    default:
        return nullptr;
    }
}

std::string RegistryBase() {
    const char* base = std::getenv("TOLLUND_REGISTRY");
    return base != nullptr && base[0] != '\0' ? base : "/etc/tollund/registry";
}

// The entry of folder named component, matched as key names are: ignoring ASCII case.
std::string KeyEntry(const std::string& folder, const std::string& component) {
    struct stat exact {};
    if (stat((folder + "/" + component).c_str(), &exact) == 0) {
        return component;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return component;
    }
    std::string match = component;
    while (const dirent* entry = readdir(dir)) {
        if (EqualIgnoringAsciiCase(component, entry->d_name)) {
            match = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return match;
}

} // namespace tollund::detail

using namespace tollund::detail;

int32_t CFunction::GetRegKey(RegKey root, const char* subKey, char* output) {
    if (output != nullptr) {
        output[0] = '\0';
    }
    const char* rootName = RootKeyName(root);
    if (rootName == nullptr) {
        return EINVAL;
    }
    std::string path = RegistryBase() + "/" + rootName;
    const std::string key = subKey != nullptr ? subKey : "";
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find_first_of("\\/", start);
        if (end == std::string::npos) {
            end = key.size();
        }
        const std::string component = key.substr(start, end - start);
        start = end + 1;
        if (component.empty()) {
            continue;
        }
        if (component == "." || component == "..") {
            return EINVAL; // a key name, not a way out of the registry
        }
        path += "/" + KeyEntry(path, component);
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return errno;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ENOENT;
    }
    if (access(path.c_str(), R_OK | X_OK) != 0) {
        return errno;
    }
    if (output == nullptr) {
        return 0;
    }
    const int fd = open((path + "/(Default)").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    char value[RegistryValueBuffer + 2];
    size_t length = 0;
    while (length < sizeof value) {
        const ssize_t got = read(fd, value + length, sizeof value - length);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        length += static_cast<size_t>(got);
    }
    close(fd);
    length = strnlen(value, length);
    if (length > 0 && value[length - 1] == '\n') {
        --length; // files written with echo end in a line feed
    }
    if (length < RegistryValueBuffer) {
        std::memcpy(output, value, length);
        output[length] = '\0';
    }
    return 0;
}
