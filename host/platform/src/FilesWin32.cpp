#include "WideText.h"
// The header's names, not the system's macro for its ANSI and Unicode functions.
#undef DeleteFile

#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>

#include <algorithm>

namespace zeph::platform {
namespace {

using detail::Wide;

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(Wide(NativePath(path)).c_str());
}

// Closes a handle when the scope ends.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (Valid()) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};

} // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void ClearReadOnly(const std::string& path) {
    const std::wstring native = Wide(NativePath(path));
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == kNoAttributes || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        return;
    }
    const DWORD rest = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(native.c_str(), rest == 0 ? FILE_ATTRIBUTE_NORMAL : rest);
}

bool DeleteFile(const std::string& path) {
    // The system refuses a read-only file itself.
    return DeleteFileW(Wide(NativePath(path)).c_str()) != 0;
}

std::optional<std::string> TempDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) {
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesW(buffer);
    if (attributes == kNoAttributes || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    // GetTempPath ends the folder with its separator.
    std::string result = HostPath(detail::Narrow(std::wstring_view(buffer, length)));
    if (result.empty() || result.size() > kMaxTempDirectoryLength) {
        return std::nullopt;
    }
    return result;
}

std::string CRuntimePath(const std::string& nativePath) {
    if (std::all_of(nativePath.begin(), nativePath.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return nativePath;
    }
    const std::wstring path = Wide(nativePath);
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) {
        return nativePath;
    }
    std::wstring shortPath(length, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length);
    if (written == 0 || written >= length) {
        return nativePath;
    }
    shortPath.resize(written);
    if (!std::all_of(shortPath.begin(), shortPath.end(), [](wchar_t c) { return c < 0x80; })) {
        return nativePath;
    }
    return std::string(shortPath.begin(), shortPath.end());
}

std::int64_t FileSize(const std::string& path) {
    // Read access only, and OPEN_EXISTING: asking for a size must never leave a file behind.
    Handle file(CreateFileW(Wide(NativePath(path)).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return -1;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return -1;
    }
    return static_cast<std::int64_t>(size.QuadPart);
}

CopyResult CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    const std::wstring source = Wide(NativePath(from));
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == kNoAttributes || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return CopyResult::Failed;
    }
    // bFailIfExists: "already there" and "create" are one step. The system removes a target it
    // could not finish.
    if (CopyFileW(source.c_str(), Wide(NativePath(to)).c_str(), TRUE)) {
        return CopyResult::Copied;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CopyResult::TargetExists
                                                                       : CopyResult::Failed;
}

} // namespace zeph::platform
