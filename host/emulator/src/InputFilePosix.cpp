#include <zeph/emulator/CommandLine.h>
#include <zeph/emulator/InputFile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace zeph::emulator {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const noexcept { return fd_; }

private:
    int fd_;
};

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw EUsageError("cannot read " + path + ": " + why);
}

} // namespace

std::string ReadInputFile(const std::string& path, std::uintmax_t limit) {
    // Non-blocking, so that opening a FIFO with no writer returns at once; it is refused below.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        Refuse(path, std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        Refuse(path, std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        Refuse(path, "it is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        Refuse(path, "it is not a regular file");
    }
    const std::string tooLarge = "it is larger than " + std::to_string(limit) + " bytes";
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        Refuse(path, tooLarge);
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                // The file may have grown since it was measured: read on, up to the limit.
                if (bytes.size() > limit) {
                    Refuse(path, tooLarge);
                }
                bytes.resize(bytes.size() + 4096);
            }
            ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                Refuse(path, std::strerror(errno));
            }
            if (got == 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
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
