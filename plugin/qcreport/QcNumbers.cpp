#include "qcreport/QcNumbers.h"

#include "qcreport/ReadLongDouble.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace morvane::qcreport {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value's decimal digits: value = 0.d1d2d3... x 10^(pointPos), digits without leading
// zeros. Eighteen significant digits are what extended precision carries.
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPos = 0; // digits before the decimal point
};

Decimal ToDecimal(long double value) {
    Decimal d;
    d.negative = std::signbit(value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(value));
    std::string_view text(buffer);
    std::size_t e = text.find('e');
    for (char c : text.substr(0, e)) {
        if (IsDigit(c)) {
            d.digits += c;
        }
    }
    d.pointPos = std::atoi(buffer + e + 1) + 1;
    return d;
}

// A value that is a whole number of sixteenths, as sums of scores usually are, has an exact
// decimal form with at most four decimals. Where that form has at most 15 significant digits and
// no exponent, it is the general form itself, written from integers without printing and
// rounding; otherwise nothing.
std::optional<std::string> ExactSixteenths(long double value) {
    const long double sixteenths = value * 16; // exact: a power of two
    // The bound also keeps the ten-thousandths below within 64 bits.
    if (!(std::fabs(value) < 1e15L) || sixteenths != std::truncl(sixteenths)) {
        return std::nullopt;
    }
    // value = n / 10^decimals; without trailing zeros, n's digits are the significant ones.
    std::uint64_t n = static_cast<std::uint64_t>(std::fabs(sixteenths)) * std::uint64_t{625};
    int decimals = 4;
    while (decimals > 0 && n % 10 == 0) {
        n /= 10;
        --decimals;
    }
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    const int significant = static_cast<int>(end - digits);
    if (significant > 15) {
        return std::nullopt;
    }
    std::string out = std::signbit(value) ? "-" : "";
    if (significant <= decimals) { // 0.0625
        out += "0.";
        out.append(static_cast<std::size_t>(decimals - significant), '0');
        out.append(static_cast<const char*>(digits), end);
        return out;
    }
    const char* point = end - decimals;
    out.append(static_cast<const char*>(digits), point);
    if (decimals > 0) {
        out += '.';
        out.append(point, end);
    }
    return out;
}

// Keeps the first keep digits (keep may be zero or negative), rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) {
        return;
    }
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
}

std::string NonFinite(long double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value > 0 ? "INF" : "-INF";
}

} // namespace

long double NumberOrZero(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return 0;
    }
    std::size_t end = text.find_last_not_of(' ') + 1;
    std::string_view s = text.substr(begin, end - begin);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::size_t mantissaStart = i;
    std::size_t intDigits = 0;
    std::size_t fracDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++intDigits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        std::size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0) {
            return 0;
        }
        i = j;
    }
    if (i != s.size()) {
        return 0;
    }
    // Up to 19 digits and a small exponent: one exact integer and one exact power of ten, so a
    // single multiplication or division rounds correctly. Anything else takes the library path.
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    bool fast = true;
    std::size_t k = mantissaStart;
    for (; k < s.size() && s[k] != 'e' && s[k] != 'E'; ++k) {
        if (s[k] == '.') {
            continue;
        }
        bool fraction = k > mantissaStart + intDigits;
        if (mantissa == 0 && s[k] == '0') {
            exponent -= fraction ? 1 : 0;
            continue;
        }
        if (++digits > 19) {
            fast = false;
            break;
        }
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(s[k] - '0');
        exponent -= fraction ? 1 : 0;
    }
    if (fast && k < s.size()) {
        int e = 0;
        auto [p, ec] =
            std::from_chars(s.data() + k + 1 + (s[k + 1] == '+' ? 1 : 0), s.data() + s.size(), e);
        fast = ec == std::errc() && p == s.data() + s.size();
        exponent += e;
    }
    if (fast && exponent >= -27 && exponent <= 27) {
        long double power = 1;
        for (int i = 0; i < (exponent < 0 ? -exponent : exponent); ++i) {
            power *= 10;
        }
        long double value = exponent < 0 ? static_cast<long double>(mantissa) / power
                                         : static_cast<long double>(mantissa) * power;
        return negative ? -value : value;
    }
    std::string body(s.substr(mantissaStart));
    if (body[0] == '.') {
        body.insert(body.begin(), '0');
    }
    std::optional<long double> value = ReadLongDouble(body);
    if (!value) {
        return 0;
    }
    return negative ? -*value : *value;
}

std::string FormatGeneral(long double value) {
    if (!std::isfinite(value)) {
        return NonFinite(value);
    }
    if (value == 0) {
        return "0";
    }
    if (std::optional<std::string> exact = ExactSixteenths(value)) {
        return *std::move(exact);
    }
    Decimal d = ToDecimal(value);
    RoundDigits(d, 15);
    if (d.digits.empty()) {
        return "0";
    }
    std::string out = d.negative ? "-" : "";
    int exponent = d.pointPos - 1;
    if (exponent < -4 || exponent >= 15) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (d.pointPos <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.pointPos), '0');
        out += d.digits;
        return out;
    }
    auto point = static_cast<std::size_t>(d.pointPos);
    if (d.digits.size() <= point) {
        out += d.digits;
        out.append(point - d.digits.size(), '0');
    } else {
        out.append(d.digits, 0, point);
        out += '.';
        out.append(d.digits, point);
    }
    return out;
}

std::string FormatFixed2(long double value) {
    if (!std::isfinite(value)) {
        return NonFinite(value);
    }
    Decimal d;
    if (value != 0) {
        d = ToDecimal(value);
        RoundDigits(d, d.pointPos + 2);
    }
    if (d.digits.empty()) {
        return "0.00";
    }
    std::string out = d.negative ? "-" : "";
    // Digits at positions pointPos-1 .. -2 relative to the point, zero-filled.
    auto digitAt = [&d](int k) -> char { // k-th digit, 0 = first significant
        return k >= 0 && k < static_cast<int>(d.digits.size())
                   ? d.digits[static_cast<std::size_t>(k)]
                   : '0';
    };
    if (d.pointPos <= 0) {
        out += '0';
    } else {
        for (int k = 0; k < d.pointPos; ++k) {
            out += digitAt(k);
        }
    }
    out += '.';
    out += digitAt(d.pointPos);
    out += digitAt(d.pointPos + 1);
    return out;
}

} // namespace morvane::qcreport
