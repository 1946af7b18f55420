#include <zeph/ftp/ReplacingFile.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zeph::ftp {
namespace {

constexpr std::size_t kWriteBufferSize = 256 * 1024;

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TReplacingFile::TReplacingFile(std::string nativeTarget) : target_(std::move(nativeTarget)) {
    std::string name = NameOf(target_);
    if (name.empty() || name == "." || name == "..") {
        error_ = "not a file name: " + target_;
        return;
    }
    // Hidden, and beside the target so that the rename stays on one file system.
    temporary_ = FolderOf(target_) + "/." + name + ".part-XXXXXX";
    int fd = ::mkstemp(temporary_.data());
    if (fd < 0) {
        error_ = "cannot write in " + FolderOf(target_) + ": " + std::strerror(errno);
        temporary_.clear();
        return;
    }
    // mkstemp creates the file for its owner alone; the finished file gets the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        error_ = "cannot write " + temporary_ + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return;
    }
    // Transfers hand over small pieces; the disk gets them in large writes.
    std::setvbuf(file_, nullptr, _IOFBF, kWriteBufferSize);
}

TReplacingFile::~TReplacingFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

bool TReplacingFile::Commit() {
    if (file_ == nullptr) {
        if (error_.empty()) {
            error_ = "nothing to commit";
        }
        return false;
    }
    bool written = std::ferror(file_) == 0;
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    if (!written) {
        error_ = "cannot write " + target_ + ": " + std::strerror(errno);
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error_ = "cannot write " + target_ + ": " + std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace zeph::ftp
