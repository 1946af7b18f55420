#include "CodePage.h"
#include "UserDefinedAreas.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zeph::text::detail {
namespace {

constexpr const char* kHostCodePage = "CP936";

// One character at a time through iconv: the result is the character's bytes, or "?" when
// iconv refuses it.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string Convert(std::string_view character) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(character.data());
        std::size_t inLeft = character.size();
        char buffer[16];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            return "?";
        }
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        return std::string(buffer, static_cast<std::size_t>(outPtr - buffer));
    }

private:
    iconv_t cd_;
};

} // namespace

CodePageMapping ReadCodePage() {
    CodePageMapping mapping;
    mapping.decode.assign(126 * 192, 0);
    mapping.encode.assign(0x10000, 0);
    Converter toUtf8("UTF-8", kHostCodePage);
    auto decodeOne = [&](std::string_view bytes) -> std::uint16_t {
        std::string utf8 = toUtf8.Convert(bytes);
        std::uint32_t cp = 0;
        auto c = static_cast<unsigned char>(utf8.empty() ? 0 : utf8[0]);
        if (utf8.size() == 2 && (c >> 5) == 0x6) {
            cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[1]) & 0x3Fu);
        } else if (utf8.size() == 3 && (c >> 4) == 0xE) {
            cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(utf8[2]) & 0x3Fu);
        }
        return static_cast<std::uint16_t>(cp);
    };
    mapping.byte80 = decodeOne("\x80");
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            mapping.decode[(lead - 0x81) * 192 + (trail - 0x40)] = decodeOne({pair, 2});
        }
    }
    Converter fromUtf8(kHostCodePage, "UTF-8");
    for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        char utf8[3];
        std::size_t n = 0;
        if (cp < 0x800) {
            utf8[n++] = static_cast<char>(0xC0 | (cp >> 6));
        } else {
            utf8[n++] = static_cast<char>(0xE0 | (cp >> 12));
            utf8[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        utf8[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        std::string bytes = fromUtf8.Convert({utf8, n});
        if (bytes.size() == 2) {
            mapping.encode[cp] = static_cast<std::uint16_t>(
                (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]));
        } else if (bytes.size() == 1 && bytes[0] != '?') {
            mapping.encode[cp] = static_cast<unsigned char>(bytes[0]);
        }
    }
    AddUserDefinedAreas(mapping);
    return mapping;
}

} // namespace zeph::text::detail
