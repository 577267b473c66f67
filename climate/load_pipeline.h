// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The load steps that the window and pelk-cli share, so that both compute the same rows from
/// the same file, and the options of the load that both take on their command line.
#pragma once

#include "climate/export_reader.h"
#include "climate/utc_offset.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelk {

/// What the user may set on either program's command line.
struct LoadOptions {
    std::optional<std::int16_t> utcOffsetHours; ///< instead of the detected offset
    bool utcOffsetLocalByDate = false;          ///< each day the local zone's offset of that day
    std::int32_t gapLimitMinutes = kDefaultGapLimitMinutes;
    std::int32_t valueField = kDefaultValueField; ///< the field of each line that holds the value
    bool valueFieldChosen = false; ///< valueField was said, and wins over the titles of any layout

    // For files in another layout than the export form.
    bool strict = false;          ///< the export form only: no other layout is recognised
    bool keepErrorValues = false; ///< a sensor's error values are read as readings
    std::optional<DateOrder> dateOrder;
    std::optional<std::int32_t> tnField; ///< Tn from this field, Tx from txField (or valueField)
    std::optional<std::int32_t> txField;
};

inline constexpr char kUtcOffsetOption[] = "--utc-offset";
inline constexpr char kMaxGapOption[] = "--max-gap";
inline constexpr char kDateOrderOption[] = "--date-order";
inline constexpr char kTnColumnOption[] = "--tn-column";
inline constexpr char kTxColumnOption[] = "--tx-column";
inline constexpr char kColumnOption[] = "--column";
inline constexpr char kStrictOption[] = "--strict";
inline constexpr char kKeepErrorValuesOption[] = "--keep-error-values";
/// The highest field --column may name: an export line holds at most kMaxDataLineLength bytes,
/// so at most one field more.
inline constexpr std::int32_t kLastValueField = static_cast<std::int32_t>(kMaxDataLineLength) + 1;
/// The highest field number an option may name: a line holds at most one field more than bytes.
inline constexpr std::int32_t kLastField = 65537;

/// Whether `option` is one that SetLoadOption takes (with a value).
bool IsLoadOptionWithValue(std::string_view option);

/// Takes the value of `--utc-offset` (whole hours from -12 to +14, or "local-by-date"), of
/// `--max-gap` (whole minutes, 0 or more), of `--date-order` or of a column option into
/// `options`. The error to show when the value is
/// wrong or the option unknown; nothing when taken.
std::optional<std::string> SetLoadOption(LoadOptions &options, std::string_view option,
                                         std::string_view value);

/// Reads a command line of load options, each "--name value" or "--name=value", into `options`,
/// and the file names (anything that does not start with "-") into `files`; the error to show
/// for anything else.
std::optional<std::string> ParseLoadArguments(std::span<const std::string> args,
                                              LoadOptions &options,
                                              std::vector<std::string> &files);
/// The same for a command line of at most one file name.
std::optional<std::string> ParseLoadArguments(std::span<const std::string> args,
                                              LoadOptions &options,
                                              std::optional<std::string> &file);

/// What is settled before a file is chosen: the decimal separators, then the UTC offset, which
/// the options may then set instead.
void PrepareLoad(ProgramTables &tables, char localeSeparator, const ClockReading &clock,
                 const LoadOptions &options = {});

/// Reads the file in the export form and, when it held readings, computes the day rows; a file
/// written newest first is taken in time order.
ReadResult LoadExport(const std::filesystem::path &path, ProgramTables &tables);
/// The same for an export already in memory.
ReadResult LoadExportBytes(std::string_view bytes, ProgramTables &tables);

} // namespace pelk
