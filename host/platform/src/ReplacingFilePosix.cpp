#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zeph::platform {
namespace {

// Transfers hand over small pieces; the disk gets them in large writes.
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

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// errno of a creation or rename that the folder or the target refused.
bool RefusedChange(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == EBUSY ||
           error == ETXTBSY;
}

} // namespace

TReplacingFile::TReplacingFile(const std::string& path) : target_(NativePath(path)) {
    std::string name = NameOf(target_);
    if (name.empty() || name == "." || name == "..") {
        error_ = "not a file name: " + target_;
        return;
    }
    // Hidden, and beside the target so that the rename stays on one file system.
    std::string temporary = FolderOf(target_) + "/." + name + ".part-XXXXXX";
    descriptor_ = ::mkstemp(temporary.data());
    if (descriptor_ < 0) {
        refused_ = RefusedChange(errno);
        error_ = Failure("cannot write in " + FolderOf(target_));
        return;
    }
    temporary_ = std::move(temporary);
    // mkstemp creates the file for its owner alone; the finished file gets the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor_, 0666 & ~mask);
}

TReplacingFile::~TReplacingFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    } else if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!committed_ && !temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

bool TReplacingFile::Usable() const noexcept {
    return descriptor_ >= 0;
}

std::FILE* TReplacingFile::Stream() {
    if (stream_ == nullptr && descriptor_ >= 0) {
        stream_ = ::fdopen(descriptor_, "wb");
        if (stream_ == nullptr) {
            // Nothing can be written, so nothing may be committed either.
            error_ = Failure("cannot write " + temporary_);
            ::close(descriptor_);
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
    int failure = 0;
    if (stream_ != nullptr && (std::fflush(stream_) != 0 || std::ferror(stream_) != 0)) {
        failure = errno != 0 ? errno : EIO;
    }
    // A crash after the rename must not leave an empty file where the old one was.
    if (failure == 0 && ::fsync(descriptor_) != 0) {
        failure = errno;
    }
    const int closed = stream_ != nullptr ? std::fclose(stream_) : ::close(descriptor_);
    if (failure == 0 && closed != 0) {
        failure = errno;
    }
    stream_ = nullptr;
    descriptor_ = -1;
    if (failure != 0) {
        errno = failure;
        error_ = Failure("cannot write " + target_);
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        refused_ = RefusedChange(errno);
        error_ = Failure("cannot write " + target_);
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace zeph::platform
