// Escaping text for an XML document written by hand. Bytewise, so it serves host text and UTF-8
// alike: every character XML needs escaped is below 0x40, which no GBK trail byte is.
#pragma once

#include <zeph/text/HostText.h>

#include <string>
#include <string_view>

namespace zeph::text {

// Where the text goes: a double-quoted attribute value, or character data between tags.
enum class XmlPlace { AttributeValue, ElementText };

// True for a character that XML 1.0 cannot hold at all: a control character other than tab,
// line feed and carriage return.
inline bool IsXmlUnfit(char c) noexcept {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// The position of the first character XML cannot hold, or npos.
ZEPH_HOST_API std::size_t FindXmlUnfit(std::string_view text) noexcept;

// Appends text escaped for place, so that a parser reads back the very bytes: "&", "<" and ">"
// always; a carriage return as a reference (a parser turns a bare one into a line feed); in an
// attribute value also the quote, and tab and line feed as references (attribute-value
// normalisation would turn them into blanks). A character XML cannot hold is written as unfit.
ZEPH_HOST_API void AppendXmlEscaped(std::string& out, std::string_view text, XmlPlace place,
                                    char unfit = '?');

} // namespace zeph::text
