// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// A logger's record: several downloads read as one. Each file is read as it is read alone (its
/// own layout, clock and unit); then their readings go on one time line, in time order, a reading
/// that two files hold (the same instant, the same value) counted once, and the days are computed
/// once for the whole. What the files held in common, where they disagree and where none of them
/// has readings is kept for the account that both programs give.
#pragma once

#include "climate/load_pipeline.h"
#include "layouts/layout_reader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelk {

/// The clock a file's readings are written on, as its load settled it.
struct FileClock {
    std::int16_t hours = 0;
    bool localByDate = false;
    std::string zone; ///< the zone a file names as its clock, else empty
    friend bool operator==(const FileClock &, const FileClock &) = default;
};

/// One file of a record, read alone.
struct RecordFile {
    std::string name; ///< as the user named it (a path, as given)
    ExportLoad load;  ///< how it was read; its reading lines number its readings below
    std::vector<Measurement> readings; ///< in the table's order after its load
    std::vector<float> maxima;         ///< Tx's readings where Tn and Tx come from two columns
    FileClock clock;
    std::string loggerTitles; ///< what names its logger: the titles of its columns
    DateTime first = 0;       ///< its earliest reading, on its own clock
    DateTime last = 0;        ///< its latest
};

/// Two files that give the same instant different values.
struct RecordConflicts {
    std::int64_t count = 0; ///< instants with more than one value
    DateTime firstInstant = 0;
    std::size_t firstFile = 0; ///< indexes into Record::files
    std::size_t secondFile = 0;
    float firstValue = 0;
    float secondValue = 0;
};

/// A stretch longer than the gap limit between files, where none of them has a reading.
struct RecordGap {
    DateTime from = 0; ///< the last reading before it
    DateTime to = 0;   ///< the first reading after it
    std::size_t before = 0;
    std::size_t after = 0;
};

struct Record {
    std::vector<RecordFile> files; ///< in time order of their first readings
    std::int64_t readingsRead = 0; ///< in all files
    std::int64_t repeated = 0;     ///< readings that an earlier file held too: counted once
    RecordConflicts conflicts;
    std::vector<RecordGap> gaps;
    /// The files' clocks differ: every reading was put on UTC, and the days are UTC days.
    bool onUtc = false;
    bool loggersDiffer = false; ///< the files' titles name different loggers or columns
    /// On a refusal: the file that went past the table's room, its line, and the reason.
    std::optional<std::size_t> refusedFile;
    ReadResult refusal;

    std::int64_t readingsCounted() const { return readingsRead - repeated; }
};

/// Reads one file as the programs read one file alone, then keeps its readings and how it was
/// read. `tables` are prepared for a load (PrepareLoad) and come back as they went in.
struct RecordFileRead {
    std::optional<RecordFile> file; ///< nothing when it was refused
    ExportLoad load;                ///< the refusal, when it was
};
RecordFileRead ReadRecordFile(const std::filesystem::path &path, std::string name,
                              ProgramTables &tables, const LoadOptions &options);
RecordFileRead ReadRecordFileBytes(std::string_view bytes, std::string name, ProgramTables &tables,
                                   const LoadOptions &options);

/// Reads `files` (each a path and the name to show) as ReadRecordFile does, two at once on a
/// machine of two cores or more, each reader in tables of its own that `prepare` sets up as for
/// one file; in the order given.
struct NamedPath {
    std::filesystem::path path;
    std::string name;
};
std::vector<RecordFileRead> ReadRecordFiles(const std::vector<NamedPath> &files,
                                            const LoadOptions &options,
                                            const std::function<void(ProgramTables &)> &prepare);

/// A file read from `path` and already loaded into `tables` (as the window loads one, with its
/// logger's kept choices), taken into a record.
RecordFile RecordFileOf(std::string name, ExportLoad load, const ProgramTables &tables,
                        const std::filesystem::path &path);

/// Puts the files' readings on one time line into `tables` and computes the days. A record that
/// holds more readings than the table is refused (`refusedFile` set) and leaves no reading.
Record MergeRecord(std::vector<RecordFile> files, ProgramTables &tables);

/// In French, for the window's box: the files in time order, each with its span, its readings
/// and how it was read; the readings counted once, those that disagree, the gaps.
std::string RecordAccount(const Record &record, char decimalSeparator);

} // namespace pelk
