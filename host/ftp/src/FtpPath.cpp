#include <zeph/ftp/FtpPath.h>

namespace zeph::ftp {

std::string EncodeFtpPath(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool IsCommandSafe(std::string_view argument) noexcept {
    return argument.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

} // namespace zeph::ftp
