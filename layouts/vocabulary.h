// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The words by which column titles name what a column holds: a temperature, its unit, a minimum
/// or a maximum over the logging interval, the date order, the clock's offset from UTC. They sit
/// in tables here, in the languages loggers write, so that a new word is one more entry.
#pragma once

#include "climate/date_time.h"
#include "layouts/stamps.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelk {

/// Words (lower case, whole words of a title) that name a temperature.
std::span<const std::string_view> TemperatureWords();
/// Words that mark the lowest and the highest reading of each interval.
std::span<const std::string_view> MinimumWords();
std::span<const std::string_view> MaximumWords();

/// The words of a title, lower case: runs of letters and digits (UTF-8 letters kept whole).
std::vector<std::string> TitleWords(std::string_view title);

bool NamesTemperature(std::string_view title);
/// The unit a title names: "°C", "deg F", "[K]", "Kelvin"...
WrittenUnit UnitNamed(std::string_view title);

enum class Extreme { None, Minimum, Maximum };
/// Whether a title marks the interval's minimum or maximum, and the title without that word, to
/// pair "Hi Temp" with "Low Temp" and "AirTF_Max" with "AirTF_Min".
Extreme ExtremeNamed(std::string_view title, std::string &rest);

/// The date order a title spells out ("Date (MM/DD/YYYY)", "JJ/MM/AAAA", "TT.MM.JJJJ").
std::optional<DateOrder> DateOrderNamed(std::string_view title);

struct StatedOffset {
    int seconds = 0;
    std::string text; ///< as written: "GMT-04:00"
};
/// An offset from UTC written in a text: "GMT+02:00", "UTC+1", "UTC-04:30", "GMT -0500",
/// "UTC +01:00", from -12:00 to +14:00; a bare "UTC" or "GMT" word is +0.
std::optional<StatedOffset> OffsetNamed(std::string_view text);

struct NamedZone {
    std::string_view zone; ///< the IANA name: "Europe/Berlin"
    std::string text;      ///< as written: "W. Europe Standard Time"
};
/// A time zone named in a text as Windows names it, in English, German or French ("W. Europe
/// Standard Time", "Mitteleuropäische Zeit", "Paris, Madrid"), or by the cities of its
/// description ("Amsterdam, Berlin, Bern, Rom, Stockholm, Wien"), in any case; the longest where
/// several match.
std::optional<NamedZone> ZoneNamed(std::string_view text);

} // namespace pelk
