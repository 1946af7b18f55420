#include <zeph/forms/DateTime.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace zeph::forms {
namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 0001-01-01 (day 1) in the proleptic Gregorian calendar.
long long DayNumber(int year, int month, int day) {
    long long y = year - 1;
    long long days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) {
        days += DaysInMonth(year, m);
    }
    return days + day;
}

constexpr long long kEpoch = 693594; // DayNumber(1899, 12, 30)
constexpr double kMsPerDay = 86400000.0;

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        throw std::invalid_argument("Invalid argument to date encode");
    }
    return static_cast<double>(DayNumber(year, month, day) - kEpoch);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        throw std::invalid_argument("Invalid argument to time encode");
    }
    return ((hour * 60.0 + minute) * 60.0 + second + millisecond / 1000.0) / 86400.0;
}

TDateTime EncodeDateTime(const DateTimeParts& parts) {
    TDateTime date = EncodeDate(parts.year, parts.month, parts.day);
    TDateTime time = EncodeTime(parts.hour, parts.minute, parts.second, parts.millisecond);
    // Before the epoch the fraction counts forwards from the day's start, as in the framework.
    return date >= 0 ? date + time : date - time;
}

DateTimeParts DecodeDateTime(TDateTime value) {
    // Milliseconds since the epoch, rounded, with the fraction's sign rule undone.
    double whole = std::trunc(value);
    double fraction = std::fabs(value - whole);
    long long ms = std::llround(fraction * kMsPerDay);
    long long day = static_cast<long long>(whole);
    if (ms >= static_cast<long long>(kMsPerDay)) {
        ms -= static_cast<long long>(kMsPerDay);
        day += value >= 0 ? 1 : -1;
    }
    long long number = day + kEpoch;
    DateTimeParts parts;
    // Find the year by estimate and correction.
    int year = static_cast<int>(number / 366) + 1;
    while (year < 9999 && DayNumber(year + 1, 1, 1) <= number) {
        ++year;
    }
    while (year > 1 && DayNumber(year, 1, 1) > number) {
        --year;
    }
    int month = 1;
    while (month < 12 && DayNumber(year, month + 1, 1) <= number) {
        ++month;
    }
    parts.year = year;
    parts.month = month;
    parts.day = static_cast<int>(number - DayNumber(year, month, 1) + 1);
    parts.hour = static_cast<int>(ms / 3600000);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

TDateTime DateOf(TDateTime value) {
    return std::trunc(value);
}

TDateTime TimeOf(TDateTime value) {
    return std::fabs(value - std::trunc(value));
}

TDateTime Now() {
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    DateTimeParts parts{local.tm_year + 1900,
                        local.tm_mon + 1,
                        local.tm_mday,
                        local.tm_hour,
                        local.tm_min,
                        std::min(local.tm_sec, 59),
                        static_cast<int>(millis < 0 ? millis + 1000 : millis)};
    return EncodeDateTime(parts);
}

std::string FormatDateTime(TDateTime value) {
    DateTimeParts p = DecodeDateTime(value);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return buffer;
}

namespace {
bool Number(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > text.size()) {
        return false;
    }
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    std::from_chars(text.data() + pos, text.data() + pos + digits, out);
    pos += digits;
    return true;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool ParseTime(std::string_view text, std::size_t& pos, DateTimeParts& parts) {
    if (!Number(text, pos, 2, parts.hour) || !Expect(text, pos, ':') ||
        !Number(text, pos, 2, parts.minute)) {
        return false;
    }
    if (Expect(text, pos, ':')) {
        return Number(text, pos, 2, parts.second);
    }
    return true;
}
} // namespace

std::optional<TDateTime> ParseDateTime(std::string_view text) {
    DateTimeParts parts;
    std::size_t pos = 0;
    try {
        if (text.size() >= 5 && text[2] == ':') {
            if (!ParseTime(text, pos, parts) || pos != text.size()) {
                return std::nullopt;
            }
            return EncodeTime(parts.hour, parts.minute, parts.second);
        }
        if (!Number(text, pos, 4, parts.year) || !Expect(text, pos, '-') ||
            !Number(text, pos, 2, parts.month) || !Expect(text, pos, '-') ||
            !Number(text, pos, 2, parts.day)) {
            return std::nullopt;
        }
        if (pos < text.size()) {
            if (!Expect(text, pos, ' ') || !ParseTime(text, pos, parts) || pos != text.size()) {
                return std::nullopt;
            }
        }
        return EncodeDateTime(parts);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

} // namespace zeph::forms
