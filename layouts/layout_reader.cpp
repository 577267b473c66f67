// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_reader.h"

#include "climate/daily_extremes.h"
#include "layouts/error_values.h"
#include "layouts/recognise.h"
#include "layouts/text.h"

#include <algorithm>
#include <fstream>
#include <future>
#include <memory>
#include <numeric>
#include <span>
#include <system_error>
#include <thread>

namespace pelk {
namespace {

// Larger than any logger's export, small enough to hold in memory at once.
constexpr std::uintmax_t kMaxRecognisedFileBytes = std::uintmax_t{1} << 30;

struct Instant {
    std::int64_t day = 0;
    int seconds = 0; ///< of the day
};

Instant Shifted(Instant at, int bySeconds) {
    std::int64_t total = at.day * kSecondsPerDay + at.seconds + bySeconds;
    Instant moved;
    moved.day =
        total >= 0 ? total / kSecondsPerDay : -((-total + kSecondsPerDay - 1) / kSecondsPerDay);
    moved.seconds = static_cast<int>(total - moved.day * kSecondsPerDay);
    return moved;
}

// The last date read and its day: most lines repeat the date of the line before, and parsing
// it again is most of a line's cost.
struct LastDate {
    std::string text;
    DatePieces pieces;
    std::optional<std::int64_t> day;
};

std::optional<StampPieces> StampOf(std::string_view field, const Layout &layout, LastDate &last) {
    if (!last.text.empty() && field.starts_with(last.text) &&
        (field.size() == last.text.size() ||
         !(field[last.text.size()] >= '0' && field[last.text.size()] <= '9')))
        return ParseStampAfterDate(field, last.pieces, last.text.size());
    auto stamp = ParseStampPieces(field);
    if (stamp) {
        last.text.assign(field.substr(0, stamp->dateLength));
        last.pieces = stamp->date;
        last.day = DayNumberOf(stamp->date, layout.dateOrder, layout.twoDigitYearBase);
    }
    return stamp;
}

// The timestamp of one data line, on the readings' clock (or UTC where the line says its offset).
std::optional<Instant> TimestampOf(const std::vector<std::string_view> &fields,
                                   const Layout &layout, bool useWrittenOffset, LastDate &last) {
    const auto at = static_cast<std::size_t>(layout.timestampField) - 1;
    auto field = [&](std::size_t k) -> std::string_view {
        return at + k < fields.size() ? fields[at + k] : std::string_view();
    };
    Instant instant;
    switch (layout.timestampKind) {
    case TimestampKind::OneField:
    case TimestampKind::DateThenTime: {
        const auto stamp = StampOf(field(0), layout, last);
        if (!stamp)
            return std::nullopt;
        const auto day = last.day;
        if (!day)
            return std::nullopt;
        instant.day = *day;
        instant.seconds = std::max(stamp->secondsOfDay, 0);
        if (layout.timestampKind == TimestampKind::DateThenTime) {
            if (stamp->secondsOfDay >= 0)
                return std::nullopt;
            const auto time = ParseTimeOfDay(field(1));
            if (!time)
                return std::nullopt;
            instant.seconds = *time;
        }
        if (stamp->offsetSeconds && useWrittenOffset)
            instant = Shifted(instant, -*stamp->offsetSeconds);
        return instant;
    }
    case TimestampKind::SixFields: {
        int piece[6] = {};
        for (std::size_t k = 0; k < 6; ++k) {
            const auto value = ParseSmallWholeNumber(field(k));
            if (!value) {
                if (k == 5 && field(k).empty())
                    break; // no seconds field
                return std::nullopt;
            }
            piece[k] = *value;
        }
        if (!IsValidCivilDate(piece[0], piece[1], piece[2]) || piece[3] > 23 || piece[4] > 59 ||
            piece[5] > 59)
            return std::nullopt;
        instant.day = DayNumberFromCivil(piece[0], piece[1], piece[2]);
        instant.seconds = piece[3] * 3600 + piece[4] * 60 + piece[5];
        return instant;
    }
    case TimestampKind::UnixSeconds: {
        const auto seconds = ParseUnixSeconds(field(0));
        if (!seconds)
            return std::nullopt;
        instant.day = DayNumberFromCivil(1970, 1, 1) + *seconds / kSecondsPerDay;
        instant.seconds = static_cast<int>(*seconds % kSecondsPerDay);
        return instant;
    }
    }
    return std::nullopt;
}

double InCelsius(double value, WrittenUnit unit) {
    if (unit == WrittenUnit::Fahrenheit)
        return (value - 32.0) * 5.0 / 9.0;
    if (unit == WrittenUnit::Kelvin)
        return value - 273.15;
    return value;
}

std::optional<float> Celsius(double value, WrittenUnit unit) {
    value = InCelsius(value, unit);
    if (!(std::abs(value) <= 3.4028234663852886e38))
        return std::nullopt;
    return static_cast<float>(value);
}

struct LineRefusal {
    ReadResult &result;
    bool operator()(std::int64_t lineNumber, std::string_view line, LineFault fault) const {
        result.status = ReadResult::Status::BadFormat;
        result.lineNumber = lineNumber;
        result.fault = fault;
        result.lineText = ShownLineText(line);
        return false;
    }
};

// The line of each of the first `count` readings, for the rare passes that move readings about.
std::vector<std::int64_t> EveryLine(const ReadingLines &lines, std::int32_t count) {
    std::vector<std::int64_t> every(static_cast<std::size_t>(count));
    for (std::int32_t i = 1; i <= count; ++i)
        every[static_cast<std::size_t>(i) - 1] = lines.lineOf(i);
    return every;
}

// Puts the readings in time order, stably, and tells what came out of order.
void PutInTimeOrder(ProgramTables &tables, ReadingLines &readingLines, LayoutReadFacts &facts) {
    const std::int32_t count = tables.MeasurementCount;
    const auto readings = tables.MeasurementTable.entries(1, count);
    if (std::is_sorted(
            readings.begin(), readings.end(),
            [](const Measurement &a, const Measurement &b) { return a.Timestamp < b.Timestamp; }))
        return;
    const std::vector<std::int64_t> lines = EveryLine(readingLines, count);
    facts.newestFirst = std::is_sorted(
        readings.begin(), readings.end(),
        [](const Measurement &a, const Measurement &b) { return a.Timestamp > b.Timestamp; });
    if (!facts.newestFirst) {
        DateTime latest = readings[0].Timestamp;
        for (std::size_t i = 1; i < readings.size(); ++i) {
            const DateTime t = readings[i].Timestamp;
            if (t >= latest) {
                latest = t;
                continue;
            }
            if (facts.outOfOrder++ == 0) {
                facts.firstOutOfOrderLine = lines[i];
                facts.earliestOutOfOrder = facts.latestOutOfOrder = t;
            }
            facts.earliestOutOfOrder = std::min(facts.earliestOutOfOrder, t);
            facts.latestOutOfOrder = std::max(facts.latestOutOfOrder, t);
        }
    }
    std::vector<std::int32_t> order(readings.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return readings[static_cast<std::size_t>(a)].Timestamp <
               readings[static_cast<std::size_t>(b)].Timestamp;
    });
    std::vector<Measurement> sorted(readings.size());
    std::vector<std::int64_t> sortedLines(readings.size());
    std::vector<float> sortedMaxima(facts.maximumValues.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto from = static_cast<std::size_t>(order[i]);
        sorted[i] = readings[from];
        sortedLines[i] = lines[from];
        if (!sortedMaxima.empty())
            sortedMaxima[i] = facts.maximumValues[from];
    }
    std::copy(sorted.begin(), sorted.end(), readings.begin());
    readingLines.setEveryLine(std::move(sortedLines));
    facts.maximumValues = std::move(sortedMaxima);
}

struct WholeFile {
    LargeBytes bytes;
    std::size_t size = 0;
    std::string_view view() const { return {bytes.get(), size}; }
};

std::optional<WholeFile> ReadWholeFile(const std::filesystem::path &path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxRecognisedFileBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    WholeFile file{AllocateLargeBytes(static_cast<std::size_t>(size)),
                   static_cast<std::size_t>(size)};
    in.read(file.bytes.get(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return file;
}

bool LooksLikeTheExportForm(const Layout &layout) {
    return layout.separator == '\t' && layout.timestampField == 1 &&
           layout.timestampKind == TimestampKind::OneField && layout.firstDataLine <= 2;
}

// What reading a run of data lines gives: its readings, written in file order into the table
// entries it was handed, each with its line, up to the first line refused.
struct RunOutcome {
    std::span<Measurement> into;
    std::size_t count = 0;     ///< readings written to `into`
    ReadingLines lines;        ///< the lines of the run without a reading, for each reading's line
    std::vector<float> maxima; ///< Tx's readings when Tn and Tx come from two columns
    std::optional<ReadResult> refusal;
    std::int64_t emptyRows = 0;
    std::int64_t rowsWithoutValue = 0;
    std::int64_t firstRowWithoutValue = 0;
    DateTime firstTimeWithoutValue = 0; ///< its timestamp, for a preview
    std::int64_t textRows = 0;
    std::int64_t firstTextRow = 0;
    std::vector<std::pair<double, std::int64_t>> errorValues;
};

void CountErrorValue(std::vector<std::pair<double, std::int64_t>> &counts, double value,
                     std::int64_t times = 1) {
    for (auto &[written, count] : counts)
        if (written == value) {
            count += times;
            return;
        }
    counts.emplace_back(value, times);
}

// Room for `count` entries, on huge pages when large: no copying as it grows, and a handful of
// page faults as it fills.
template <typename T> void ReserveLarge(std::vector<T> &items, std::size_t count) {
    items.reserve(count);
    PrepareLargeBlock(items.data(), items.capacity() * sizeof(T));
}

// Reads lines [from, to) into `into`; a reading past its end is one too many for the table.
RunOutcome ReadRun(const std::vector<std::string_view> &lines, std::size_t from, std::size_t to,
                   const Layout &layout, std::span<Measurement> into) {
    RunOutcome run;
    run.into = into;
    const bool onUtc = layout.offsetSource == OffsetSource::Timestamps ||
                       layout.offsetSource == OffsetSource::UnixSeconds;
    const bool shiftToUtc =
        layout.offsetSource == OffsetSource::Titles && layout.offsetSeconds % 3600 != 0;
    const bool twoColumns = layout.tnField != 0;
    const std::int32_t valueField = twoColumns ? layout.tnField : layout.valueField;
    // Wide station files: the fields after the last one used need no splitting.
    const std::size_t fieldsWanted = static_cast<std::size_t>(
        std::max({layout.timestampField + TimestampWidth(layout.timestampKind) - 1,
                  layout.valueField, layout.tnField}));
    FieldSplitter splitter(layout.separator);
    LastDate lastDate;
    run.lines.setFirstLine(static_cast<std::int64_t>(from) + 1);
    auto passOver = [&] { run.lines.noteSkippedLine(static_cast<std::int32_t>(run.count)); };
    if (twoColumns)
        ReserveLarge(run.maxima, std::min(to - from, into.size()));
    auto fail = [&](std::int64_t lineNumber, std::string_view line, LineFault fault) {
        ReadResult refusal;
        LineRefusal{refusal}(lineNumber, line, fault);
        run.refusal = std::move(refusal);
        return std::move(run);
    };
    for (std::size_t i = from; i < to; ++i) {
        const std::string_view line = lines[i];
        const auto lineNumber = static_cast<std::int64_t>(i) + 1;
        if (line.size() > kMaxLayoutLineLength)
            return fail(lineNumber, line.substr(0, kMaxLayoutLineLength), LineFault::LineTooLong);
        const auto &fields = splitter.split(line, fieldsWanted);
        const auto timestampAt = static_cast<std::size_t>(layout.timestampField) - 1;
        if (timestampAt >= fields.size() || !StartsLikeData(fields[timestampAt])) {
            const bool stampWritten = timestampAt < fields.size() && !fields[timestampAt].empty();
            const auto &all = splitter.split(line);
            if (!stampWritten &&
                std::all_of(all.begin(), all.end(), [](std::string_view f) { return f.empty(); })) {
                ++run.emptyRows;
                passOver();
                continue;
            }
            if (!StartsLikeData(line)) {
                // A comment or a remark among the readings: no reading, and no fault of the file.
                if (run.textRows++ == 0)
                    run.firstTextRow = lineNumber;
                passOver();
                continue;
            }
            if (!stampWritten)
                return fail(lineNumber, line, LineFault::NotADate);
        }
        auto instant = TimestampOf(fields, layout, onUtc, lastDate);
        if (!instant)
            return fail(lineNumber, line, LineFault::NotADate);
        if (shiftToUtc)
            *instant = Shifted(*instant, -layout.offsetSeconds);
        auto cell = [&](std::int32_t field) -> std::optional<std::string_view> {
            if (field < 1 || static_cast<std::size_t>(field) > fields.size())
                return std::nullopt;
            return fields[static_cast<std::size_t>(field) - 1];
        };
        const auto first = cell(valueField);
        const auto second = twoColumns ? cell(layout.valueField) : first;
        if (!first || !second)
            return fail(lineNumber, line, LineFault::NotANumber);
        const ValueText value = ParseValueText(*first);
        const ValueText maximum = twoColumns ? ParseValueText(*second) : value;
        if (value.empty || maximum.empty) {
            if (run.rowsWithoutValue++ == 0) {
                run.firstRowWithoutValue = lineNumber;
                run.firstTimeWithoutValue = MakeDateTime(instant->day, instant->seconds);
            }
            passOver();
            continue;
        }
        const auto celsius = value.number ? Celsius(*value.number, layout.unit) : std::nullopt;
        const auto maximumCelsius =
            maximum.number ? Celsius(*maximum.number, layout.unit) : std::nullopt;
        if (!celsius || !maximumCelsius)
            return fail(lineNumber, line, LineFault::NotANumber);
        if (!layout.errorValuesKept) {
            // Judged before the reading is rounded to a float, at the edges of the ranges too.
            const bool error =
                IsSensorErrorValue(*value.number, InCelsius(*value.number, layout.unit));
            const bool maximumError =
                twoColumns &&
                IsSensorErrorValue(*maximum.number, InCelsius(*maximum.number, layout.unit));
            if (error || maximumError) {
                if (error)
                    CountErrorValue(run.errorValues, *value.number);
                if (maximumError)
                    CountErrorValue(run.errorValues, *maximum.number);
                passOver();
                continue;
            }
        }
        if (run.count == into.size())
            return fail(lineNumber, line, LineFault::TooManyReadings);
        into[run.count++] = {MakeDateTime(instant->day, instant->seconds), *celsius};
        if (twoColumns)
            run.maxima.push_back(*maximumCelsius);
    }
    return run;
}

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t kLinesWorthTwoRuns = 100'000;

// The data lines read into the table, in two runs side by side where that is worth it, else in
// one. The later run writes where the most the earlier one can give ends, and its readings are
// moved down to follow the earlier run's once both are done.
std::vector<RunOutcome> ReadRuns(const std::vector<std::string_view> &lines, std::size_t from,
                                 std::size_t to, const Layout &layout, ProgramTables &tables) {
    std::vector<RunOutcome> runs;
    const auto capacity = static_cast<std::size_t>(MeasurementTableType::capacity());
    const std::size_t lineCount = to - from;
    const std::size_t middle = from + lineCount / 2;
    tables.MeasurementTable.expectEntries(static_cast<std::int64_t>(lineCount));
    auto entries = [&](std::size_t first, std::size_t count) {
        return tables.MeasurementTable.entries(static_cast<std::int32_t>(first) + 1,
                                               static_cast<std::int32_t>(count));
    };
    if (lineCount >= kLinesWorthTwoRuns && lineCount <= capacity &&
        std::thread::hardware_concurrency() >= 2) {
        try {
            auto later = std::async(std::launch::async, [&] {
                return ReadRun(lines, middle, to, layout, entries(middle - from, to - middle));
            });
            runs.push_back(ReadRun(lines, from, middle, layout, entries(0, middle - from)));
            runs.push_back(later.get());
            return runs;
        } catch (const std::system_error &) {
            runs.clear(); // no thread to be had: one run will do
        }
    }
    runs.push_back(ReadRun(lines, from, to, layout, entries(0, std::min(lineCount, capacity))));
    return runs;
}

// Lines before the data with a timestamp where the data has its own: a table of log notes.
void CountDatedLinesBefore(const std::vector<std::string_view> &lines, const Layout &layout,
                           LayoutReadFacts &facts) {
    FieldSplitter splitter(layout.separator);
    LastDate lastDate;
    const auto before = std::min(lines.size(), static_cast<std::size_t>(layout.firstDataLine - 1));
    for (std::size_t i = 0; i < before; ++i)
        if (StartsLikeData(lines[i]) &&
            TimestampOf(splitter.split(lines[i]), layout, false, lastDate) &&
            facts.datedLinesBefore++ == 0)
            facts.firstDatedLineBefore = static_cast<std::int64_t>(i) + 1;
}

// The line after the data's last, 0-based.
std::size_t DataEnd(const std::vector<std::string_view> &lines, const Layout &layout) {
    return layout.lastDataLine > 0
               ? std::min(lines.size(), static_cast<std::size_t>(layout.lastDataLine))
               : lines.size();
}

// Passes over a 1-Wire probe's power-on 85 where it stands out from both neighbours in time.
void PassOverPowerOnSpikes(ProgramTables &tables, ReadingLines &readingLines,
                           LayoutReadFacts &facts) {
    const auto readings = tables.MeasurementTable.entries(1, tables.MeasurementCount);
    // Most files hold no 85 at all: nothing to move.
    if (std::none_of(readings.begin(), readings.end(),
                     [](const Measurement &m) { return IsPowerOnValue(m.Value); }))
        return;
    std::vector<std::int64_t> lines = EveryLine(readingLines, tables.MeasurementCount);
    const bool twoColumns = !facts.maximumValues.empty();
    std::size_t kept = 0;
    std::optional<float> before;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const float value = readings[i].Value;
        const std::optional<float> after =
            i + 1 < readings.size() ? std::optional<float>(readings[i + 1].Value) : std::nullopt;
        if (IsPowerOnSpike(before, value, after) &&
            (!twoColumns || IsPowerOnSpike(before, facts.maximumValues[i], after))) {
            CountErrorValue(facts.errorValues, value);
            before = value;
            continue;
        }
        before = value;
        readings[kept] = readings[i];
        lines[kept] = lines[i];
        if (twoColumns)
            facts.maximumValues[kept] = facts.maximumValues[i];
        ++kept;
    }
    tables.MeasurementCount = static_cast<std::int32_t>(kept);
    lines.resize(kept);
    readingLines.setEveryLine(std::move(lines));
    if (twoColumns)
        facts.maximumValues.resize(kept);
}

} // namespace

// The days twice, Tn and the night windows from the minimum column, Tx and the day windows from
// the maximum one.
void ComputeDaysFromTwoColumns(ProgramTables &tables, const std::vector<float> &maxima) {
    ComputeDailyExtremes(tables);
    std::vector<std::string> tn;
    std::vector<WindowFacts> nights;
    for (std::int32_t i = 1; i <= tables.DayCount; ++i)
        tn.push_back(tables.DayTable.at(i).Tn);
    for (const DayFacts &facts : tables.DayFactsTable)
        nights.push_back(facts.night);
    const DailyReport report = tables.DailyLeftOut;
    const auto readings = tables.MeasurementTable.entries(1, tables.MeasurementCount);
    std::vector<float> minima(readings.size());
    for (std::size_t i = 0; i < readings.size(); ++i) {
        minima[i] = readings[i].Value;
        readings[i].Value = maxima[i];
    }
    ComputeDailyExtremes(tables);
    // The table holds the minima again: what is taken from it later (a record) reads Tn there.
    for (std::size_t i = 0; i < readings.size(); ++i)
        readings[i].Value = minima[i];
    for (std::int32_t i = 1; i <= tables.DayCount && static_cast<std::size_t>(i) <= tn.size(); ++i)
        tables.DayTable.at(i).Tn = tn[static_cast<std::size_t>(i) - 1];
    for (std::size_t i = 0; i < tables.DayFactsTable.size() && i < nights.size(); ++i)
        tables.DayFactsTable[i].night = nights[i];
    tables.DailyLeftOut = report;
}

ReadResult ReadWithLayout(const std::vector<std::string_view> &lines, const Layout &layout,
                          ProgramTables &tables, LayoutReadFacts &facts) {
    tables.MeasurementCount = 0;
    facts = {};
    const std::size_t end = DataEnd(lines, layout);
    std::vector<RunOutcome> runs =
        ReadRuns(lines, static_cast<std::size_t>(layout.firstDataLine - 1), end, layout, tables);
    // The runs joined in file order: the first refused line decides, and so does the first
    // reading past the table's room.
    ReadResult result;
    ReadingLines lineOfEntry;
    std::size_t count = 0;
    for (RunOutcome &run : runs) {
        if (run.refusal) {
            tables.MeasurementCount = 0;
            facts.maximumValues.clear();
            return std::move(*run.refusal);
        }
        const auto readings = run.into.first(run.count);
        std::copy(readings.begin(), readings.end(),
                  tables.MeasurementTable
                      .entries(static_cast<std::int32_t>(count) + 1,
                               static_cast<std::int32_t>(run.count))
                      .begin()); // moves down, or stays where it is
        if (count == 0)
            lineOfEntry = std::move(run.lines);
        else
            lineOfEntry.append(run.lines, static_cast<std::int32_t>(count));
        count += run.count;
        facts.maximumValues.insert(facts.maximumValues.end(), run.maxima.begin(), run.maxima.end());
        facts.emptyRows += run.emptyRows;
        if (facts.rowsWithoutValue == 0)
            facts.firstRowWithoutValue = run.firstRowWithoutValue;
        facts.rowsWithoutValue += run.rowsWithoutValue;
        if (facts.textRows == 0)
            facts.firstTextRow = run.firstTextRow;
        facts.textRows += run.textRows;
        for (const auto &[value, times] : run.errorValues)
            CountErrorValue(facts.errorValues, value, times);
    }
    tables.MeasurementCount = static_cast<std::int32_t>(count);
    PutInTimeOrder(tables, lineOfEntry, facts);
    if (!layout.errorValuesKept)
        PassOverPowerOnSpikes(tables, lineOfEntry, facts);
    FieldSplitter splitter(layout.separator);
    for (std::size_t i = end; i < lines.size(); ++i) {
        const auto &fields = splitter.split(lines[i]);
        if (std::all_of(fields.begin(), fields.end(), [](std::string_view f) { return f.empty(); }))
            ++facts.emptyRows; // as among the readings
        else if (facts.linesAfter++ == 0)
            facts.firstLineAfter = static_cast<std::int64_t>(i) + 1;
    }
    CountDatedLinesBefore(lines, layout, facts);
    result.readingLines = std::move(lineOfEntry);
    return result;
}

namespace {

ExportLoad LoadInOwnLayout(std::string_view bytes, ProgramTables &tables,
                           const LayoutChoices &choices, ReadResult exportFormRefusal) {
    ExportLoad load;
    load.read = std::move(exportFormRefusal);
    const DecodedText decoded = DecodeText(bytes);
    const std::vector<std::string_view> lines = LinesOf(decoded.text());
    const Recognition recognition =
        Recognise(lines, decoded.encoding, choices, CalendarDay(tables.StartTime));
    // Where the reading dialog starts should the file be refused: what was found of its layout.
    load.readOtherwise = choices;
    if (recognition.outcome == Recognition::Outcome::NoLayout) {
        load.readOtherwise.separator = recognition.guess.separator;
        load.readOtherwise.firstDataLine = recognition.guess.firstDataLine;
        // What stopped the reading is that line, not the export form's complaint.
        if (const std::int64_t stray = recognition.readingBeforeData; stray > 0) {
            ReadResult refusal;
            LineRefusal{refusal}(stray, lines[static_cast<std::size_t>(stray) - 1],
                                 LineFault::ReadingBeforeData);
            load.read = std::move(refusal);
        }
        return load;
    }
    load.readOtherwise.separator = recognition.layout.separator;
    load.readOtherwise.firstDataLine = recognition.layout.firstDataLine;
    if (recognition.outcome == Recognition::Outcome::DateOrderUnknown &&
        !LooksLikeTheExportForm(recognition.layout)) {
        ReadResult undecided;
        LineRefusal{undecided}(recognition.undecidedLine,
                               lines[static_cast<std::size_t>(recognition.undecidedLine) - 1],
                               LineFault::DateOrderUnknown);
        load.read = std::move(undecided);
        load.layout = recognition.layout;
        return load;
    }
    if (recognition.outcome == Recognition::Outcome::DateOrderUnknown)
        return load; // a broken export: its own refusal says best what is wrong
    Layout layout = recognition.layout;
    if (layout.offsetSource == OffsetSource::Zone) {
        if (const auto rules = ZoneRules::Named(layout.zoneName))
            load.zoneRules = std::make_shared<const ZoneRules>(*rules);
        else
            layout.offsetSource = OffsetSource::Computer; // named, but unknown here: told so
    }
    ReadResult read = ReadWithLayout(lines, layout, tables, load.facts);
    // A file laid out as the export form is held to it: a line it cannot read is a fault of the
    // export, which its own refusal says best, not text to pass over.
    if (LooksLikeTheExportForm(layout) && (read.status != ReadResult::Status::Loaded ||
                                           load.facts.textRows > 0 || load.facts.linesAfter > 0)) {
        tables.MeasurementCount = 0;
        load.facts = {};
        return load;
    }
    load.read = std::move(read);
    load.layout = layout;
    if (load.read.status != ReadResult::Status::Loaded)
        return load;
    switch (layout.offsetSource) {
    case OffsetSource::Titles:
        tables.UtcOffsetHours = layout.offsetSeconds % 3600 == 0
                                    ? static_cast<std::int16_t>(layout.offsetSeconds / 3600)
                                    : 0;
        tables.UtcOffsetLocalByDate = false;
        break;
    case OffsetSource::Timestamps:
    case OffsetSource::UnixSeconds:
        tables.UtcOffsetHours = 0;
        tables.UtcOffsetLocalByDate = false;
        break;
    case OffsetSource::Zone:
        tables.NamedZone = load.zoneRules; // wins over the offsets above, day by day
        break;
    case OffsetSource::Computer:
        tables.UtcOffsetHours = tables.ZoneOffsetHours;
        break;
    case OffsetSource::Chosen:
        break;
    }
    if (tables.MeasurementCount == 0)
        return load;
    if (layout.tnField != 0)
        ComputeDaysFromTwoColumns(tables, load.facts.maximumValues);
    else
        ComputeDailyExtremes(tables);
    return load;
}

} // namespace

namespace {

// A refused file, or one whose export-form reading found no reading at all (it stops at the
// first empty line, which may stand just under the titles): the file's own layout may read it.
bool WorthRecognising(const ReadResult &read, const ProgramTables &tables,
                      const LoadOptions &options) {
    if (options.strict)
        return false;
    return read.status == ReadResult::Status::BadFormat ||
           (read.status == ReadResult::Status::Loaded && tables.MeasurementCount == 0);
}

// The export form lists every reading as it always has; a sensor's error values among them are
// only told, with their days.
void TellExportFormErrorValues(ProgramTables &tables, const LoadOptions &options,
                               LayoutReadFacts &facts) {
    if (options.keepErrorValues || tables.MeasurementCount == 0)
        return;
    const auto readings = tables.MeasurementTable.entries(1, tables.MeasurementCount);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const float value = readings[i].Value;
        const std::optional<float> before =
            i > 0 ? std::optional<float>(readings[i - 1].Value) : std::nullopt;
        const std::optional<float> after =
            i + 1 < readings.size() ? std::optional<float>(readings[i + 1].Value) : std::nullopt;
        if (!IsSensorErrorValue(value, value) && !IsPowerOnSpike(before, value, after))
            continue;
        CountErrorValue(facts.errorValues, value);
        const std::int64_t day = CalendarDay(readings[i].Timestamp);
        if (std::find(facts.errorValueDays.begin(), facts.errorValueDays.end(), day) ==
            facts.errorValueDays.end())
            facts.errorValueDays.push_back(day);
    }
}

// The file's own layout, and where a load that found no reading stopped, so that an empty list
// never goes untold.
ExportLoad LoadRecognised(std::string_view bytes, ProgramTables &tables,
                          const LayoutChoices &choices, ReadResult exportFormResult) {
    ExportLoad load = LoadInOwnLayout(bytes, tables, choices, std::move(exportFormResult));
    if (load.read.status != ReadResult::Status::Loaded || tables.MeasurementCount != 0 ||
        load.layout)
        return load;
    const DecodedText decoded = DecodeText(bytes);
    const std::vector<std::string_view> lines = LinesOf(decoded.text());
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (TrimBlanks(lines[i]).empty()) {
            load.emptyLineStop = static_cast<std::int64_t>(i) + 1;
            break;
        }
    return load;
}

} // namespace

