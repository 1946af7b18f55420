#include "MinidumpStringLinux.h"

#include <cstdint>

namespace dbghelp {

namespace {

constexpr uint32_t Replacement = 0xfffd;

// Decodes one code point at text[at]; advances at.
uint32_t NextCodePoint(const unsigned char* text, size_t length, size_t& at) {
    const unsigned char lead = text[at++];
    if (lead < 0x80) {
        return lead;
    }
    int more = 0;
    uint32_t value = 0;
    uint32_t minimum = 0;
    if ((lead & 0xe0) == 0xc0) {
        more = 1;
        value = lead & 0x1f;
        minimum = 0x80;
    } else if ((lead & 0xf0) == 0xe0) {
        more = 2;
        value = lead & 0x0f;
        minimum = 0x800;
    } else if ((lead & 0xf8) == 0xf0) {
        more = 3;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return Replacement;
    }
    size_t next = at;
    for (int i = 0; i < more; ++i, ++next) {
        if (next >= length || (text[next] & 0xc0) != 0x80) {
            return Replacement;
        }
        value = value << 6 | (text[next] & 0x3f);
    }
    at = next;
    if (value < minimum || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) {
        return Replacement;
    }
    return value;
}

template <typename Unit>
void ForEachUnit(const char* text, size_t length, Unit unit) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t at = 0; at < length;) {
        const uint32_t cp = NextCodePoint(bytes, length, at);
        if (cp >= 0x10000) {
            unit(static_cast<uint16_t>(0xd800 + ((cp - 0x10000) >> 10)));
            unit(static_cast<uint16_t>(0xdc00 + ((cp - 0x10000) & 0x3ff)));
        } else {
            unit(static_cast<uint16_t>(cp));
        }
    }
}

} // namespace

void WriteMinidumpString(DumpOutput& out, const char* text, size_t length) {
    uint32_t units = 0;
    ForEachUnit(text, length, [&units](uint16_t) { ++units; });
    const uint32_t bytes = units * 2;
    out.Write(&bytes, sizeof bytes);
    ForEachUnit(text, length, [&out](uint16_t unit) { out.Write(&unit, sizeof unit); });
    const uint16_t terminator = 0;
    out.Write(&terminator, sizeof terminator);
}

} // namespace dbghelp
