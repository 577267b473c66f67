// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The pieces of a timestamp and of a value as any logger writes them, before the date order is
/// known: "24/07/20 21:00:00", "2020-01-06T11:26:00+01:00", "8/8/19" beside "12:30:00",
/// "13.1 °C". Nothing here decides what a piece means; the layout does.
#pragma once

#include "climate/date_time.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelk {

/// Three numbers of a date in the order written, with the digits of the first and the last, which
/// tell where a four-digit year may stand. A month written as a word ("Nov", "févr.", "März")
/// counts as its number, and only an order with the month in that place reads the date.
struct DatePieces {
    int first = 0;
    int second = 0;
    int third = 0;
    int firstDigits = 0; ///< 0 for a month word
    int thirdDigits = 0;
    int monthWordAt = 0; ///< 1 or 2: the piece written as a month's name; 0: none
    bool operator==(const DatePieces &) const = default;
};

struct StampPieces {
    DatePieces date;
    int secondsOfDay = -1;            ///< -1: the field holds a date alone
    std::optional<int> offsetSeconds; ///< "Z" or "+01:00" written on the timestamp
    std::size_t dateLength = 0;       ///< bytes of the date at the field's start; 0 after a time
};

/// A date, optionally "T", "," or blanks and a time of day (h:mm, seconds, a fraction after "." or
/// "," dropped, AM/PM), optionally "Z" or an offset ("+01:00", "-0400"); or a time of day, blanks
/// and a date ("00:00:00 21/Nov/2025"). Date pieces are separated by "/", "-" or "."; the month
/// may be a word in English, French or German ("21-nov.-2025", "Nov 21 2025"), and then blanks
/// may separate the pieces too.
std::optional<StampPieces> ParseStampPieces(std::string_view field);
/// What ParseStampPieces gives for `field` when its first `dateLength` bytes are known to read as
/// `date`: a file writes one date on many lines, and its reader need parse it once.
std::optional<StampPieces> ParseStampAfterDate(std::string_view field, const DatePieces &date,
                                               std::size_t dateLength);

/// A time of day alone, as a field beside the date: "12:30:00", "2:11 PM".
std::optional<int> ParseTimeOfDay(std::string_view field);

/// Seconds since 1970-01-01 00:00 UTC, as some stations write their time: 9 or 10 digits,
/// between 1980 and 2100.
std::optional<std::int64_t> ParseUnixSeconds(std::string_view field);

/// A whole number field of at most 4 digits, for dates written across several fields.
std::optional<int> ParseSmallWholeNumber(std::string_view field);

/// The calendar day that `pieces` name in `order`, with a two-digit year put into the hundred
/// years from `twoDigitYearBase`; nothing for an impossible date, a year piece that cannot be
/// one (a four-digit day, a three-digit year) or an order with the month away from its word.
std::optional<std::int64_t> DayNumberOf(const DatePieces &pieces, DateOrder order,
                                        int twoDigitYearBase);
/// The full year that `pieces` name in `order` (a two-digit year as written, below 100); nothing
/// where `order` cannot read them.
std::optional<int> YearPieceOf(const DatePieces &pieces, DateOrder order);

enum class WrittenUnit { None, Celsius, Fahrenheit, Kelvin };

struct ValueText {
    bool empty = false;                   ///< a blank cell: no reading
    std::optional<double> number;         ///< when it reads as a number
    WrittenUnit unit = WrittenUnit::None; ///< a unit written after the number
};

/// "12.5", "-3,25", "+4", "13.1 °C", "55 F": the decimal separator may be "." or ",".
/// Markers of a missing value ("NAN", "---") read as an empty cell.
ValueText ParseValueText(std::string_view field);

} // namespace pelk
