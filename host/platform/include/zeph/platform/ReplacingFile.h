// Replacing a file the agent already has: the new contents go to a temporary file beside the
// target, renamed over it only when complete, so a failed or cut write never leaves a partial
// file under the target's name, nor costs the file that was there before. The new file gets
// the usual mode (0666 less the umask). A symbolic link at the target is itself replaced; the
// file it points to is never changed.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace zeph::platform {

class ZEPH_HOST_API TReplacingFile {
public:
    // path is host text. Creates the temporary file at once; Usable() is false (and Error()
    // says why) when that is not possible.
    explicit TReplacingFile(const std::string& path);
    // Removes the temporary file unless Commit succeeded.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    bool Usable() const noexcept;
    // The temporary file opened for writing (buffered for large transfers); nullptr when not
    // usable.
    std::FILE* Stream();
    // The temporary file's path in the file system's encoding, for a library that writes a file
    // by name; empty when not usable.
    const std::string& TemporaryPath() const noexcept { return temporary_; }
    // Makes the temporary file durable and renames it over the target; false (and Error())
    // when a write, the close or the rename failed, in which case the target is as it was.
    bool Commit();
    // Why the file could not be written (UTF-8).
    const std::string& Error() const noexcept { return error_; }
    // The folder or the file at the target refused the change (no permission, an immutable or
    // busy file, a read-only medium), as opposed to a write that failed.
    bool Refused() const noexcept { return refused_; }

private:
    std::string target_;    // file system's encoding
    std::string temporary_; // file system's encoding
    int descriptor_ = -1;
    std::FILE* stream_ = nullptr;
    bool committed_ = false;
    bool refused_ = false;
    std::string error_;
};

// Replaces the file at path (host text) with bytes. Empty on success, else why it failed (the
// old file is then untouched and no temporary file is left). beforeRename runs between the
// write and the rename; an error it raises passes on after the temporary file is removed.
ZEPH_HOST_API std::string ReplaceFile(const std::string& path, std::string_view bytes,
                                      const std::function<void()>& beforeRename = {});

} // namespace zeph::platform
