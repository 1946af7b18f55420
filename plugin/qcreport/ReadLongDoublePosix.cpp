#include "qcreport/ReadLongDouble.h"

#include <charconv>
#include <cmath>

namespace morvane::qcreport {

std::optional<long double> ReadLongDouble(std::string_view text) {
    long double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace morvane::qcreport
