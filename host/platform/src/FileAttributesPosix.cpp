#include <zeph/platform/FileAttributes.h>
#include <zeph/platform/Paths.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zeph::platform {
namespace {

// The file's own status: a symbolic link is not followed.
bool OwnStatus(const std::string& native, struct stat& info) {
    return ::lstat(native.c_str(), &info) == 0;
}

bool ReadOnly(const struct stat& info) {
    return !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

} // namespace

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    return OwnStatus(NativePath(path), info) && ReadOnly(info);
}

bool SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    const std::string native = NativePath(path);
    struct stat info {};
    if (!OwnStatus(native, info) || S_ISLNK(info.st_mode)) {
        return false;
    }
    mode_t mode = info.st_mode & 07777;
    mode = (attributes & kFileAttributeReadOnly) != 0
               ? mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)
               : mode | S_IWUSR;
    return ::chmod(native.c_str(), mode) == 0;
}

bool DeleteFile(const std::string& path) {
    const std::string native = NativePath(path);
    struct stat info {};
    if (!OwnStatus(native, info)) {
        return false;
    }
    // The superuser may unlink anything; the attribute is checked here so that it stops everyone.
    if (ReadOnly(info)) {
        errno = EACCES;
        return false;
    }
    return ::unlink(native.c_str()) == 0;
}

} // namespace zeph::platform
