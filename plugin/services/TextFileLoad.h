// Reading a text file for the multi-line text control: its bytes as host text, ending at the
// first zero byte (a text control holds none), refused when unreadable or too large.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// Larger files are refused rather than held in memory several times over on the host's
// user-interface thread.
inline constexpr std::int64_t kMaxTextFileBytes = 64LL * 1024 * 1024;

// The bytes of the file at the host-text path; nullopt when it cannot be read, is not a
// regular file or is larger than kMaxTextFileBytes.
std::optional<std::string> LoadTextFile(const std::string& path);

// The text as the control holds it once loaded line by line: lines split at CR LF, LF or CR and
// joined by CR LF (so a final line break goes). One pass, no list of lines: a file of a million
// empty lines costs no more than its bytes.
std::string JoinedLines(std::string_view text);

// The first limit bytes of the text, moved back so no double-byte character is cut in half.
std::string LeadingBytes(std::string_view text, std::size_t limit);

} // namespace morvane
