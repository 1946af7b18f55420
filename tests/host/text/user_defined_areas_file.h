// The pairs of code page 936's user-defined areas and their private-use code points as Windows
// converts them, read from tests/data/codepage936/user_defined_areas.txt (made under Wine).
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zeph::text::testing {

// Pair (lead << 8 | trail) to code point.
inline std::map<std::uint16_t, std::uint16_t> ReadUserDefinedAreas() {
    std::ifstream in(std::string(ZEPH_SOURCE_DIR) +
                     "/tests/data/codepage936/user_defined_areas.txt");
    if (!in) {
        throw std::runtime_error("cannot read user_defined_areas.txt");
    }
    std::map<std::uint16_t, std::uint16_t> pairs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
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
                pairs[static_cast<std::uint16_t>(pair)] = static_cast<std::uint16_t>(code++);
            }
        }
        if (code != lastCode + 1) {
            throw std::runtime_error("pairs and code points differ in number: " + line);
        }
    }
    return pairs;
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
