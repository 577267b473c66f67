// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"

#include "climate/load_pipeline.h"
#include "climate/platform.h"
#include "layouts/layout_note.h"
#include "layouts/layout_reader.h"
#include "record/record.h"
#include "results/list_file.h"
#include "results/list_view.h"
#include "results/results_list.h"
#include "results/season.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelk {
namespace {

constexpr std::string_view kHelp =
    R"(Usage: pelk-cli [OPTION]... FILE...

Reads a temperature logger's tab-separated export (a header line, then lines of
"MM/DD/YYYY hh:mm<TAB>value") and writes, for every calendar day from the first
reading's day to the last's, the day, Tn (lowest reading from 18:00 UTC the day
before to 18:00 UTC) and Tx (highest reading from 06:00 UTC to 06:00 UTC the next
day), exactly as the Pelk window copies them to the clipboard:
  Date<TAB>Tn<TAB>Tx<TAB><CR><LF>, then one "day<TAB>Tn<TAB>Tx<CR><LF>" line a day.
A timestamp followed by AM or PM is read on the 12-hour clock; month and day of
one digit ("3/5/2008 2:30"), seconds and their fractions (dropped) are read too,
and so are UTF-16 files that start with a byte-order mark. A window without
readings shows 100 (Tn) or -100 (Tx), which is no measurement.

A file that the export form refuses, or in which it finds no reading, is read
in its own layout when one is found: a separator TAB, ";", "," or blanks
(quoted fields too), the data found by its shape among reports, notes, comments
and closing text, the timestamp in any field or in several (day, month or year
first, month names, ISO 8601, Unix seconds), the temperature column named by
its titles (Tn from a minimum and Tx from a maximum column), an offset from UTC
or a zone's name written in the file, degrees F and kelvin turned into degrees
C, a sensor's error values passed over. How it was read goes to standard error
in one "pelk-cli: note: read as ..." line.

Several files (downloads of one logger, in any order) are read as one record:
each as it is read alone, then all readings on one time line in time order.
A reading that two files hold (the same instant, the same value) counts once;
one instant with two values keeps both, with a warning. Standard error gets
one note per file (its span, readings and how it was read), one for the record
(readings counted once, repeated ones, whether the files' clocks or titles
differ; when they use different clocks every reading goes on UTC and the days
are UTC days) and one for each stretch between files without a reading longer
than the gap limit. A refused file ends the run with its refusal, named.

Numbers use the decimal separator of the locale in LC_ALL, LC_NUMERIC or LANG;
the UTC offset (0, 1 or 2 hours) is that of the local zone (TZ) right now.

  --sort COLUMN[:asc|:desc]  order the lines by Date, Tn or Tx (any case),
                             numerically for Tn and Tx; ascending by default.
                             The order is the one that clicks on the
                             window's column header give.
  --details                  add, after Tx, for each day: Tn_time and Tx_time
                             (YYYY-MM-DD hh:mm of the extreme, empty for an
                             empty window), night_readings and day_readings
                             (readings counted), night_gap_min and day_gap_min
                             (longest stretch of the window without a reading,
                             in minutes, a started minute counting whole),
                             night_complete and day_complete (1 when that
                             stretch is at most the gap limit, else 0).
  --max-gap MINUTES          the gap limit of --details (default 60).
  --column N                 take the value from field N of each line (fields
                             are separated by TAB, the timestamp is field 1;
                             default 2), for exports of several sensors; in
                             another layout, the temperature's field.
  --tn-column N, --tx-column N
                             in another layout, Tn from field N and Tx from
                             field N (a minimum and a maximum column).
  --date-order dmy|mdy|ymd   in another layout, the order of day, month and
                             year, where the file cannot tell.
  --format tsv|csv|meteofrance
                             tsv (the default): the window's clipboard text;
                             csv: for a spreadsheet, ';'-separated, UTF-8 with
                             a byte-order mark, with each day's times of the
                             extremes (UTC), readings and completeness;
                             meteofrance: Meteo-France's daily open-data layout
                             AAAAMMJJ;TN;QTN;HTN;TX;QTX;HTX (quality 1 for a
                             complete window, 2 for an incomplete one).
  --strict                   the export form only: refuse any other layout.
  --keep-error-values        read the values a sensor writes when it has no
                             reading (-270, -127, -200, +-999 and beyond, a
                             power-on 85) as readings; by default they are
                             passed over, and only told in the export form.
  --utc-offset HOURS         use this offset (whole hours, -12 to 14) instead
                             of the detected one.
  --utc-offset local-by-date each day's windows use the offset of the local
                             zone (TZ) in force that day, for loggers that
                             follow summer time.
  --monthly                  instead of the days, the monthly summary: one line
                             per calendar month with days with Tn and with Tx,
                             mean Tn, mean Tx, mean (Tn+Tx)/2 (one decimal),
                             lowest Tn and its date, highest Tx and its date,
                             the days with Tn <= -10, Tn <= -5, Tn <= 0, Tx <= 0,
                             Tx >= 25, Tx >= 30, Tx >= 35, Tn >= 20, the days
                             missing, and 1 when the month is complete (fewer
                             than 11 days missing, fewer than 5 in a row).
                             Only complete windows count (see --max-gap).
  --help                     this text.
  --version                  the version of pelk-cli.

