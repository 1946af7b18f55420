// Paths in FTP URLs.
#pragma once

#include <zeph/text/HostText.h>

#include <string>
#include <string_view>

namespace zeph::ftp {

// Percent-encodes a path for an FTP URL, keeping "/".
ZEPH_HOST_API std::string EncodeFtpPath(std::string_view path);

// True when the text can travel as the argument of one FTP command: no line break or zero byte
// that would end the command early and start another.
ZEPH_HOST_API bool IsCommandSafe(std::string_view argument) noexcept;

} // namespace zeph::ftp
