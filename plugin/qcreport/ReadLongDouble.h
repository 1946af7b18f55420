// A decimal number's text read into extended precision, the whole of it and correctly rounded.
// The C++ library's reader is used where it carries the extended range; MinGW's reads through
// double, so 1E999 would be out of range there and long mantissas would lose digits.
#pragma once

#include <optional>
#include <string_view>

namespace morvane::qcreport {

// `text` is digits with an optional "." and exponent, no sign and no blanks (the caller has
// checked the form). Empty when the value is beyond the extended range.
std::optional<long double> ReadLongDouble(std::string_view text);

} // namespace morvane::qcreport
