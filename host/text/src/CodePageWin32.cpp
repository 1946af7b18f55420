#include "CodePage.h"

#include <windows.h>

#include <stdexcept>

namespace zeph::text::detail {
namespace {

constexpr UINT kHostCodePage = 936;

// The code point of one character of the code page, 0 when the system maps it to nothing or to
// more than one UTF-16 unit.
std::uint16_t DecodeOne(const char* bytes, int length) {
    wchar_t wide[2] = {};
    const int units =
        MultiByteToWideChar(kHostCodePage, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
    return units == 1 ? static_cast<std::uint16_t>(wide[0]) : 0;
}

} // namespace

CodePageMapping ReadCodePage() {
    CPINFO info{};
    if (!GetCPInfo(kHostCodePage, &info)) {
        throw std::runtime_error("the system has no converter for code page 936");
    }
    CodePageMapping mapping;
    mapping.decode.assign(126 * 192, 0);
    mapping.encode.assign(0x10000, 0);
    mapping.byte80 = DecodeOne("\x80", 1);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            mapping.decode[(lead - 0x81) * 192 + (trail - 0x40)] = DecodeOne(pair, 2);
        }
    }
    // WC_NO_BEST_FIT_CHARS: a character the code page does not hold becomes the default
    // character instead of a look-alike, so only exact mappings are kept.
    for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        const wchar_t wide = static_cast<wchar_t>(cp);
        char bytes[4] = {};
        BOOL defaulted = FALSE;
        const int n = WideCharToMultiByte(kHostCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                          sizeof bytes, nullptr, &defaulted);
        if (defaulted || n <= 0) {
            continue;
        }
        if (n == 2) {
            mapping.encode[cp] = static_cast<std::uint16_t>(
                (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]));
        } else if (n == 1 && bytes[0] != '?') {
            mapping.encode[cp] = static_cast<unsigned char>(bytes[0]);
        }
    }
    return mapping;
}

} // namespace zeph::text::detail
