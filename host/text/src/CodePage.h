// The host code page (936) as the host platform maps it, read once into tables.
#pragma once

#include <cstdint>
#include <vector>

namespace zeph::text::detail {

struct CodePageMapping {
    // Code point of each double-byte character, indexed (lead - 0x81) * 192 + (trail - 0x40);
    // 0 where the system maps the pair to nothing.
    std::vector<std::uint16_t> decode;
    // The code page's bytes for each BMP code point (high byte first for a pair); 0 where the
    // system cannot write it.
    std::vector<std::uint16_t> encode;
    std::uint16_t byte80 = 0; // what the single byte 0x80 decodes to, 0 for nothing
};

// Asks the system's converter for every double-byte pair and every BMP code point; throws
// std::runtime_error when the system has no converter for the code page.
CodePageMapping ReadCodePage();

} // namespace zeph::text::detail