std::int64_t LayoutReadFacts::errorValueCount() const {
    std::int64_t count = 0;
    for (const auto &[value, times] : errorValues)
        count += times;
    return count;
}

LayoutChoices ChoicesFromOptions(const LoadOptions &options) {
    LayoutChoices choices;
    choices.dateOrder = options.dateOrder;
    if (options.valueFieldChosen)
        choices.valueField = options.valueField;
    choices.tnField = options.tnField;
    choices.txField = options.txField;
    choices.offsetChosen = options.utcOffsetHours.has_value() || options.utcOffsetLocalByDate;
    choices.offsetLocalByDate = options.utcOffsetLocalByDate;
    if (options.utcOffsetHours)
        choices.offsetHours = *options.utcOffsetHours;
    choices.keepErrorValues = options.keepErrorValues;
    return choices;
}

ExportLoad LoadAnyExport(const std::filesystem::path &path, ProgramTables &tables,
                         const LoadOptions &options) {
    return LoadAnyExport(path, tables, options, ChoicesFromOptions(options));
}

ExportLoad LoadAnyExportBytes(std::string_view bytes, ProgramTables &tables,
                              const LoadOptions &options) {
    return LoadAnyExportBytes(bytes, tables, options, ChoicesFromOptions(options));
}

ExportLoad LoadAnyExport(const std::filesystem::path &path, ProgramTables &tables,
                         const LoadOptions &options, const LayoutChoices &choices) {
    tables.NamedZone = nullptr;
    ExportLoad load;
    load.read = LoadExport(path, tables);
    if (!WorthRecognising(load.read, tables, options)) {
        TellExportFormErrorValues(tables, options, load.facts);
        return load;
    }
    const std::optional<WholeFile> file = ReadWholeFile(path);
    if (!file)
        return load;
    return LoadRecognised(file->view(), tables, choices, std::move(load.read));
}

