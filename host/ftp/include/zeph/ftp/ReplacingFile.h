// A download's target written under a temporary name in the target's folder and renamed over
// the target only when complete: a failed or cut transfer never leaves a partial file under the
// target's name, nor loses a file that was there before.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdio>
#include <string>

namespace zeph::ftp {

class ZEPH_HOST_API TReplacingFile {
public:
    // nativeTarget is a path in the file system's encoding. Opens the temporary file at once;
    // Stream() is nullptr (and Error() says why) when that is not possible.
    explicit TReplacingFile(std::string nativeTarget);
    // Removes the temporary file unless Commit succeeded.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    std::FILE* Stream() const noexcept { return file_; }
    // Closes the temporary file and renames it over the target; false (and Error()) when a
    // write, the close or the rename failed, in which case the target is as it was.
    bool Commit();
    const std::string& Error() const noexcept { return error_; }

private:
    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
    std::string error_; // UTF-8
};

} // namespace zeph::ftp
