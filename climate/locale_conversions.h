// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The number and date conversions of the user's locale, written out by hand so that they give
/// the same answers on every machine, whether or not it has system locales installed. The only
/// thing taken from the user's locale is the decimal separator, which the caller looks up and
/// passes in; dates are always day first.
#pragma once

#include "climate/date_time.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelk {

/// The locale name that governs numbers: LC_ALL, then LC_NUMERIC, then LANG, the first that is
/// set and not empty; "C" when none is.
std::string_view NumericLocaleName(const char *lcAll, const char *lcNumeric, const char *lang);

/// General number-to-text: at most 7 significant digits for a single (15 for a double), no
/// grouping, no trailing zeros, a leading "-" for negatives, `separator` as the decimal point,
/// exponent form ("1,5E+20") only where the magnitude calls for it. Negative zero gives "0".
std::string NumberToText(float value, char separator);
std::string NumberToText(double value, char separator);

/// Reads an optional sign, digits with at most one decimal separator, and an optional exponent
/// ("E" or "e", optional sign, digits). Any character equal to `separator` or to
/// `otherSeparator` is taken as the decimal separator (pass the same character twice for one).
/// No blanks, no digit grouping, no "inf" or "nan". Fails on everything else.
std::optional<double> ParseNumber(std::string_view text, char separator, char otherSeparator);
inline std::optional<double> ParseNumber(std::string_view text, char separator) {
    return ParseNumber(text, separator, separator);
}

/// As ParseNumber, rounded once to single precision; fails when the value does not fit a single
/// (too large, or non-zero but too small to be told from zero).
std::optional<float> ParseSingle(std::string_view text, char separator, char otherSeparator);

/// Reads a date-time in one of these forms, and nothing else:
///   day/month/year [time]      day and month of 1 or 2 digits, year of exactly 4 digits;
///                              each separator is "/", "-" or ".";
///   year-month-day [time]      4-digit year first; separators "-" or "/";
///   time                       alone; the date is then 1899-12-30;
/// where time is one or more blanks followed by hours:minutes or hours:minutes:seconds
/// (24-hour clock, 1 or 2 digits for the hour, exactly 2 for minutes and seconds).
/// Impossible dates (31/04/2008) and times (24:00) fail.
std::optional<DateTime> ParseDateText(std::string_view text);

/// "yyyy-mm-dd" of the date-time's calendar day.
std::string FormatDayLabel(DateTime value);

/// The 14 digits year, month, day, hour, minutes, seconds run together.
std::string FormatDateKey(DateTime value);

/// A value of zero or more as fixed-point text with at least 30 integer digits and exactly 30
/// fraction digits, `separator` between them. The value is first rounded to 15 significant
/// digits, so that every call keeps the same digits.
std::string FormatFixed30(double nonNegativeValue, char separator);

} // namespace pelk
