#include "export/SafeReplace.h"

#include <zeph/platform/Paths.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace morvane::exporting {
namespace {

constexpr int kNameAttempts = 100;

// A new, empty file "<path>.<six letters>" beside path, created exclusively; the umask gives
// it the usual mode. Empty when none could be made (errno says why).
std::string CreateBeside(const std::string& path) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 pick(seed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = path + ".";
        for (int i = 0; i < 6; ++i) {
            candidate += kLetters[letter(pick)];
        }
        int fd = ::open(zeph::platform::NativePath(candidate).c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    errno = EEXIST;
    return {};
}

// Makes the written contents durable before they take the old file's place.
bool Sync(const std::string& native) {
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool TReplaceResult::Refused() const noexcept {
    if (failedAt != ReplaceStep::Create && failedAt != ReplaceStep::Rename) {
        return false;
    }
    return error == EACCES || error == EPERM || error == EROFS || error == EBUSY ||
           error == ETXTBSY;
}

std::string TReplaceResult::Why() const {
    return Ok() ? std::string() : std::strerror(error);
}

TReplaceResult ReplaceFile(const std::string& path, const TFileWriter& write,
                           const std::function<void()>& beforeRename) {
    const std::string temporary = CreateBeside(path);
    if (temporary.empty()) {
        return {ReplaceStep::Create, errno};
    }
    const std::string native = zeph::platform::NativePath(temporary);
    // Removed on every way out but the rename.
    struct Remove {
        const std::string& native;
        bool armed = true;
        ~Remove() {
            if (armed) {
                ::unlink(native.c_str());
            }
        }
    } remove{native};
    errno = 0;
    if (!write(temporary) || !Sync(native)) {
        return {ReplaceStep::Write, errno != 0 ? errno : EIO};
    }
    if (beforeRename) {
        beforeRename();
    }
    if (::rename(native.c_str(), zeph::platform::NativePath(path).c_str()) != 0) {
        return {ReplaceStep::Rename, errno};
    }
    remove.armed = false;
    return {};
}

std::string ReplaceFileContents(const std::string& path, const std::string& bytes,
                                const std::function<void()>& beforeRename) {
    TReplaceResult result = ReplaceFile(
        path,
        [&bytes](const std::string& temporary) {
            int fd = ::open(zeph::platform::NativePath(temporary).c_str(),
                            O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) {
                return false;
            }
            bool ok = WriteAll(fd, bytes);
            int error = errno;
            if (::close(fd) != 0 && ok) {
                ok = false;
                error = errno;
            }
            errno = error;
            return ok;
        },
        beforeRename);
    return result.Why();
}

} // namespace morvane::exporting
