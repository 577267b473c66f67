/// \file
/// One data line of a logger's tab-separated export into one reading. The line's first field is a
/// month-first timestamp (03/15/2008 14:30, read by character position), the second the value;
/// further fields are ignored. Both decimal separators are accepted in the value.
#pragma once

#include "climate/tables.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pelk {

enum class LineOutcome {
    Stored,   ///< one reading stored, index advanced
    Skipped,  ///< empty first field: nothing stored, index unchanged
    Malformed ///< the bad-format end: the whole load is void
};

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
/// reading. Never Malformed for want of room: the caller checks that.
LineOutcome ReadExportLine(std::string_view line, char localeSeparator, char alternateSeparator,
                           ExportLineMemory &memory, Measurement &reading);

/// The same decisions and the same stores as ParseExportLine, straight from the line's bytes
/// without copying or allocating. The separators of `tables` must be a locale separator and its
/// alternate ("," and ".", "." and ",", or any separator and character 0).
LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables);
/// The same, remembering between the lines of one file.
LineOutcome StoreExportLine(std::string_view line, std::int32_t &nextMeasurementIndex,
                            ProgramTables &tables, ExportLineMemory &memory);

} // namespace pelk
