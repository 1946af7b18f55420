// Replacing a file's contents so that a crash or a full disk never leaves it truncated: the new
// contents go to a temporary file beside it, which is renamed over it once complete.
#pragma once

#include <functional>
#include <string>

namespace morvane::exporting {

// Empty on success, else why it failed (the old file is then untouched and no temporary file
// is left). beforeRename runs between the write and the rename; an error it raises passes on
// after the temporary file is removed.
std::string ReplaceFileContents(const std::string& path, const std::string& bytes,
                                const std::function<void()>& beforeRename = {});

} // namespace morvane::exporting
