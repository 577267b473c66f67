// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// One data line of a logger's tab-separated export into one reading. The line's first field is a
/// month-first timestamp (03/15/2008 14:30, read by character position; where that reading
/// refuses it, the other shapes that spreadsheets write: 3/5/2008 2:30:15 PM), the value is field
/// 2 unless told otherwise; further fields are ignored. Both decimal separators are accepted in
/// the value.
#pragma once

#include "climate/tables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelk {

enum class LineOutcome {
    Stored,   ///< one reading stored, index advanced
    Skipped,  ///< empty first field: nothing stored, index unchanged
    Malformed ///< the bad-format end: the whole load is void
};

/// Why a file is refused: what is wrong with its first line that is.
enum class LineFault {
    None,
    NoTab,            ///< the line has no TAB
    NotADate,         ///< the first field is no timestamp
    NotANumber,       ///< the value field is no number, or missing
    LineTooLong,      ///< longer than the reader takes
    TooManyReadings,  ///< one reading more than the table holds
    DateOrderUnknown, ///< day first or month first: the file cannot tell, and nobody said
    ReadingBeforeData ///< a reading above the data, where it would be passed over unread
};

/// Month/day/four-digit year, month and day of one or two digits, each separator "/", "-" or ".",
/// then optionally blanks and h:mm (hour of one or two digits), optional seconds and a fraction of
/// them (dropped), optional AM or PM read by ApplyMeridiem, optional blanks. For the timestamps
/// that the reading by position refuses.
std::optional<DateTime> ParseOtherTimestampShape(std::string_view field);
/// The line with every `alternateSeparator` replaced by `localeSeparator`.
std::string NormalizeSeparators(std::string_view line, char localeSeparator,
                                char alternateSeparator);

/// The parser as the rule reads step by step: normalise, split into fields, rebuild the day-first
/// date text, convert and store at `nextMeasurementIndex`. `line` is replaced by its normalised
/// form. Kept as the reference that the allocation-free parser is tested against.
LineOutcome ParseExportLine(std::string &line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables);

/// What StoreExportLine may carry from one line to the next of the same file: the last valid
/// date it read in the usual shape, so that the many lines of one day convert their date once.
struct ExportLineMemory {
    int year = -1; ///< -1: nothing remembered (never the year of a date read)
    int month = 0;
    int day = 0;
    std::int64_t dayNumber = 0;
};

/// The 12-hour clock: when the text after a timestamp's minutes (`tail`) holds "AM" or "PM" in
/// any case, an hour from 1 to 12 is read as morning or afternoon (12 AM is 00, 12 PM is 12).
/// Other hours, and timestamps without either mark, are left as they are.
DateTime ApplyMeridiem(DateTime timestamp, std::string_view tail);

/// The same decisions as StoreExportLine without storing: on Stored, `reading` holds the line's
/// reading; on Malformed, `fault` says why. Never Malformed for want of room: the caller checks
/// that. The value is taken from field `valueField` (2 or more).
LineOutcome ReadExportLine(std::string_view line, char localeSeparator, char alternateSeparator,
                           std::int32_t valueField, ExportLineMemory &memory, Measurement &reading,
                           LineFault &fault);

/// The same decisions and the same stores as ParseExportLine, straight from the line's bytes
/// without copying or allocating. The separators of `tables` must be a locale separator and its
/// alternate ("," and ".", "." and ",", or any separator and character 0).
LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables);
/// The same, remembering between the lines of one file.
LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables, ExportLineMemory &memory);

} // namespace pelk
