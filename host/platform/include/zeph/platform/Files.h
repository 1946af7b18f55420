// File services the plug-in asks of the system: whether a file is there, the temporary
// directory, a file's size, the read-only attribute and deleting, a copy that never overwrites.
// Paths are host text (see Paths.h).
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zeph::platform {

// The longest temporary directory accepted, in bytes, separator included.
inline constexpr std::size_t kMaxTempDirectoryLength = 500;

// True when path names a regular file (a folder is no file).
ZEPH_HOST_API bool FileExists(const std::string& path);

// The host platform's read-only attribute: a file its owner may not write. A read-only file
// cannot be deleted, by the superuser either, until the attribute is cleared. A symbolic link
// has no attribute of its own and never passes a change on to the file it points to.
ZEPH_HOST_API bool IsReadOnly(const std::string& path);

// Clears the file's read-only attribute (its owner may write it again), as setting the
// attribute word to normal (64) does; nothing happens when there is no such file or path names
// a symbolic link.
ZEPH_HOST_API void ClearReadOnly(const std::string& path);

// Deletes the file (a symbolic link itself); false when it is read-only or cannot be removed.
ZEPH_HOST_API bool DeleteFile(const std::string& path);

// The temporary directory ($TMPDIR, else /tmp) with a separator at its end; nullopt when it is
// too long or names no directory.
ZEPH_HOST_API std::optional<std::string> TempDirectory();

// The name under which a library that opens files with the C runtime's narrow calls (fopen)
// finds this existing file or folder. nativePath is in the file system's encoding (UTF-8); the
// result is in the C runtime's. POSIX: the path itself. Windows, where the narrow calls speak
// the ANSI code page: the path when it is ASCII, else its short (8.3) form when that is, else
// the path unchanged, which such a library then fails to open and reports.
ZEPH_HOST_API std::string CRuntimePath(const std::string& nativePath);

// Size in bytes of the file, opened for reading only; -1 when it is absent, is not a regular
// file or cannot be opened. Never creates anything.
ZEPH_HOST_API std::int64_t FileSize(const std::string& path);

enum class CopyResult { Copied, TargetExists, Failed };

// Copies from to a new file to. An existing target is left untouched (TargetExists); a copy that
// fails half-way leaves no partial target behind.
ZEPH_HOST_API CopyResult CopyFileNoOverwrite(const std::string& from, const std::string& to);

} // namespace zeph::platform
