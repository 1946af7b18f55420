// What Windows' code page 936 converts and glibc's CP936 refuses: the pairs of the user-defined
// areas with their private-use code points, and code points written as one byte; read from
// tests/data/codepage936/user_defined_areas.txt (made under Wine).
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zeph::text::testing {

struct UserDefinedAreas {
    std::map<std::uint16_t, std::uint16_t> pairs; // pair (lead << 8 | trail) to code point
    std::map<std::uint16_t, unsigned char> bytes; // code point written as one byte
};

inline UserDefinedAreas ReadUserDefinedAreas() {
    std::ifstream in(std::string(ZEPH_SOURCE_DIR) +
                     "/tests/data/codepage936/user_defined_areas.txt");
    if (!in) {
        throw std::runtime_error("cannot read user_defined_areas.txt");
    }
    UserDefinedAreas areas;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.find('-') == std::string::npos) {
            unsigned cp = 0, byte = 0x100;
            std::istringstream fields(line);
            fields >> std::hex >> cp >> byte;
            if (!fields || cp > 0xFFFF || byte > 0xFF) {
                throw std::runtime_error("bad line in user_defined_areas.txt: " + line);
            }
            areas.bytes[static_cast<std::uint16_t>(cp)] = static_cast<unsigned char>(byte);
            continue;
        }
        unsigned firstPair = 0, lastPair = 0, firstCode = 0, lastCode = 0;
        char dash1 = 0, dash2 = 0;
        std::istringstream fields(line);
        fields >> std::hex >> firstPair >> dash1 >> lastPair >> firstCode >> dash2 >> lastCode;
        if (!fields || dash1 != '-' || dash2 != '-' || (firstPair >> 8) != (lastPair >> 8) ||
            firstPair > lastPair) {
            throw std::runtime_error("bad line in user_defined_areas.txt: " + line);
        }
        unsigned code = firstCode;
        for (unsigned pair = firstPair; pair <= lastPair; ++pair) {
            if ((pair & 0xFF) != 0x7F) {
                areas.pairs[static_cast<std::uint16_t>(pair)] = static_cast<std::uint16_t>(code++);
            }
        }
        if (code != lastCode + 1) {
            throw std::runtime_error("pairs and code points differ in number: " + line);
        }
    }
    return areas;
}

// The BMP code point as UTF-8.
inline std::string Utf8Of(std::uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return out;
}

inline std::string PairBytes(std::uint16_t pair) {
    return {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
}

} // namespace zeph::text::testing