ExportLoad LoadAnyExportBytes(std::string_view bytes, ProgramTables &tables,
                              const LoadOptions &options, const LayoutChoices &choices) {
    tables.NamedZone = nullptr;
    ExportLoad load;
    load.read = LoadExportBytes(bytes, tables);
    if (!WorthRecognising(load.read, tables, options)) {
        TellExportFormErrorValues(tables, options, load.facts);
        return load;
    }
    return LoadRecognised(bytes, tables, choices, std::move(load.read));
}

// The lines of a large text cut in two halves side by side, at a line feed near its middle.
std::vector<std::string_view> LinesOf(std::string_view text, std::size_t bytesWorthTwoHalves) {
    const std::size_t cut = text.size() < bytesWorthTwoHalves ? std::string_view::npos
                                                              : text.find('\n', text.size() / 2);
    if (cut == std::string_view::npos || std::thread::hardware_concurrency() < 2)
        return SplitLines(text);
    try {
        auto later =
            std::async(std::launch::async, [&] { return SplitLines(text.substr(cut + 1)); });
        std::vector<std::string_view> lines =
            SplitLines(text.substr(0, cut + 1), text.size() - cut - 1);
        const std::vector<std::string_view> rest = later.get();
        lines.insert(lines.end(), rest.begin(), rest.end());
        return lines;
    } catch (const std::system_error &) {
        return SplitLines(text); // no thread to be had
    }
}

