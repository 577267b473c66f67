// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_reader.h"

#include "climate/daily_extremes.h"
#include "layouts/recognise.h"
#include "layouts/text.h"

#include <algorithm>
#include <fstream>
#include <numeric>

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

// The timestamp of one data line, on the readings' clock (or UTC where the line says its offset).
std::optional<Instant> TimestampOf(const std::vector<std::string_view> &fields,
                                   const Layout &layout, bool useWrittenOffset) {
    const auto at = static_cast<std::size_t>(layout.timestampField) - 1;
    auto field = [&](std::size_t k) -> std::string_view {
        return at + k < fields.size() ? fields[at + k] : std::string_view();
    };
    Instant instant;
    switch (layout.timestampKind) {
    case TimestampKind::OneField:
    case TimestampKind::DateThenTime: {
        const auto stamp = ParseStampPieces(field(0));
        if (!stamp)
            return std::nullopt;
        const auto day = DayNumberOf(stamp->date, layout.dateOrder, layout.twoDigitYearBase);
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

std::optional<float> Celsius(double value, WrittenUnit unit) {
    if (unit == WrittenUnit::Fahrenheit)
        value = (value - 32.0) * 5.0 / 9.0;
    else if (unit == WrittenUnit::Kelvin)
        value -= 273.15;
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

// Puts the readings in time order, stably, and tells what came out of order.
void PutInTimeOrder(ProgramTables &tables, std::vector<std::int64_t> &lines,
                    LayoutReadFacts &facts) {
    const std::int32_t count = tables.MeasurementCount;
    const auto readings = tables.MeasurementTable.entries(1, count);
    if (std::is_sorted(
            readings.begin(), readings.end(),
            [](const Measurement &a, const Measurement &b) { return a.Timestamp < b.Timestamp; }))
        return;
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
    lines = std::move(sortedLines);
    facts.maximumValues = std::move(sortedMaxima);
}

// With Tn and Tx from two columns: the days twice, Tn and the night windows from the minimum
// column, Tx and the day windows from the maximum one.
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
    for (std::size_t i = 0; i < readings.size(); ++i)
        readings[i].Value = maxima[i];
    ComputeDailyExtremes(tables);
    for (std::int32_t i = 1; i <= tables.DayCount && static_cast<std::size_t>(i) <= tn.size(); ++i)
        tables.DayTable.at(i).Tn = tn[static_cast<std::size_t>(i) - 1];
    for (std::size_t i = 0; i < tables.DayFactsTable.size() && i < nights.size(); ++i)
        tables.DayFactsTable[i].night = nights[i];
    tables.DailyLeftOut = report;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path &path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxRecognisedFileBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return bytes;
}

bool LooksLikeTheExportForm(const Layout &layout) {
    return layout.separator == '\t' && layout.timestampField == 1 &&
           layout.timestampKind == TimestampKind::OneField && layout.firstDataLine <= 2;
}

} // namespace

ReadResult ReadWithLayout(const std::vector<std::string_view> &lines, const Layout &layout,
                          ProgramTables &tables, LayoutReadFacts &facts) {
    ReadResult result;
    const LineRefusal refuse{result};
    const bool onUtc = layout.offsetSource == OffsetSource::Timestamps ||
                       layout.offsetSource == OffsetSource::UnixSeconds;
    const bool shiftToUtc =
        layout.offsetSource == OffsetSource::Titles && layout.offsetSeconds % 3600 != 0;
    FieldSplitter splitter(layout.separator);
    std::vector<std::int64_t> lineOfEntry;
    const bool twoColumns = layout.tnField != 0;
    const std::int32_t valueField = twoColumns ? layout.tnField : layout.valueField;
    std::int32_t count = 0;
    auto fail = [&](std::int64_t lineNumber, std::string_view line, LineFault fault) {
        refuse(lineNumber, line, fault);
        tables.MeasurementCount = 0;
        facts.maximumValues.clear();
        return result;
    };
    for (std::size_t i = static_cast<std::size_t>(layout.firstDataLine - 1); i < lines.size();
         ++i) {
        const std::string_view line = lines[i];
        const auto lineNumber = static_cast<std::int64_t>(i) + 1;
        if (line.size() > kMaxLayoutLineLength)
            return fail(lineNumber, line.substr(0, kMaxLayoutLineLength), LineFault::LineTooLong);
        const auto &fields = splitter.split(line);
        const auto timestampAt = static_cast<std::size_t>(layout.timestampField) - 1;
        if (timestampAt >= fields.size() || fields[timestampAt].empty()) {
            if (std::all_of(fields.begin(), fields.end(),
                            [](std::string_view f) { return f.empty(); })) {
                ++facts.emptyRows;
                continue;
            }
            return fail(lineNumber, line, LineFault::NotADate);
        }
        auto instant = TimestampOf(fields, layout, onUtc);
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
            if (facts.rowsWithoutValue++ == 0)
                facts.firstRowWithoutValue = lineNumber;
            continue;
        }
        const auto celsius = value.number ? Celsius(*value.number, layout.unit) : std::nullopt;
        const auto maximumCelsius =
            maximum.number ? Celsius(*maximum.number, layout.unit) : std::nullopt;
        if (!celsius || !maximumCelsius)
            return fail(lineNumber, line, LineFault::NotANumber);
        if (count == MeasurementTableType::capacity())
            return fail(lineNumber, line, LineFault::TooManyReadings);
        ++count;
        tables.MeasurementTable.at(count) = {MakeDateTime(instant->day, instant->seconds),
                                             *celsius};
        lineOfEntry.push_back(lineNumber);
        if (twoColumns)
            facts.maximumValues.push_back(*maximumCelsius);
    }
    tables.MeasurementCount = count;
    PutInTimeOrder(tables, lineOfEntry, facts);
    result.readingLines.setEveryLine(std::move(lineOfEntry));
    return result;
}

namespace {

ExportLoad LoadRecognised(std::string_view bytes, ProgramTables &tables, const LoadOptions &options,
                          ReadResult exportFormRefusal) {
    ExportLoad load;
    load.read = std::move(exportFormRefusal);
    const DecodedText decoded = DecodeText(bytes);
    const std::vector<std::string_view> lines = SplitLines(decoded.text());
    LayoutChoices choices;
    choices.dateOrder = options.dateOrder;
    if (options.valueFieldChosen)
        choices.valueField = options.valueField;
    choices.tnField = options.tnField;
    choices.txField = options.txField;
    choices.offsetChosen = options.utcOffsetHours.has_value() || options.utcOffsetLocalByDate;
    const Recognition recognition =
        Recognise(lines, decoded.encoding, choices, CalendarDay(tables.StartTime));
    if (recognition.outcome == Recognition::Outcome::NoLayout)
        return load;
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
    const Layout &layout = recognition.layout;
    ReadResult read = ReadWithLayout(lines, layout, tables, load.facts);
    if (read.status != ReadResult::Status::Loaded && LooksLikeTheExportForm(layout))
        return load; // a broken export: its own refusal says best what is wrong
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

ExportLoad LoadAnyExport(const std::filesystem::path &path, ProgramTables &tables,
                         const LoadOptions &options) {
    ExportLoad load;
    load.read = LoadExport(path, tables);
    if (load.read.status != ReadResult::Status::BadFormat || options.strict)
        return load;
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes)
        return load;
    return LoadRecognised(*bytes, tables, options, std::move(load.read));
}

ExportLoad LoadAnyExportBytes(std::string_view bytes, ProgramTables &tables,
                              const LoadOptions &options) {
    ExportLoad load;
    load.read = LoadExportBytes(bytes, tables);
    if (load.read.status != ReadResult::Status::BadFormat || options.strict)
        return load;
    return LoadRecognised(bytes, tables, options, std::move(load.read));
}

} // namespace pelk
