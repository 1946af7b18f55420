// Paths of this platform. The plug-in and the host hold paths as host text (GBK) with "/" as
// the separator; the file system speaks UTF-8, so every call into it converts here.
#pragma once

#include <zeph/text/HostText.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace zeph::platform {

inline constexpr char kPathDelimiter = '/';

// Host-text path to the file system's encoding, and back. A character the other side cannot
// hold becomes "?", so such a path names no file rather than a different one.
ZEPH_HOST_API std::string NativePath(std::string_view hostPath);
ZEPH_HOST_API std::string HostPath(std::string_view nativePath);

// A path in the file system's encoding as std::filesystem's path, and back. Its narrow
// constructor and string() speak the ANSI code page on Windows; these keep UTF-8 everywhere.
inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The name after the last separator, and everything up to and including it ("" when none).
// '/' is never a GBK trail byte, so a bytewise search is safe here.
ZEPH_HOST_API std::string ExtractFileName(std::string_view path);
ZEPH_HOST_API std::string ExtractFilePath(std::string_view path);

// The path with one separator at its end.
ZEPH_HOST_API std::string IncludeTrailingPathDelimiter(std::string_view path);

// The directory of the host program (the running executable), with a separator at its end,
// unless the host has named another one.
ZEPH_HOST_API std::string ProgramDirectory();
// Names the program directory (host text); empty goes back to the executable's.
ZEPH_HOST_API void SetProgramDirectory(std::string_view hostPath);

} // namespace zeph::platform
