// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/date_time.h"

#include <cmath>
#include <cstdio>

namespace pelk {
namespace {

// Days between 1970-01-01 and 1899-12-30.
constexpr std::int64_t kUnixEpochDayNumber = 25569;

// Howard Hinnant's days_from_civil / civil_from_days, counted from 1970-01-01.
std::int64_t DaysFromCivilUnix(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDaysUnix(std::int64_t z, int &year, int &month, int &day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

bool IsValidCivilDate(int year, int month, int day) {
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const int last = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= last;
}

std::int64_t DayNumberFromCivil(int year, int month, int day) {
    return DaysFromCivilUnix(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
           kUnixEpochDayNumber;
}

DateTime MakeDateTime(std::int64_t dayNumber, int secondsOfDay) {
    return static_cast<double>(dayNumber) +
           static_cast<double>(secondsOfDay) / static_cast<double>(kSecondsPerDay);
}

std::int64_t CalendarDay(DateTime value) {
    return static_cast<std::int64_t>(std::floor(value));
}

CivilDateTime SplitDateTime(DateTime value) {
    std::int64_t dayNumber = CalendarDay(value);
    auto seconds = static_cast<std::int64_t>(
        std::llround((value - static_cast<double>(dayNumber)) * kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        ++dayNumber;
        seconds -= kSecondsPerDay;
    }
    CivilDateTime out;
    CivilFromDaysUnix(dayNumber - kUnixEpochDayNumber, out.year, out.month, out.day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return out;
}

std::string FrenchDateTime(DateTime value) {
    const CivilDateTime t = SplitDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d", t.day, t.month, t.year, t.hour,
                  t.minute);
    return text;
}

std::string FrenchShortDateTime(DateTime value) {
    const std::string full = FrenchDateTime(value);
    return full.substr(0, 5) + full.substr(10);
}

} // namespace pelk
