#include "qcreport/ReadLongDouble.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace morvane::qcreport {

// MinGW-w64's strtold is its own extended-precision reader, not the system C library's. It
// reads the decimal separator of the current C locale, which a host may have changed.
std::optional<long double> ReadLongDouble(std::string_view text) {
    std::string local(text);
    if (std::string::size_type point = local.find('.'); point != std::string::npos) {
        local.replace(point, 1, std::localeconv()->decimal_point);
    }
    errno = 0;
    char* end = nullptr;
    long double value = std::strtold(local.c_str(), &end);
    if (errno == ERANGE || end != local.c_str() + local.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace morvane::qcreport
