// The bounds an answer or a service description of the bulletin-and-note services must keep
// before it is parsed. Both are small in real use (a dozen elements, a few hundred in a
// description); a document far beyond that costs the parser time and memory out of all
// proportion to its size (many attributes on one element take time that grows faster than the
// square of their number; every small element costs a node of a hundred bytes and more). One
// linear pass over the bytes refuses such a document first, so that reading any answer up to
// the transport's cap takes time and memory in proportion to its size.
#pragma once

#include <cstddef>
#include <string_view>

namespace morvane::bulletin {

inline constexpr std::size_t kMaxXmlDepth = 48;       // nesting of elements
inline constexpr std::size_t kMaxXmlAttributes = 256; // on one element, namespaces included
inline constexpr std::size_t kMaxXmlNodes = 20'000;   // elements, attributes, comments, ...

// Why the document may not be parsed, or nullptr when it keeps the bounds. Refused besides:
// a document type declaration (no DTD is ever read), and a document that is not in an
// ASCII-compatible encoding (a zero byte, or a first character other than "<" or a blank
// after an optional UTF-8 byte order mark), whose markup this pass could not see.
const char* XmlLimitBreach(std::string_view document);

} // namespace morvane::bulletin
