// Date and time values as the host framework holds them: days since 1899-12-30 in the whole
// part, the time of day as the fraction.
#pragma once

#include <zeph/text/HostText.h>

#include <optional>
#include <string>
#include <string_view>

namespace zeph::forms {

using TDateTime = double;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Raises std::invalid_argument for a date or time that does not exist.
ZEPH_HOST_API TDateTime EncodeDateTime(const DateTimeParts& parts);
ZEPH_HOST_API TDateTime EncodeDate(int year, int month, int day);
ZEPH_HOST_API TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
ZEPH_HOST_API DateTimeParts DecodeDateTime(TDateTime value);
ZEPH_HOST_API TDateTime DateOf(TDateTime value);
ZEPH_HOST_API TDateTime TimeOf(TDateTime value);
// The local date and time.
ZEPH_HOST_API TDateTime Now();
// "YYYY-MM-DD HH:MM:SS".
ZEPH_HOST_API std::string FormatDateTime(TDateTime value);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" or a time alone ("HH:MM[:SS]",
// which gives a value on day 0); nothing for anything else.
ZEPH_HOST_API std::optional<TDateTime> ParseDateTime(std::string_view text);

} // namespace zeph::forms
