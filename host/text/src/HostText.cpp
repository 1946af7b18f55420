#include "CodePage.h"

#include <zeph/text/HostText.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace zeph::text {
namespace {

bool IsTrailByte(unsigned char c) noexcept {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    std::size_t want = c < 0x80           ? 1
                       : (c >> 5) == 0x6  ? 2
                       : (c >> 4) == 0xE  ? 3
                       : (c >> 3) == 0x1E ? 4
                                          : 1;
    std::size_t n = 1;
    while (n < want && pos + n < text.size() &&
           (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (IsLeadByte(c) && pos + 1 < text.size() &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

bool IsBlankOrControl(unsigned char c) noexcept {
    return c <= 0x20;
}

unsigned char AsciiUpper(unsigned char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// CharLength within the text, for the loops of this file: the exported function cannot be
// inlined into them.
inline std::size_t LengthAt(std::string_view text, std::size_t pos) noexcept {
    auto c = static_cast<unsigned char>(text[pos]);
    return c >= 0x81 && c <= 0xFE && pos + 1 < text.size() ? 2 : 1;
}

} // namespace

bool IsLeadByte(unsigned char c) noexcept {
    return c >= 0x81 && c <= 0xFE;
}

std::size_t CharLength(std::string_view text, std::size_t pos) noexcept {
    return pos < text.size() ? LengthAt(text, pos) : 0;
}

std::size_t PairedCharLength(std::string_view text, std::size_t pos) noexcept {
    return GbkCharLength(text, pos);
}

std::size_t BoundaryAtOrBefore(std::string_view text, std::size_t maxBytes) noexcept {
    if (maxBytes >= text.size()) {
        return text.size();
    }
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t next = pos + CharLength(text, pos);
        if (next > maxBytes) {
            break;
        }
        pos = next;
    }
    return pos;
}

namespace {

// The code page's mapping, read from the system once and then looked up: converting one value
// at a time through the system costs more than the parse that produced it.
struct CodePageTables {
    // Code point of each double-byte character, indexed (lead - 0x81) * 192 + (trail - 0x40);
    // 0 where the pair maps to nothing.
    std::vector<std::uint16_t> decode;
    // The code page's bytes for each BMP code point (high byte first for a pair); 0 where the
    // code page cannot hold it.
    std::vector<std::uint16_t> encode;
    std::uint16_t byte80 = 0; // what the single byte 0x80 decodes to, 0 for nothing
    // Pairs, indexed as decode, that the encoder writes back as themselves from their code
    // point; and the same for the single byte 0x80.
    std::vector<bool> roundTrips;
    bool byte80RoundTrips = false;

    // The code point of the non-ASCII character at pos, 0 when it maps to nothing; length is
    // set to its bytes (a lead byte without a trail byte after it is one invalid byte).
    std::uint16_t CodePoint(std::string_view text, std::size_t pos, std::size_t& length) const {
        length = GbkCharLength(text, pos);
        auto c = static_cast<unsigned char>(text[pos]);
        if (length == 2) {
            return decode[(c - 0x81) * 192 + (static_cast<unsigned char>(text[pos + 1]) - 0x40)];
        }
        return c == 0x80 ? byte80 : 0;
    }

    CodePageTables() {
        detail::CodePageMapping mapping = detail::ReadCodePage();
        decode = std::move(mapping.decode);
        encode = std::move(mapping.encode);
        byte80 = mapping.byte80;
        auto isCharacter = [](std::uint16_t cp) { return cp != 0 && cp < 0xFFFE; };
        roundTrips.assign(decode.size(), false);
        for (std::size_t i = 0; i < decode.size(); ++i) {
            std::uint16_t pair =
                static_cast<std::uint16_t>(((i / 192 + 0x81) << 8) | (i % 192 + 0x40));
            roundTrips[i] = isCharacter(decode[i]) && encode[decode[i]] == pair;
        }
        byte80RoundTrips = isCharacter(byte80) && encode[byte80] == 0x80;
    }
};

const CodePageTables& Tables() {
    static const CodePageTables tables;
    return tables;
}

// Writes the BMP code point as UTF-8 into out (room for 3 bytes); returns the byte count.
std::size_t EncodeUtf8(std::uint32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
}

// The code point of a well-formed UTF-8 sequence of length n at p, or -1.
long DecodeUtf8(const unsigned char* p, std::size_t n) {
    switch (n) {
    case 1:
        return p[0] < 0x80 ? p[0] : -1;
    case 2: {
        long cp = ((p[0] & 0x1FL) << 6) | (p[1] & 0x3F);
        return (p[0] >> 5) == 0x6 && cp >= 0x80 ? cp : -1;
    }
    case 3: {
        long cp = ((p[0] & 0x0FL) << 12) | ((p[1] & 0x3FL) << 6) | (p[2] & 0x3F);
        return (p[0] >> 4) == 0xE && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? cp : -1;
    }
    default:
        return -1;
    }
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    const CodePageTables& tables = Tables();
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (std::size_t i = 0; i < gbk.size();) {
        auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint16_t cp = tables.CodePoint(gbk, i, length);
        if (cp == 0) {
            out.push_back('?');
        } else {
            char bytes[3];
            out.append(bytes, EncodeUtf8(cp, bytes));
        }
        i += length;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    const CodePageTables& tables = Tables();
    std::string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (std::size_t i = 0; i < utf8.size();) {
        if (bytes[i] < 0x80) {
            out.push_back(static_cast<char>(bytes[i]));
            ++i;
            continue;
        }
        std::size_t n = Utf8CharLength(utf8, i);
        long cp = DecodeUtf8(bytes + i, n);
        std::uint16_t code =
            cp > 0 && cp < 0x10000 ? tables.encode[static_cast<std::size_t>(cp)] : 0;
        if (code == 0) {
            out.push_back('?');
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
        i += n;
    }
    return out;
}

GbkDecodeStep DecodeGbkPiece(std::string_view gbk, char* out, std::size_t capacity) {
    const CodePageTables& tables = Tables();
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t size = gbk.size();
    std::size_t i = 0;
    std::size_t o = 0;
    GbkDecodeStep step;
    while (i < size) {
        // Packets are mostly ASCII: copy runs of it eight bytes at a time.
        while (i + 8 <= size && o + 8 <= capacity) {
            std::uint64_t word = 0;
            std::memcpy(&word, in + i, 8);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            std::memcpy(out + o, &word, 8);
            i += 8;
            o += 8;
        }
        if (i == size) {
            break;
        }
        unsigned char c = in[i];
        if (c < 0x80) {
            if (o == capacity) {
                break;
            }
            out[o++] = static_cast<char>(c);
            ++i;
            continue;
        }
        if (IsLeadByte(c) && i + 1 == size) {
            break; // the rest of the character comes with the next piece
        }
        std::size_t length = 0;
        std::uint16_t cp = tables.CodePoint(gbk, i, length);
        if (cp == 0) {
            step.invalid = true;
            break;
        }
        char bytes[3];
        std::size_t n = EncodeUtf8(cp, bytes);
        if (o + n > capacity) {
            break;
        }
        std::memcpy(out + o, bytes, n);
        o += n;
        i += length;
    }
    step.consumed = i;
    step.written = o;
    return step;
}

namespace {

// Walks the text a character at a time: ASCII passes, the byte 0x80 passes when byte80 does, and
// a byte pair when pair(lead, trail) accepts it. Any other byte (0xFF, a lead byte at the end)
// starts no character.
template <typename Pair>
bool EveryCharacter(std::string_view text, bool byte80, Pair pair) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
        } else if (c == 0x80) {
            if (!byte80) {
                return false;
            }
            ++i;
        } else if (c != 0xFF && i + 1 < text.size() &&
                   pair(c, static_cast<unsigned char>(text[i + 1]))) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsValidGbk(std::string_view text) noexcept {
    // 0x80 is the euro sign of code page 936.
    return EveryCharacter(text, true,
                          [](unsigned char, unsigned char trail) { return IsTrailByte(trail); });
}

bool IsRoundTripGbk(std::string_view text) noexcept {
    const CodePageTables& tables = Tables();
    return EveryCharacter(text, tables.byte80RoundTrips,
                          [&tables](unsigned char lead, unsigned char trail) {
                              return trail >= 0x40 && trail != 0xFF &&
                                     tables.roundTrips[(lead - 0x81) * 192 + (trail - 0x40)];
                          });
}

const std::string& HostLiteral(std::string_view utf8) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<std::string>> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(std::string(utf8));
    if (it == cache.end()) {
        it = cache.emplace(std::string(utf8), std::make_unique<std::string>(Utf8ToGbk(utf8))).first;
    }
    return *it->second;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t n = CharLength(out, i);
        if (n == 1) {
            out[i] = static_cast<char>(AsciiUpper(static_cast<unsigned char>(out[i])));
        }
        i += n;
    }
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t n = CharLength(out, i);
        if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') {
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        }
        i += n;
    }
    return out;
}

int CompareText(std::string_view a, std::string_view b) noexcept {
    std::size_t i = 0;
    while (i < a.size() && i < b.size()) {
        // Both texts are at the same boundary while their bytes so far are equal.
        std::size_t n = LengthAt(a, i);
        for (std::size_t k = 0; k < n && i + k < a.size() && i + k < b.size(); ++k) {
            auto ca = static_cast<unsigned char>(a[i + k]);
            auto cb = static_cast<unsigned char>(b[i + k]);
            if (n == 1) {
                ca = AsciiUpper(ca);
                cb = AsciiUpper(cb);
            }
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        }
        i += n;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    // Texts compared for sameness are mostly the very same bytes.
    return a.size() == b.size() && (a == b || CompareText(a, b) == 0);
}

// FNV-1a over the upper-cased bytes, taken a character at a time as UpperCase takes them.
std::size_t HashIgnoringCase(std::string_view text) noexcept {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = LengthAt(text, i);
        for (std::size_t k = 0; k < n; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            h = (h ^ (n == 1 ? AsciiUpper(c) : c)) * 0x100000001b3ULL;
        }
        i += n;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}

namespace {

// The first character boundary at or after from where the needle's bytes match.
template <typename Match>
std::size_t FindAtBoundary(std::string_view text, std::string_view needle, std::size_t from,
                           Match match) noexcept {
    if (needle.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    std::size_t pos = 0;
    while (pos < from && pos < text.size()) {
        pos += CharLength(text, pos);
    }
    for (; pos + needle.size() <= text.size(); pos += CharLength(text, pos)) {
        if (match(text.substr(pos, needle.size()), needle)) {
            return pos;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) noexcept {
    return FindAtBoundary(text, needle, from,
                          [](std::string_view a, std::string_view b) { return a == b; });
}

std::size_t FindIgnoringCase(std::string_view text, std::string_view needle,
                             std::size_t from) noexcept {
    return FindAtBoundary(text, needle, from, SameText);
}

bool Contains(std::string_view text, std::string_view needle) noexcept {
    return Find(text, needle) != std::string_view::npos;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = Find(text, delimiter, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            break;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + delimiter.size();
    }
    return pieces;
}

std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            out.append(delimiter);
        }
        out.append(pieces[i]);
    }
    return out;
}

std::string TrimLeft(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlankOrControl(static_cast<unsigned char>(text[start]))) {
        ++start;
    }
    return std::string(text.substr(start));
}

std::string TrimRight(std::string_view text) {
    // A trail byte is never <= 0x20, so trimming from the end cannot split a character.
    std::size_t end = text.size();
    while (end > 0 && IsBlankOrControl(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && c < 0xC2)) {
            return false;
        }
        std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (t & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace zeph::text
