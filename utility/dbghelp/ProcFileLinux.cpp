#include "ProcFileLinux.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dbghelp {

size_t ReadProcFile(const char* path, char* buffer, size_t capacity) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    size_t done = 0;
    while (done < capacity) {
        const ssize_t got = read(fd, buffer + done, capacity - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    close(fd);
    return done;
}

bool TaskFilePath(long tid, const char* leaf, char* out, size_t capacity) {
    char digits[24];
    int n = 0;
    unsigned long value = tid < 0 ? 0 : static_cast<unsigned long>(tid);
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const char prefix[] = "/proc/self/task/";
    const size_t leafLength = std::strlen(leaf);
    const size_t total = sizeof prefix - 1 + static_cast<size_t>(n) + 1 + leafLength;
    if (total + 1 > capacity) {
        return false;
    }
    char* at = out;
    std::memcpy(at, prefix, sizeof prefix - 1);
    at += sizeof prefix - 1;
    while (n > 0) {
        *at++ = digits[--n];
    }
    *at++ = '/';
    std::memcpy(at, leaf, leafLength + 1);
    return true;
}

} // namespace dbghelp
