// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Reading a file with a known layout into the measurement table, and the load that both
/// programs run: the export form first, exactly as always; only when it refuses a file, the
/// file's own layout, recognised from its bytes, then read with it through the same daily step.
#pragma once

#include "climate/export_reader.h"
#include "climate/load_pipeline.h"
#include "layouts/layout.h"
#include "layouts/recognise.h"
#include "layouts/text.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace pelk {

/// Longest line of a recognised file: wide station exports write a few hundred bytes a line.
inline constexpr std::size_t kMaxLayoutLineLength = 65536;

/// What a reading with a layout passed over or put right, for the note and the warnings.
struct LayoutReadFacts {
    std::int64_t rowsWithoutValue = 0; ///< a timestamp and an empty value cell (logger events)
    std::int64_t firstRowWithoutValue = 0;
    std::int64_t emptyRows =
        0; ///< empty lines, or lines without a timestamp, after the first reading
    /// Text among the readings: a comment or a remark ("# probe moved", "// clock set").
    std::int64_t textRows = 0;
    std::int64_t firstTextRow = 0;
    /// Dated lines before the data that hold no reading (a table of log notes).
    std::int64_t datedLinesBefore = 0;
    std::int64_t firstDatedLineBefore = 0;
    /// Lines of text after the data ("download complete"), empty lines not counted.
    std::int64_t linesAfter = 0;
    std::int64_t firstLineAfter = 0;

    /// Values that a sensor writes when it has no reading, passed over (or, in the export form,
    /// only told): each value as written, with how many times it came.
    std::vector<std::pair<double, std::int64_t>> errorValues;
    /// The days that hold such a value, in the export form, where they stay in the list.
    std::vector<std::int64_t> errorValueDays;
    std::int64_t errorValueCount() const;

    /// Readings that come before an earlier line's time (a clock reset, a file sorted otherwise):
    /// put into time order, and told.
    std::int64_t outOfOrder = 0;
    std::int64_t firstOutOfOrderLine = 0;
    DateTime earliestOutOfOrder = 0;
    DateTime latestOutOfOrder = 0;
    bool newestFirst = false; ///< the whole file ran backwards: turned round silently

    /// Tx's readings when Tn and Tx come from two columns, entry i at index i - 1.
    std::vector<float> maximumValues;
};

/// Reads `lines` (the whole file as text) with `layout` into `tables`, in time order, and sets
/// MeasurementCount (0 on a refusal). Readings that carry their own offset, or Unix seconds, are
/// placed on UTC; so are readings of a file whose stated offset is not a whole number of hours.
ReadResult ReadWithLayout(const std::vector<std::string_view> &lines, const Layout &layout,
                          ProgramTables &tables, LayoutReadFacts &facts);

/// The days of readings whose Tn and Tx come from two columns: the table's values are the minima,
/// and are again afterwards; `maxima` (entry i at index i - 1) the maxima.
void ComputeDaysFromTwoColumns(ProgramTables &tables, const std::vector<float> &maxima);

struct ExportLoad {
    ReadResult read;
    std::optional<Layout> layout; ///< set when the file was read in a layout of its own
    LayoutReadFacts facts;
    /// With no reading found in the export form: the empty line where its reading stopped, or 0
    /// when it read to the end of the file.
    std::int64_t emptyLineStop = 0;
    /// For a refused file: where the reading dialog starts, to put the reading right.
    LayoutChoices readOtherwise;
    /// The rules of the zone the file names as its clock, when it names one known here.
    std::shared_ptr<const ZoneRules> zoneRules;
};

/// What the load options choose of a layout (--date-order, --column, ...).
LayoutChoices ChoicesFromOptions(const LoadOptions &options);

/// The export form; when it refuses the file and `options.strict` is not set, the file's own
/// layout, found under `choices` (else those of `options`). The days are computed when readings
/// were loaded. A refusal is the export form's own unless the file was recognised in another
/// layout.
ExportLoad LoadAnyExport(const std::filesystem::path &path, ProgramTables &tables,
                         const LoadOptions &options);
/// The same for a file already in memory.
ExportLoad LoadAnyExportBytes(std::string_view bytes, ProgramTables &tables,
                              const LoadOptions &options);
ExportLoad LoadAnyExport(const std::filesystem::path &path, ProgramTables &tables,
                         const LoadOptions &options, const LayoutChoices &choices);
ExportLoad LoadAnyExportBytes(std::string_view bytes, ProgramTables &tables,
                              const LoadOptions &options, const LayoutChoices &choices);

/// Below this many bytes a second thread costs more than it saves in cutting a text into lines.
inline constexpr std::size_t kBytesWorthTwoHalves = std::size_t{8} << 20;

/// What SplitLines gives, for a text of `bytesWorthTwoHalves` or more cut in two halves side by
/// side, at a line feed near its middle.
std::vector<std::string_view> LinesOf(std::string_view text,
                                      std::size_t bytesWorthTwoHalves = kBytesWorthTwoHalves);

/// A file's text cut into lines, kept to be recognised again under other choices.
class FileText {
  public:
    const std::vector<std::string_view> &lines() const { return lines_; }
    TextEncoding encoding() const { return decoded_.encoding; }

  private:
    friend std::unique_ptr<const FileText> ReadFileText(const std::filesystem::path &path);
    LargeBytes bytes_;
    DecodedText decoded_; // views into bytes_
    std::vector<std::string_view> lines_;
};

/// Nothing when the file cannot be read whole.
std::unique_ptr<const FileText> ReadFileText(const std::filesystem::path &path);

/// How one line from the first data line on reads under a layout, for a preview.
struct PreviewRow {
    enum class Kind { Reading, NoValue, Empty, Refused };
    std::int64_t line = 0;
    Kind kind = Kind::Empty;
    DateTime time = 0;
    float value = 0;
    std::optional<float> maximum; ///< Tx's value when Tn and Tx come from two columns
    LineFault fault = LineFault::NotADate;
};

/// The first `count` lines from `layout.firstDataLine`, each read alone.
std::vector<PreviewRow> PreviewRows(const std::vector<std::string_view> &lines,
                                    const Layout &layout, std::size_t count);

} // namespace pelk