Warnings go to standard error, each line starting "pelk-cli: warning:", and
leave the exit status alone: readings that a backwards jump in time hides from
the computation, valid readings after the first empty line (where reading
stops), days beyond the 5000 listed, and a span that crosses a change of the
local zone's UTC offset.

Exit status: 0 the table was written (the header line alone when the file holds
no readings); 1 the file could not be read (the reason on standard error);
2 a malformed line ("Mauvais format de fichier !  Utilisez l'export Excel" on
standard error, then "pelk-cli: line N: REASON: 'TEXT'" with the first such
line's number, what is wrong with it - no TAB, not a date, not a number, line
too long, more than 1,000,000 readings - and its first 80 characters; nothing
on standard output); 64 a wrong command line.
)";

std::string_view FaultText(LineFault fault) {
    switch (fault) {
    case LineFault::NoTab:
        return "no TAB";
    case LineFault::NotADate:
        return "not a date";
    case LineFault::NotANumber:
        return "not a number";
    case LineFault::LineTooLong:
        return "line too long";
    case LineFault::TooManyReadings:
        return "more than 1,000,000 readings";
    case LineFault::DateOrderUnknown:
        return "day or month first? the dates read both ways: say it with --date-order "
               "dmy|mdy|ymd";
    case LineFault::ReadingBeforeData:
        return "a reading above the data, which would be passed over: say where the data starts "
               "in the window's reading dialog";
    case LineFault::None:
        break;
    }
    return "bad format";
}

struct SortRequest {
    std::string column;     ///< a header text, compared without regard to case
    std::int16_t order = 0; ///< the list's SortOrder: 0 ascending, 1 descending
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

/// "COLUMN", "COLUMN:asc" or "COLUMN:desc"; the column is checked against the list's headers.
std::optional<SortRequest> ParseSortValue(std::string_view value) {
    SortRequest request;
    const std::size_t colon = value.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view direction = value.substr(colon + 1);
        if (EqualIgnoringCase(direction, "desc"))
            request.order = 1;
        else if (!EqualIgnoringCase(direction, "asc"))
            return std::nullopt;
        value = value.substr(0, colon);
    }
    for (const std::string_view known : {"Date", "Tn", "Tx"})
        if (EqualIgnoringCase(value, known))
            request.column = known;
    if (request.column.empty())
        return std::nullopt;
    return request;
}

/// Sorts as the window does: header clicks, a second one when the first gave the other direction.
void SortLikeTheWindow(ListView &list, const SortRequest &request, char localeSeparator) {
    for (std::int32_t c = 1; c <= list.columnCount(); ++c) {
        if (!EqualIgnoringCase(list.ColumnHeaders(c).Text, request.column))
            continue;
        Lv_ColumnClick(list, c, localeSeparator);
        if (list.SortOrder() != request.order)
            Lv_ColumnClick(list, c, localeSeparator);
        return;
    }
}