std::unique_ptr<const FileText> ReadFileText(const std::filesystem::path &path) {
    std::optional<WholeFile> file = ReadWholeFile(path);
    if (!file)
        return nullptr;
    auto text = std::make_unique<FileText>();
    text->bytes_ = std::move(file->bytes);
    text->decoded_ = DecodeText({text->bytes_.get(), file->size});
    text->lines_ = LinesOf(text->decoded_.text());
    return text;
}

std::vector<PreviewRow> PreviewRows(const std::vector<std::string_view> &lines,
                                    const Layout &layout, std::size_t count) {
    std::vector<PreviewRow> rows;
    for (auto i = static_cast<std::size_t>(std::max<std::int64_t>(layout.firstDataLine, 1) - 1);
         i < lines.size() && rows.size() < count; ++i) {
        Measurement reading;
        const RunOutcome run = ReadRun(lines, i, i + 1, layout, {&reading, 1});
        PreviewRow row;
        row.line = static_cast<std::int64_t>(i) + 1;
        if (run.refusal) {
            row.kind = PreviewRow::Kind::Refused;
            row.fault = run.refusal->fault;
        } else if (run.count == 1) {
            row.kind = PreviewRow::Kind::Reading;
            row.time = reading.Timestamp;
            row.value = reading.Value;
            if (!run.maxima.empty())
                row.maximum = run.maxima.front();
        } else {
            row.kind =
                run.rowsWithoutValue > 0 ? PreviewRow::Kind::NoValue : PreviewRow::Kind::Empty;
            row.time = run.firstTimeWithoutValue;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace pelk
