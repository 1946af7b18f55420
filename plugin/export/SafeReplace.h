// Saving a file so that the old one is replaced only by a complete new one: the new contents go
// to a temporary file beside the target (created with the usual mode, 0666 less the umask),
// which is renamed over the target once written. On every failure the old file stays as it was
// and no temporary file is left. A symbolic link at the target is itself replaced by the new
// file; the file it points to is never changed.
#pragma once

#include <functional>
#include <string>

namespace morvane::exporting {

enum class ReplaceStep { Done, Create, Write, Rename };

struct TReplaceResult {
    ReplaceStep failedAt = ReplaceStep::Done;
    int error = 0; // errno of the failing step

    bool Ok() const noexcept { return failedAt == ReplaceStep::Done; }
    // The folder or the old file refused the change (permissions, a read-only medium, a busy or
    // immutable file), as opposed to a write that failed.
    bool Refused() const noexcept;
    std::string Why() const;
};

// Writes the new file (given the temporary file's host-text path; false when it failed), then
// beforeRename, then the rename over path (host text). An error raised by either passes on
// after the temporary file is removed.
using TFileWriter = std::function<bool(const std::string& temporaryPath)>;
TReplaceResult ReplaceFile(const std::string& path, const TFileWriter& write,
                           const std::function<void()>& beforeRename = {});

// The same with the whole contents at hand; empty on success, else why it failed.
std::string ReplaceFileContents(const std::string& path, const std::string& bytes,
                                const std::function<void()>& beforeRename = {});

} // namespace morvane::exporting