// "2008-03-05 06:00".
std::string DateText(DateTime value) {
    const CivilDateTime t = SplitDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

// The same, or nothing for a window without readings.
std::string ExtremeTimeText(const WindowFacts &window) {
    return window.readingCount == 0 ? std::string() : DateText(window.extremeTime);
}

// The facts of each day's windows, as columns after Tx; they move with their rows when sorted.
void AddDetailColumns(ListView &list) {
    for (const char *title : {"Tn_time", "Tx_time", "night_readings", "day_readings",
                              "night_gap_min", "day_gap_min", "night_complete", "day_complete"})
        list.addColumn(title, "", 0, Alignment::Left);
}

void FillDetailColumns(ListView &list, const ProgramTables &tables) {
    const auto rows =
        std::min<std::size_t>(tables.DayFactsTable.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < rows; ++i) {
        const WindowFacts &night = tables.DayFactsTable[i].night;
        const WindowFacts &day = tables.DayFactsTable[i].day;
        const std::int32_t limit = tables.GapLimitMinutes;
        const std::string cells[] = {ExtremeTimeText(night),
                                     ExtremeTimeText(day),
                                     std::to_string(night.readingCount),
                                     std::to_string(day.readingCount),
                                     std::to_string(night.longestGapMinutes()),
                                     std::to_string(day.longestGapMinutes()),
                                     night.complete(limit) ? "1" : "0",
                                     day.complete(limit) ? "1" : "0"};
        ListItem &row = list.Item(static_cast<std::int32_t>(i) + 1);
        for (std::size_t c = 0; c < std::size(cells); ++c)
            row.cell(3 + c).Text = cells[c];
    }
}

void WriteClipboardText(const ProgramTables &tables, const std::optional<SortRequest> &sort,
                        bool details, ListFileFormat format, std::ostream &out) {
    ListView list;
    AddResultColumns(list);
    if (details)
        AddDetailColumns(list);
    // As in the window, the list is filled only when the file held readings.
    if (tables.MeasurementCount != 0)
        FillResultsList(list, tables);
    if (details)
        FillDetailColumns(list, tables);
    if (sort)
        SortLikeTheWindow(list, *sort, tables.LocaleDecimalSeparator);
    out << ListFileText(list, tables, format);
}

std::string OffsetText(int seconds) {
    char text[16];
    const int minutes = std::abs(seconds) / 60;
    if (minutes % 60 == 0)
        std::snprintf(text, sizeof text, "UTC%c%d", seconds < 0 ? '-' : '+', minutes / 60);
    else
        std::snprintf(text, sizeof text, "UTC%c%d:%02d", seconds < 0 ? '-' : '+', minutes / 60,
                      minutes % 60);
    return text;
}

// What the rows leave out, or may get wrong, without making the run a failure.

void WriteWarnings(const ProgramTables &tables, const ExportLoad &load, const LoadOptions &options,
                   std::ostream &err) {
    constexpr std::string_view kWarning = "pelk-cli: warning: ";
    const ReadResult &read = load.read;
    const LayoutReadFacts &facts = load.facts;
    if (facts.outOfOrder > 0)
        err << kWarning << facts.outOfOrder << " reading(s) out of time order, from line "
            << facts.firstOutOfOrderLine << " (" << DateText(facts.earliestOutOfOrder) << " to "
            << DateText(facts.latestOutOfOrder)
            << "): the file goes back in time; they are counted in time order\n";
    const DailyReport &left = tables.DailyLeftOut;
    if (left.uncounted.count > 0)
        err << kWarning << left.uncounted.count
            << " reading(s) not counted: the file goes back in time and the computation does "
               "not see them (first at line "
            << read.readingLines.earlierLineOf(left.uncounted.first, left.uncounted.last) << ")\n";
    if (left.outsideWindows.count > 0)
        err << kWarning << left.outsideWindows.count
            << " reading(s) not counted: at this UTC offset they fall in no listed day's night or "
               "day window (first at line "
            << read.readingLines.earlierLineOf(left.outsideWindows.first, left.outsideWindows.last)
            << ")\n";
    if (read.readingsAfterEnd > 0)
        err << kWarning << read.readingsAfterEnd
            << " valid reading(s) after the first empty line not read, from line "
            << read.firstLineAfterEnd << ": reading stops at the first empty line\n";
    if (left.daysBeyondCapacity > 0)
        err << kWarning << left.daysBeyondCapacity << " day(s) beyond the " << kDayCapacity
            << " listed\n";
    if (tables.MeasurementCount == 0) {
        err << kWarning << "no reading found";
        if (load.emptyLineStop > 0)
            err << ": reading stopped at the empty line " << load.emptyLineStop;
        err << '\n';
    }
    if (!load.layout && facts.errorValueCount() > 0) {
        err << kWarning << facts.errorValueCount() << " reading(s) hold a sensor's error value ("
            << ErrorValueList(facts, "x", '.') << "), listed as readings on";
        for (const std::int64_t day : facts.errorValueDays)
            err << ' ' << FormatDayLabel(static_cast<double>(day));
        err << "; other layouts pass such values over\n";
    }
    const bool offsetFromFile =
        load.layout && (load.layout->offsetSource == OffsetSource::Titles ||
                        load.layout->offsetSource == OffsetSource::Zone ||
                        load.layout->offsetSource == OffsetSource::Timestamps ||
                        load.layout->offsetSource == OffsetSource::UnixSeconds);
    if (tables.MeasurementCount == 0 || tables.DayCount == 0 || options.utcOffsetHours ||
        options.utcOffsetLocalByDate || offsetFromFile)
        return;
    const std::int64_t firstDay = CalendarDay(tables.MeasurementTable.at(1).Timestamp);
    if (const auto change = FirstZoneOffsetChange(firstDay, firstDay + tables.DayCount - 1))
        err << kWarning << "the local zone's UTC offset changes on "
            << FormatDayLabel(static_cast<double>(*change)) << " (to "
            << OffsetText(ZoneOffsetSecondsOn(*change)) << "); every day used "
            << OffsetText(tables.UtcOffsetHours * 3600)
            << " (--utc-offset local-by-date follows the change)\n";
}

void WriteRefusal(const ReadResult &result, std::string_view file, std::ostream &err) {
    err << kBadFormatMessage << '\n' << "pelk-cli: ";
    if (!file.empty())
        err << file << ": ";
    err << "line " << result.lineNumber << ": " << FaultText(result.fault);
    if (file.empty() || !result.lineText.empty())
        err << ": '" << result.lineText << "'";
    err << '\n';
}

int WriteCannotRead(const ReadResult &result, std::string_view file, std::ostream &err) {
    err << "pelk-cli: cannot read '" << file << "': " << result.reason << '\n';
    return kExitCannotRead;
}

// A file's own warnings within a record: what its reading left out or put right.
void WriteFileWarnings(const RecordFile &file, const LoadOptions &options, std::ostream &err) {
    const std::string prefix = "pelk-cli: warning: " + file.name + ": ";
    const LayoutReadFacts &facts = file.load.facts;
    if (file.readings.empty())
        err << prefix << "no reading found\n";
    if (facts.outOfOrder > 0)
        err << prefix << facts.outOfOrder << " reading(s) out of time order, from line "
            << facts.firstOutOfOrderLine << "; the record is in time order\n";
    if (file.load.read.readingsAfterEnd > 0)
        err << prefix << file.load.read.readingsAfterEnd
            << " valid reading(s) after the first empty line not read, from line "
            << file.load.read.firstLineAfterEnd << ": reading stops at the first empty line\n";
    if (!file.load.layout && facts.errorValueCount() > 0 && !options.keepErrorValues)
        err << prefix << facts.errorValueCount() << " reading(s) hold a sensor's error value ("
            << ErrorValueList(facts, "x", '.') << "), listed as readings\n";
}

std::string ValueText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// One note per file, one for the record, one per stretch between files without a reading.
void WriteRecordAccount(const Record &record, const ProgramTables &tables,
                        const LoadOptions &options, std::ostream &err) {
    constexpr std::string_view kNote = "pelk-cli: note: ";
    for (const RecordFile &file : record.files) {
        err << kNote << file.name << ": ";
        if (file.readings.empty())
            err << "no reading";
        else
            err << DateText(file.first) << " to " << DateText(file.last) << ", "
                << file.readings.size() << " reading(s)";
        if (file.load.layout)
            err << ", read as " << LayoutNote(*file.load.layout, file.load.facts);
        else
            err << ", in the export form";
        err << '\n';
    }
    err << kNote << "record of " << record.files.size() << " files: " << record.readingsCounted()
        << " reading(s) counted once, " << record.repeated << " repeated in another file left out";
    if (record.onUtc)
        err << "; the files' clocks differ: every reading is on UTC, the days are UTC days";
    if (record.loggersDiffer)
        err << "; the files' titles differ (another logger, or other columns?)";
    err << '\n';
    for (const RecordGap &gap : record.gaps)
        err << kNote << "no reading from " << DateText(gap.from) << " to " << DateText(gap.to)
            << " (between " << record.files[gap.before].name << " and "
            << record.files[gap.after].name << ")\n";
    if (const RecordConflicts &c = record.conflicts; c.count > 0)
        err << "pelk-cli: warning: " << c.count
            << " instant(s) with different values in two files, first at "
            << DateText(c.firstInstant) << " (" << record.files[c.firstFile].name << ": "
            << ValueText(c.firstValue) << ", " << record.files[c.secondFile].name << ": "
            << ValueText(c.secondValue) << "); both values are kept\n";
    for (const RecordFile &file : record.files)
        WriteFileWarnings(file, options, err);
    if (tables.DailyLeftOut.daysBeyondCapacity > 0)
        err << "pelk-cli: warning: " << tables.DailyLeftOut.daysBeyondCapacity
            << " day(s) beyond the " << kDayCapacity << " listed\n";
    if (tables.MeasurementCount == 0)
        err << "pelk-cli: warning: no reading found in any file\n";
}

} // namespace

