#pragma once

#include <cctype>
#include <cstring>
#include <string>

namespace tollund::detail {

// Key and entry names compare as the registry compares them: ASCII letters without regard to
// case, every other byte exactly.
inline bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
    const size_t length = std::strlen(b);
    if (a.size() != length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 128 && y < 128 && std::tolower(x) == std::tolower(y))) {
            return false;
        }
    }
    return true;
}

} // namespace tollund::detail
