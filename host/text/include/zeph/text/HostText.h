// Host text: the workstation's ANSI code page (GBK, code page 936) held in std::string.
//
// GBK is double-byte: a lead byte 0x81-0xFE is followed by a trail byte 0x40-0xFE, and trail
// bytes include ASCII letters, '\\', '|' and '~'. Every operation here that looks at single
// characters steps over double-byte characters, so nothing else needs to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What libzephhost exports: everything so marked, and nothing else. The Windows build marks it
// for export where the library's own modules are compiled (host/CMakeLists.txt); elsewhere, and
// for every user, it is the default visibility, which the GNU toolchain for Windows ignores.
#ifndef ZEPH_HOST_API
#define ZEPH_HOST_API __attribute__((visibility("default")))
#endif

namespace zeph::text {

// True for a byte that starts a double-byte character.
ZEPH_HOST_API bool IsLeadByte(unsigned char c) noexcept;

// Byte length of the character starting at pos: 2 for a lead byte followed by a byte, else 1.
ZEPH_HOST_API std::size_t CharLength(std::string_view text, std::size_t pos) noexcept;

// Byte length of the character starting at pos when only a well-formed pair counts: 2 for a
// lead byte followed by a trail byte (0x40-0xFE but 0x7F), else 1. Where a text may be cut or
// damaged (file names from a server), a byte after a lead byte that cannot be a trail byte,
// such as "/", stays a character of its own.
ZEPH_HOST_API std::size_t PairedCharLength(std::string_view text, std::size_t pos) noexcept;

// The largest character boundary not beyond maxBytes, so that cutting there never splits a
// double-byte character.
ZEPH_HOST_API std::size_t BoundaryAtOrBefore(std::string_view text, std::size_t maxBytes) noexcept;

// Conversions for the places that speak UTF-8 (XML, SOAP, terminal, GUI). A character the
// target cannot hold, and a byte sequence that is not valid in the source, become "?".
ZEPH_HOST_API std::string GbkToUtf8(std::string_view gbk);
ZEPH_HOST_API std::string Utf8ToGbk(std::string_view utf8);
// True when the bytes are well-formed UTF-8: shortest forms only, no surrogates, nothing
// beyond U+10FFFF.
ZEPH_HOST_API bool IsValidUtf8(std::string_view text);

// One step of a streaming GBK to UTF-8 decode, for parsers that take their text in pieces.
struct GbkDecodeStep {
    std::size_t consumed = 0; // source bytes decoded
    std::size_t written = 0;  // UTF-8 bytes written
    bool invalid = false;     // stopped at a sequence that is not GBK, at offset consumed
};

// Decodes from the start of gbk into out, stopping when the next character does not fit, before
// a double-byte character that the end of gbk cuts in two (the caller passes it again with what
// follows), or at the first invalid sequence. Nothing is replaced: the caller decides what
// invalid text means.
ZEPH_HOST_API GbkDecodeStep DecodeGbkPiece(std::string_view gbk, char* out, std::size_t capacity);

// True when every byte sequence of the text is a valid GBK character.
ZEPH_HOST_API bool IsValidGbk(std::string_view text) noexcept;
// True when every character decodes (to a character, not U+FFFE or U+FFFF) and encodes back to
// the very same bytes, so that GbkToUtf8 and then Utf8ToGbk give the text unchanged.
ZEPH_HOST_API bool IsRoundTripGbk(std::string_view text) noexcept;

// A UTF-8 literal of the source converted to host text once; the result lives for the process.
ZEPH_HOST_API const std::string& HostLiteral(std::string_view utf8);

// ASCII letters only; double-byte characters (and their trail bytes) are left alone.
ZEPH_HOST_API std::string UpperCase(std::string_view text);
ZEPH_HOST_API std::string LowerCase(std::string_view text);

// Comparison ignoring ASCII letter case; double-byte characters compare bytewise.
ZEPH_HOST_API int CompareText(std::string_view a, std::string_view b) noexcept;
ZEPH_HOST_API bool SameText(std::string_view a, std::string_view b) noexcept;
// A hash that agrees with SameText: texts that are the same ignoring case hash alike.
ZEPH_HOST_API std::size_t HashIgnoringCase(std::string_view text) noexcept;

// Position of needle at a character boundary at or after from, or npos.
ZEPH_HOST_API std::size_t Find(std::string_view text, std::string_view needle,
                               std::size_t from = 0) noexcept;
// Position of needle at a character boundary at or after from, ASCII letters compared without
// regard to case (as SameText), or npos.
ZEPH_HOST_API std::size_t FindIgnoringCase(std::string_view text, std::string_view needle,
                                           std::size_t from = 0) noexcept;
ZEPH_HOST_API bool Contains(std::string_view text, std::string_view needle) noexcept;

// Pieces between delimiters, in order. An empty text gives no pieces; a trailing delimiter gives
// a trailing empty piece ("a~" -> "a", "").
ZEPH_HOST_API std::vector<std::string> Split(std::string_view text, std::string_view delimiter);

// Joins pieces with the delimiter between them.
ZEPH_HOST_API std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter);

// Removes spaces and control characters (bytes up to 0x20) at both ends / one end.
ZEPH_HOST_API std::string Trim(std::string_view text);
ZEPH_HOST_API std::string TrimLeft(std::string_view text);
ZEPH_HOST_API std::string TrimRight(std::string_view text);

// Length in bytes of the host text (a Chinese character counts 2).
inline std::size_t ByteLength(std::string_view text) noexcept {
    return text.size();
}

} // namespace zeph::text

// "传入的参数为空"_host: the literal as host text, converted once.
inline const std::string& operator""_host(const char* utf8, std::size_t length) {
    return zeph::text::HostLiteral(std::string_view(utf8, length));
}
