#include "WideTextWin32.h"

#include <zeph/emulator/CommandLine.h>
#include <zeph/emulator/InputFile.h>

#include <windows.h>

#include <algorithm>
#include <new>

namespace zeph::emulator {
namespace {

using detail::Reason;
using detail::Wide;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw EUsageError("cannot read " + path + ": " + why);
}

} // namespace

std::string ReadInputFile(const std::string& path, std::uintmax_t limit) {
    const std::wstring native = Wide(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Refuse(path, "it is a folder");
    }
    FileHandle file(CreateFileW(native.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        Refuse(path, Reason(GetLastError()));
    }
    // A pipe, a console or a device (NUL, CON) has no end to wait for.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        Refuse(path, "it is not a regular file");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        Refuse(path, Reason(GetLastError()));
    }
    const std::string tooLarge = "it is larger than " + std::to_string(limit) + " bytes";
    if (static_cast<std::uintmax_t>(size.QuadPart) > limit) {
        Refuse(path, tooLarge);
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                // The file may have grown since it was measured: read on, up to the limit.
                if (bytes.size() > limit) {
                    Refuse(path, tooLarge);
                }
                bytes.resize(bytes.size() + 4096);
            }
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(
                std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
            if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) {
                Refuse(path, Reason(GetLastError()));
            }
            if (got == 0) {
                break;
            }
            done += got;
        }
        bytes.resize(done);
        if (done > limit) {
            Refuse(path, tooLarge);
        }
    } catch (const std::bad_alloc&) {
        Refuse(path, "not enough memory");
    }
    return bytes;
}

} // namespace zeph::emulator
