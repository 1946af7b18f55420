#include "WideText.h"

#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>

namespace zeph::platform {
namespace {

using detail::Narrow;
using detail::Wide;

// Transfers hand over small pieces; the disk gets them in large writes.
constexpr std::size_t kWriteBufferSize = 256 * 1024;

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    return path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string Failure(const std::string& what, DWORD error) {
    return what + ": " + detail::SystemMessage(error);
}

// Errors of a creation or rename that the folder or the target refused.
bool RefusedChange(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_WRITE_PROTECT ||
           error == ERROR_NOT_SUPPORTED;
}

// A name no other writer in this process or another one picks at the same moment.
std::wstring TemporaryName(const std::wstring& folder, const std::wstring& name) {
    static std::atomic<unsigned> counter{0};
    return folder + L"\\." + name + L".part-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1) + 1);
}

} // namespace

TReplacingFile::TReplacingFile(const std::string& path) : target_(NativePath(path)) {
    const std::wstring target = Wide(target_);
    const std::wstring name = NameOf(target);
    if (name.empty() || name == L"." || name == L"..") {
        error_ = "not a file name: " + target_;
        return;
    }
    // Beside the target, so that the move stays on one volume. CREATE_NEW never takes a file
    // that is there; a name taken by a file left from an earlier failure is skipped.
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temporary;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = TemporaryName(FolderOf(target), name);
        // Shared: a library may open the temporary file by its name (TemporaryPath) and write
        // it while this handle stays open for the flush.
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    }
    if (file == INVALID_HANDLE_VALUE) {
        refused_ = RefusedChange(error);
        error_ = Failure("cannot write in " + Narrow(FolderOf(target)), error);
        return;
    }
    descriptor_ = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (descriptor_ < 0) {
        CloseHandle(file);
        DeleteFileW(temporary.c_str());
        error_ = "cannot write in " + Narrow(FolderOf(target));
        return;
    }
    temporary_ = Narrow(temporary);
}

TReplacingFile::~TReplacingFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    } else if (descriptor_ >= 0) {
        _close(descriptor_);
    }
    if (!committed_ && !temporary_.empty()) {
        DeleteFileW(Wide(temporary_).c_str());
    }
}

bool TReplacingFile::Usable() const noexcept {
    return descriptor_ >= 0;
}

std::FILE* TReplacingFile::Stream() {
    if (stream_ == nullptr && descriptor_ >= 0) {
        stream_ = _fdopen(descriptor_, "wb");
        if (stream_ == nullptr) {
            // Nothing can be written, so nothing may be committed either.
            error_ = "cannot write " + temporary_;
            _close(descriptor_);
            descriptor_ = -1;
            return nullptr;
        }
        std::setvbuf(stream_, nullptr, _IOFBF, kWriteBufferSize);
    }
    return stream_;
}

bool TReplacingFile::Commit() {
    if (descriptor_ < 0) {
        if (error_.empty()) {
            error_ = "nothing to commit";
        }
        return false;
    }
    // The first failure's reason is the one reported.
    DWORD failure = ERROR_SUCCESS;
    if (stream_ != nullptr && (std::fflush(stream_) != 0 || std::ferror(stream_) != 0)) {
        failure = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
    // A crash after the move must not leave an empty file where the old one was.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor_));
    if (failure == ERROR_SUCCESS && !FlushFileBuffers(handle)) {
        failure = GetLastError();
    }
    const int closed = stream_ != nullptr ? std::fclose(stream_) : _close(descriptor_);
    if (failure == ERROR_SUCCESS && closed != 0) {
        failure = ERROR_WRITE_FAULT;
    }
    stream_ = nullptr;
    descriptor_ = -1;
    if (failure != ERROR_SUCCESS) {
        error_ = Failure("cannot write " + target_, failure);
        return false;
    }
    if (!MoveFileExW(Wide(temporary_).c_str(), Wide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        refused_ = RefusedChange(error);
        error_ = Failure("cannot write " + target_, error);
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace zeph::platform
