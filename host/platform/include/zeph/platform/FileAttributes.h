// A file's attributes as the host platform knows them, and deleting a file. A read-only file is
// one whose owner may not write it; such a file cannot be deleted, by the superuser either, until
// its attribute is cleared. Paths are host text (see Paths.h).
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <string>

namespace zeph::platform {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;

// True for an existing file (not a symbolic link, which has no attribute of its own) that is
// read-only.
ZEPH_HOST_API bool IsReadOnlyFile(const std::string& path);

// Sets the attribute word: with kFileAttributeReadOnly the file becomes read-only (nobody may
// write it), without it the owner may write it again. Other bits have no counterpart here. A
// symbolic link is left alone, and so is the file it points to. False when nothing could be set.
ZEPH_HOST_API bool SetFileAttributes(const std::string& path, std::uint32_t attributes);

// Deletes the file (a symbolic link itself, never what it points to); false when it is
// read-only or cannot be removed.
ZEPH_HOST_API bool DeleteFile(const std::string& path);

} // namespace zeph::platform
