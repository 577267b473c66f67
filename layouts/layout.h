// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// How a file that is not in the export form is laid out: one plain value that a person could
/// write by hand, which the recognition fills from the file's bytes and the reader obeys. Each
/// choice keeps the reason it was made, so that the note can say why.
#pragma once

#include "climate/date_time.h"
#include "layouts/stamps.h"
#include "layouts/text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelk {

enum class TimestampKind {
    OneField,     ///< date and time in one field
    DateThenTime, ///< the date in one field, the time of day in the next
    SixFields,    ///< year, month, day, hour, minute and second in fields of their own
    UnixSeconds   ///< seconds since 1970 UTC
};

/// The fields that a timestamp of `kind` takes.
std::int32_t TimestampWidth(TimestampKind kind);

enum class DateOrderReason {
    Irrelevant, ///< no date pieces (Unix seconds, six fields), or every order gives the same dates
    YearFirst,  ///< the first piece has four digits
    OnlyValid,  ///< under the other orders some date is impossible
    SteadyInTime, ///< under the other orders the readings jump back and forth in time
    Title,        ///< the data leaves several; a title names this one
    ExportForm,   ///< the data leaves several; the file is laid out as the export form, month first
    Chosen        ///< said by the user
};

enum class ColumnReason { Title, MinimumAndMaximum, FirstNumbers, Chosen };

enum class OffsetSource {
    Computer,   ///< nothing in the file: the computer's, as for the export form
    Chosen,     ///< said by the user
    Titles,     ///< written in a title or the lines before the data
    Timestamps, ///< written on each timestamp ("Z", "+01:00"): readings placed on UTC
    Zone,       ///< a zone named in the file ("W. Europe Standard Time"): its offset day by day
    UnixSeconds ///< Unix seconds are UTC
};

struct Layout {
    TextEncoding encoding = TextEncoding::Utf8;
    char separator = '\t';
    bool quoted = false;            ///< some fields are in double quotes
    std::int64_t firstDataLine = 2; ///< 1-based line of the first reading
    /// 1-based last line of the data; the text after it (a program's closing words) is passed
    /// over. 0: the file's last line.
    std::int64_t lastDataLine = 0;
    std::int64_t titleRows = 0;      ///< title rows just above it, joined into `titles`
    std::vector<std::string> titles; ///< per field, field 1 at index 0

    TimestampKind timestampKind = TimestampKind::OneField;
    std::int32_t timestampField = 1; ///< the (first) field of the timestamp
    DateOrder dateOrder = DateOrder::MonthDayYear;
    DateOrderReason dateOrderReason = DateOrderReason::Irrelevant;
    std::string overruledTitleOrder; ///< a title's date order that the data contradicts
    int twoDigitYearBase = 2000;     ///< a two-digit year lies in [base, base + 99]

    std::int32_t valueField = 2; ///< the temperature, or Tx when tnField is set
    std::int32_t tnField = 0;    ///< 0: Tn and Tx both from valueField
    ColumnReason columnReason = ColumnReason::FirstNumbers;

    OffsetSource offsetSource = OffsetSource::Computer;
    int offsetSeconds = 0;  ///< for Titles
    std::string offsetText; ///< as the file writes it
    std::string zoneName;   ///< for Zone: the IANA name ("Europe/Berlin")

    WrittenUnit unit = WrittenUnit::Celsius;
    bool unitFromValues = false; ///< the unit is written after the numbers, not in a title
    bool unitFromRange = false;  ///< no unit stated: the values can only be kelvin

    bool errorValuesKept = false; ///< a sensor's error values read as readings all the same
};

/// Field `n` (1-based)'s title, or "".
std::string TitleOf(const Layout &layout, std::int32_t field);

std::string_view DateOrderText(DateOrder order);

/// Whether a line begins as a row of data does: a digit, or a sign before one, after blanks and
/// an opening quote. A line that does not (a comment, a remark, a program's message) is text.
bool StartsLikeData(std::string_view line);

/// At most `bytes` bytes of `text`, not cut inside a UTF-8 sequence.
std::string_view Utf8Prefix(std::string_view text, std::size_t bytes);

} // namespace pelk
