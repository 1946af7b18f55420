#include "LocalFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tollund::detail {

int OpenUnshared(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL); // a hint only: its failure changes nothing
    return fd;
}

int OpenRegular(const std::string& path, uint64_t& size) {
    // Opening without blocking keeps a FIFO from holding the caller before the check.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat fileStat {};
    if (fd < 0 || fstat(fd, &fileStat) != 0 || !S_ISREG(fileStat.st_mode)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size = static_cast<uint64_t>(fileStat.st_size);
    return fd;
}

long long ReadSome(int file, void* buffer, size_t length) {
    ssize_t got;
    do {
        got = read(file, buffer, length);
    } while (got < 0 && errno == EINTR);
    return got;
}

void CloseLocalFile(int file) {
    close(file);
}

} // namespace tollund::detail
