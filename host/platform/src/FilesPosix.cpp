#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zeph::platform {
namespace {

// Closes a descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const noexcept { return fd_; }
    bool Valid() const noexcept { return fd_ >= 0; }
    // Closes now and reports whether the close (and so the last writes) succeeded.
    bool Close() noexcept {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The owner may not write it; a symbolic link has no attribute of its own.
bool ReadOnly(const struct stat& info) {
    return !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

} // namespace

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsReadOnly(const std::string& path) {
    struct stat info {};
    return ::lstat(NativePath(path).c_str(), &info) == 0 && ReadOnly(info);
}

void ClearReadOnly(const std::string& path) {
    const std::string native = NativePath(path);
    struct stat info {};
    // lstat: a link's target is another file, which the attribute of this one never reaches.
    if (::lstat(native.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        ::chmod(native.c_str(), (info.st_mode & 07777) | S_IWUSR);
    }
}

bool DeleteFile(const std::string& path) {
    const std::string native = NativePath(path);
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0) {
        return false;
    }
    // The superuser may unlink anything; the attribute is checked here so that it stops everyone.
    if (ReadOnly(info)) {
        errno = EACCES;
        return false;
    }
    return ::unlink(native.c_str()) == 0;
}

std::optional<std::string> TempDirectory() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string native =
        fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : "/tmp";
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    std::string result = IncludeTrailingPathDelimiter(HostPath(native));
    if (result.size() > kMaxTempDirectoryLength) {
        return std::nullopt;
    }
    return result;
}

std::string CRuntimePath(const std::string& nativePath) {
    return nativePath;
}

std::int64_t FileSize(const std::string& path) {
    // Read access only: asking for a size must never leave a file behind.
    Descriptor fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid()) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

CopyResult CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    Descriptor source(::open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!source.Valid()) {
        return CopyResult::Failed;
    }
    struct stat info {};
    if (::fstat(source.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return CopyResult::Failed;
    }
    std::string target = NativePath(to);
    // O_EXCL makes "already there" and "create" one step, so nothing can slip in between; the
    // copy gets the usual mode of a new file (0666 less the umask), whatever the source had.
    Descriptor destination(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!destination.Valid()) {
        return errno == EEXIST ? CopyResult::TargetExists : CopyResult::Failed;
    }
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::read(source.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!WriteAll(destination.Get(), buffer, static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    ok = destination.Close() && ok;
    if (!ok) {
        ::unlink(target.c_str());
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
}

} // namespace zeph::platform