int RunCli(std::span<const std::string_view> args, char localeSeparator, const ClockReading &clock,
           std::ostream &out, std::ostream &err) {
    std::vector<std::string_view> files;
    std::optional<SortRequest> sort;
    bool details = false;
    bool monthly = false;
    ListFileFormat format = ListFileFormat::Clipboard;
    LoadOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return kExitOk;
        }
        if (arg == "--version") {
            out << "pelk-cli " << PELK_VERSION << '\n';
            return kExitOk;
        }
        if (arg == "--details" || arg == "--monthly") {
            (arg == "--details" ? details : monthly) = true;
            continue;
        }
        // Options with a value: "--name value" or "--name=value".
        const std::string_view name = arg.substr(0, arg.find('='));
        if (arg == kStrictOption || arg == kKeepErrorValuesOption) {
            (arg == kStrictOption ? options.strict : options.keepErrorValues) = true;
            continue;
        }
        if (name == "--sort" || name == "--format" || IsLoadOptionWithValue(name)) {
            std::string_view value;
            if (name.size() < arg.size()) {
                value = arg.substr(name.size() + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                err << "pelk-cli: " << name << " needs a value (see pelk-cli --help)\n";
                return kExitUsage;
            }
            if (name == "--format") {
                const auto named = ListFileFormatNamed(value);
                if (!named) {
                    err << "pelk-cli: bad --format value '" << value
                        << "': use tsv, csv or meteofrance\n";
                    return kExitUsage;
                }
                format = *named;
                continue;
            }
            if (name != "--sort") {
                if (const auto error = SetLoadOption(options, name, value)) {
                    err << "pelk-cli: " << *error << "\n";
                    return kExitUsage;
                }
                continue;
            }
            sort = ParseSortValue(value);
            if (!sort) {
                err << "pelk-cli: bad --sort value '" << value
                    << "': use Date, Tn or Tx, optionally followed by :asc or :desc\n";
                return kExitUsage;
            }
            continue;
        }
        if (arg.starts_with("-")) {
            err << "pelk-cli: unexpected argument '" << arg << "' (see pelk-cli --help)\n";
            return kExitUsage;
        }
        files.push_back(arg);
    }
    if (files.empty()) {
        err << "pelk-cli: no file given (see pelk-cli --help)\n";
        return kExitUsage;
    }
    if (format != ListFileFormat::Clipboard && (details || monthly)) {
        err << "pelk-cli: --format csv or meteofrance writes the list alone, without --details or "
               "--monthly\n";
        return kExitUsage;
    }

    const auto tables = std::make_unique<ProgramTables>();
    PrepareLoad(*tables, localeSeparator, clock, options);
    tables->WindowFactsWanted = details || monthly || format != ListFileFormat::Clipboard;
    auto writeList = [&] {
        if (monthly)
            out << TabSeparatedText(MonthlySummaryOf(*tables));
        else
            WriteClipboardText(*tables, sort, details, format, out);
    };
    if (files.size() > 1) {
        std::vector<NamedPath> named;
        for (const std::string_view name : files)
            named.push_back({platform::PathFromUtf8(name), std::string(name)});
        std::vector<RecordFileRead> reads =
            ReadRecordFiles(named, options, [&](ProgramTables &fileTables) {
                PrepareLoad(fileTables, localeSeparator, clock, options);
            });
        std::vector<RecordFile> read;
        for (std::size_t i = 0; i < reads.size(); ++i) {
            if (reads[i].file) {
                read.push_back(std::move(*reads[i].file));
                continue;
            }
            if (reads[i].load.read.status != ReadResult::Status::BadFormat)
                return WriteCannotRead(reads[i].load.read, files[i], err);
            WriteRefusal(reads[i].load.read, files[i], err);
            return kExitBadFormat;
        }
        const Record record = MergeRecord(std::move(read), *tables);
        if (record.refusedFile) {
            WriteRefusal(record.refusal, record.files[*record.refusedFile].name, err);
            return kExitBadFormat;
        }
        WriteRecordAccount(record, *tables, options, err);
        writeList();
        return kExitOk;
    }
    const std::string_view file = files.front();
    const ExportLoad load = LoadAnyExport(platform::PathFromUtf8(file), *tables, options);
    const ReadResult &result = load.read;
    if (load.layout && result.status == ReadResult::Status::Loaded)
        err << "pelk-cli: note: read as " << LayoutNote(*load.layout, load.facts) << '\n';
    switch (result.status) {
    case ReadResult::Status::Loaded:
        WriteWarnings(*tables, load, options, err);
        writeList();
        return kExitOk;
    case ReadResult::Status::BadFormat:
        WriteRefusal(result, {}, err);
        return kExitBadFormat;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        break;
    }
    return WriteCannotRead(result, file, err);
}

} // namespace pelk
