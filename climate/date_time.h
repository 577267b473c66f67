// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Date-times as the loggers' spreadsheet world counts them: days since 1899-12-30 00:00 as a
/// double, the fraction being the time of day. Dates before 1899-12-30 are laid out on the same
/// straight line (day = floor), so adding n days always adds n and comparing compares.
#pragma once

#include <cstdint>
#include <string>

namespace pelk {

using DateTime = double;

struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

inline constexpr int kSecondsPerDay = 86400;

/// The order in which a date writes its day, month and year.
enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

bool IsValidCivilDate(int year, int month, int day);

/// Day number (days since 1899-12-30) of a proleptic Gregorian date.
std::int64_t DayNumberFromCivil(int year, int month, int day);

/// The date-time at `secondsOfDay` into day `dayNumber`. Every timestamp and every window edge is
/// built here, so that a reading written exactly at an edge compares equal to it.
DateTime MakeDateTime(std::int64_t dayNumber, int secondsOfDay);

/// The calendar day that holds the date-time.
std::int64_t CalendarDay(DateTime value);

/// Year, month, day and time of day, rounded to the nearest second.
CivilDateTime SplitDateTime(DateTime value);

/// An instant as the window writes it: "05/03/2008 06:00".
std::string FrenchDateTime(DateTime value);
/// The same without the year: "05/03 06:00".
std::string FrenchShortDateTime(DateTime value);

} // namespace pelk
