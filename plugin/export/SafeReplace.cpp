#include "export/SafeReplace.h"

#include <zeph/platform/Paths.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvane::exporting {

std::string ReplaceFileContents(const std::string& path, const std::string& bytes,
                                const std::function<void()>& beforeRename) {
    const std::string native = zeph::platform::NativePath(path);
    std::string temp = native + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return std::strerror(errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            std::string why = std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd);
            ::unlink(temp.c_str());
            return why;
        }
        done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        return why;
    }
    if (beforeRename) {
        try {
            beforeRename();
        } catch (...) {
            ::unlink(temp.c_str());
            throw;
        }
    }
    if (::rename(temp.c_str(), native.c_str()) != 0) {
        std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        return why;
    }
    return {};
}

} // namespace morvane::exporting
