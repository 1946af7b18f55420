// Numbers in quality-check reports: field texts read as numbers in extended precision, and the
// two printed forms the report packets use. An exact half rounds away from zero in both.
#pragma once

#include <string>
#include <string_view>

namespace morvane::qcreport {

// The text as a decimal number ("." as decimal separator, optional sign and exponent, blanks
// around it allowed); anything else, the empty text and values beyond the extended range
// included, is 0.
long double NumberOrZero(std::string_view text);

// Shortest form with up to 15 significant digits; scientific (1E20, 1.5E-5) when the decimal
// exponent is below -4 or at least 15.
std::string FormatGeneral(long double value);

// Fixed point with exactly two decimals, no thousands separator.
std::string FormatFixed2(long double value);

} // namespace morvane::qcreport
