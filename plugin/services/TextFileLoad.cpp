#include "services/TextFileLoad.h"

#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/text/HostText.h>

#include <cstring>
#include <fstream>

namespace morvane {

std::string JoinedLines(std::string_view text) {
    // CR and LF are never GBK trail bytes, so a bytewise pass cannot break a character.
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out.push_back(c);
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        if (i + 1 < text.size()) {
            out += "\r\n"; // a break before another line; the last one ends no line
        }
    }
    return out;
}

std::string LeadingBytes(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, zeph::text::BoundaryAtOrBefore(text, limit)));
}

std::optional<std::string> LoadTextFile(const std::string& path) {
    std::int64_t size = zeph::platform::FileSize(path);
    if (size < 0 || size > kMaxTextFileBytes) {
        return std::nullopt;
    }
    std::ifstream in(zeph::platform::NativePath(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // A file that shrank meanwhile gives what was there; one that cannot be read fails.
    if (in.bad()) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (const void* zero = std::memchr(bytes.data(), 0, bytes.size())) {
        bytes.resize(static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data()));
    }
    return bytes;
}

} // namespace morvane
