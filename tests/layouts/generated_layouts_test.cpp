// SPDX-License-Identifier: GPL-3.0-or-later
// Random readings written in random layouts (layout_generator.h) read back as the same readings
// written in the export form, and the layout found is the one written.
//
// 300 cases a run unless RC_PARAMS says otherwise. A failure is shrunk to its smallest case and
// printed with the line to replay it from its seed alone:
//   RC_PARAMS="reproduce=..." build/debug/tests/layouts/layouts_generated_layouts_test
// (RC_PARAMS="seed=N max_success=2000" searches further.)
#include "layout_generator.h"

#include "climate/date_time.h"
#include "climate/utc_offset.h"
#include "layouts/layout_note.h"
#include "layouts/layout_reader.h"

#include "tests/support/rapidcheck_cases.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace pelk {
namespace {

using namespace generated;

const bool kCasesPerRun = test::DefaultRapidCheckCases(300);

// 2026-12-07 12:00 on a computer at UTC: a file that says nothing of its clock is on UTC too.
ClockReading Clock() {
    return {MakeDateTime(DayNumberFromCivil(2026, 12, 7), 12 * 3600), 12, 12};
}

struct Loaded {
    std::unique_ptr<ProgramTables> tables = std::make_unique<ProgramTables>();
    ExportLoad load;
};

Loaded Load(const std::string &bytes, const LoadOptions &options = {}) {
    Loaded loaded;
    PrepareLoad(*loaded.tables, '.', Clock(), options);
    loaded.load = LoadAnyExportBytes(bytes, *loaded.tables, options);
    return loaded;
}

struct DayRowText {
    std::string label, tn, tx;
};

std::vector<DayRowText> Rows(const Loaded &loaded) {
    std::vector<DayRowText> rows;
    for (std::int16_t i = 1; i <= loaded.tables->DayCount; ++i) {
        const DayRow &row = loaded.tables->DayTable.at(i);
        rows.push_back({row.DayLabel, row.Tn, row.Tx});
    }
    return rows;
}

std::string Text(const std::vector<DayRowText> &rows) {
    std::string text;
    for (const DayRowText &row : rows)
        text += row.label + " " + row.tn + " " + row.tx + "\n";
    return text;
}

// Degrees F and kelvin come back as degrees C through a division: a hundredth apart at most.
bool Alike(const std::string &got, const std::string &expected) {
    if (got == expected)
        return true;
    char *gotEnd = nullptr;
    char *expectedEnd = nullptr;
    const double a = std::strtod(got.c_str(), &gotEnd);
    const double b = std::strtod(expected.c_str(), &expectedEnd);
    return !got.empty() && !expected.empty() && *gotEnd == '\0' && *expectedEnd == '\0' &&
           std::fabs(a - b) <= 0.01;
}

bool SameRows(const std::vector<DayRowText> &got, const std::vector<DayRowText> &expected) {
    if (got.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i].label != expected[i].label || !Alike(got[i].tn, expected[i].tn) ||
            !Alike(got[i].tx, expected[i].tx))
            return false;
    return true;
}

// The first lines of the file, bytes as C escapes, for a failing case's log.
std::string Head(const std::string &bytes, std::size_t lines = 8) {
    constexpr std::size_t kMostBytes = 1200;
    std::string text;
    std::size_t seen = 0;
    for (const char c : bytes) {
        if (text.size() > kMostBytes)
            break;
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n' || (u == '\r' && seen < lines)) {
            text += u == '\n' ? "\\n\n" : "\\r";
            if (u == '\n' && ++seen == lines)
                break;
            continue;
        }
        if (u == '\t')
            text += "\\t";
        else if (u < 0x20 || u >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            text += escaped;
        } else
            text += c;
    }
    return text;
}

RC_GTEST_PROP(generated_layouts, read_as_the_same_readings_in_the_export_form, ()) {
    const GeneratedLayout layout = *GenLayout();
    const GeneratedReadings readings = *GenReadings(layout);
    const std::string bytes = WriteFile(layout, readings);
    RC_LOG() << Describe(layout) << "\n"
             << bytes.size() << " bytes; as UTF-8:\n"
             << Head(TextOf(layout, readings)) << "\n";

    const Loaded got = Load(bytes, OptionsForFile(layout));
    LoadOptions strict = OptionsForFile(layout);
    strict.strict = true;
    const Loaded exportForm = Load(bytes, strict);
    if (exportForm.load.read.status == ReadResult::Status::Loaded &&
        exportForm.tables->MeasurementCount > 0) {
        // A file that the export form takes is read by it, as always; nothing more to compare.
        // (One where it finds no reading, stopped by an empty line, goes on to its own layout.)
        RC_TAG("taken by the export form");
        RC_ASSERT(!got.load.layout);
        return;
    }
    RC_LOG() << "read: status " << static_cast<int>(got.load.read.status) << " at line "
             << got.load.read.lineNumber << " fault " << static_cast<int>(got.load.read.fault)
             << ": " << got.load.read.lineText << "\n";
    if (got.load.layout)
        RC_LOG() << "layout: " << LayoutNote(*got.load.layout, got.load.facts) << "\n";
    RC_ASSERT(got.load.read.status == ReadResult::Status::Loaded);
    RC_ASSERT(got.load.layout.has_value());
    const Layout &found = *got.load.layout;
    RC_LOG() << "note: " << LayoutNote(found, got.load.facts) << "\n";

    // The same readings in the export form, on the clock the file states.
    const LoadOptions exportOptions = OptionsForExportForm(layout);
    std::vector<DayRowText> expected;
    if (layout.columns == Columns::Temperature) {
        expected = Rows(Load(ExportFormOf(layout, readings, Series::Temperature), exportOptions));
    } else {
        expected = Rows(Load(ExportFormOf(layout, readings, Series::Minimum), exportOptions));
        const auto maxima =
            Rows(Load(ExportFormOf(layout, readings, Series::Maximum), exportOptions));
        RC_ASSERT(maxima.size() == expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i].tx = maxima[i].tx;
    }
    const std::vector<DayRowText> rows = Rows(got);
    RC_LOG() << "rows:\n" << Text(rows) << "expected:\n" << Text(expected);
    RC_ASSERT(!expected.empty());
    RC_ASSERT(SameRows(rows, expected));

    const ExpectedLayout want = ExpectedLayoutOf(layout, readings);
    RC_ASSERT(got.tables->MeasurementCount ==
              static_cast<std::int32_t>(readings.hundredths.size() - want.events - want.errorRows));
    RC_ASSERT(got.load.facts.rowsWithoutValue == want.events);
    RC_ASSERT(got.load.facts.outOfOrder == 0);
    RC_ASSERT(got.load.facts.newestFirst == (layout.timeOrder == TimeOrder::NewestFirst));
    RC_ASSERT(found.encoding == want.encoding);
    RC_ASSERT(found.separator == want.separator);
    if (layout.quoting == Quoting::EveryField)
        RC_ASSERT(found.quoted);
    if (layout.quoting == Quoting::None)
        RC_ASSERT(!found.quoted);
    RC_ASSERT(found.firstDataLine == want.firstDataLine);
    RC_ASSERT(found.titleRows == want.titleRows);
    RC_ASSERT(found.timestampKind == want.timestampKind);
    RC_ASSERT(found.timestampField == want.timestampField);
    if (want.dateOrder) {
        RC_ASSERT(found.dateOrder == *want.dateOrder);
        if (layout.dateOrderSource == DateOrderSource::Option)
            RC_ASSERT(found.dateOrderReason == DateOrderReason::Chosen);
        else if (want.yearFirst)
            RC_ASSERT(found.dateOrderReason == DateOrderReason::YearFirst);
        else
            RC_ASSERT(found.dateOrderReason == DateOrderReason::OnlyValid ||
                      found.dateOrderReason == DateOrderReason::SteadyInTime);
        if (layout.dateOrderSource == DateOrderSource::Data)
            RC_ASSERT(found.overruledTitleOrder.empty() == !want.titleOverruled);
    }
    RC_ASSERT(found.valueField == want.valueField);
    RC_ASSERT(found.tnField == want.tnField);
    RC_ASSERT(found.columnReason == want.columnReason);
    RC_ASSERT(found.offsetSource == want.offsetSource);
    if (want.offsetSource == OffsetSource::Titles)
        RC_ASSERT(found.offsetSeconds == want.offsetSeconds);
    if (want.unit == WrittenUnit::Celsius)
        RC_ASSERT(found.unit == WrittenUnit::Celsius || found.unit == WrittenUnit::None);
    else
        RC_ASSERT(found.unit == want.unit);
    if (want.unit != WrittenUnit::Celsius)
        RC_ASSERT(found.unitFromValues == want.unitFromValues);
    RC_ASSERT(found.unitFromRange == want.unitFromRange);

    // What lies before, among and after the readings, counted by kind.
    const LayoutReadFacts &facts = got.load.facts;
    RC_LOG() << "last data line " << found.lastDataLine << " (" << want.lastDataLine
             << "); text rows " << facts.textRows << " from " << facts.firstTextRow << " ("
             << want.textRows << " from " << want.firstTextRow << "); empty rows "
             << facts.emptyRows << " (" << want.emptyRows << "); after " << facts.linesAfter
             << " from " << facts.firstLineAfter << " (" << want.linesAfter << " from "
             << want.firstLineAfter << "); dated before " << facts.datedLinesBefore << " from "
             << facts.firstDatedLineBefore << " (" << want.datedLinesBefore << " from "
             << want.firstDatedLineBefore << ")\n";
    if (layout.afterData == AfterData::TrailingText)
        RC_ASSERT(found.lastDataLine == want.lastDataLine);
    else
        RC_ASSERT(found.lastDataLine == 0 || found.lastDataLine == want.lastDataLine);
    RC_ASSERT(facts.textRows == want.textRows);
    RC_ASSERT(facts.firstTextRow == want.firstTextRow);
    RC_ASSERT(facts.emptyRows == want.emptyRows);
    RC_ASSERT(facts.linesAfter == want.linesAfter);
    RC_ASSERT(facts.firstLineAfter == want.firstLineAfter);
    RC_ASSERT(facts.datedLinesBefore == want.datedLinesBefore);
    RC_ASSERT(facts.firstDatedLineBefore == want.firstDatedLineBefore);

    // The sensor's error values, by value, in any order.
    auto sorted = [](std::vector<std::pair<double, std::int64_t>> values) {
        std::sort(values.begin(), values.end());
        return values;
    };
    const auto toldValues = sorted(facts.errorValues);
    const auto wantValues = sorted(want.errorValues);
    for (const auto &[value, times] : toldValues)
        RC_LOG() << "error value " << value << " x" << times << "\n";
    RC_ASSERT(toldValues.size() == wantValues.size());
    for (std::size_t i = 0; i < toldValues.size(); ++i) {
        RC_ASSERT(std::fabs(toldValues[i].first - wantValues[i].first) < 0.01);
        RC_ASSERT(toldValues[i].second == wantValues[i].second);
    }
}

// The generator itself: what it writes is what its traits say.

GeneratedReadings TwoDays() {
    GeneratedReadings readings;
    readings.year = 2008;
    readings.month = 3;
    readings.day = 14;
    readings.minuteOfDay = 600;
    readings.intervalMinutes = 360;
    readings.hundredths = {1250, -325, 0, 4200, 1010, 5, 700, 800};
    readings.spread = {100, 50, 0, 0, 10, 20, 30, 40};
    readings.event.assign(8, false);
    return readings;
}

std::vector<std::string> LinesOf(const std::string &text, const std::string &end) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find(end); at != std::string::npos;
         start = at + end.size(), at = text.find(end, start))
        lines.push_back(text.substr(start, at - start));
    return lines;
}

TEST(layout_generator, an_export_like_tab_file_starts_with_its_titles) {
    GeneratedLayout layout;
    const std::string bytes = WriteFile(layout, TwoDays());
    const std::vector<std::string> lines = LinesOf(bytes, "\r\n");
    ASSERT_EQ(lines.size(), 9U);
    EXPECT_EQ(lines[0], "Date Time\tTemp");
    EXPECT_EQ(lines[1], "03/14/2008 10:00\t12.50");
    EXPECT_EQ(lines[2], "03/14/2008 16:00\t-3.25");
    // Such a file is the export form's, and read by it.
    EXPECT_FALSE(Load(bytes).load.layout);
    EXPECT_EQ(ExportFormOf(layout, TwoDays(), Series::Temperature).substr(0, 36),
              "Date\tValue\r\n03/14/2008 10:00\t12.50\r\n");
}

TEST(layout_generator, settings_and_two_title_rows_come_before_the_first_reading) {
    GeneratedLayout layout;
    layout.separator = Separator::Semicolon;
    layout.decimalMark = DecimalMark::Comma;
    layout.lineEnd = LineEnd::Lf;
    layout.beforeTitles = BeforeTitles::Settings;
    layout.settingsLines = 3;
    layout.titleRows = TitleRows::Two;
    layout.recordNumber = true;
    layout.stamp = Stamp::DateThenTime;
    layout.columns = Columns::MaximumThenMinimum;
    layout.unit = Unit::FahrenheitInTitle;
    layout.extras = Extras::Both;
    layout = Consistent(layout);
    const std::vector<std::string> lines = LinesOf(WriteFile(layout, TwoDays()), "\n");
    ASSERT_EQ(lines.size(), 3U + 2U + 8U);
    EXPECT_EQ(lines[0], "Logger;X12-0456");
    EXPECT_EQ(lines[2], "Logged data:");
    EXPECT_EQ(lines[3], ";;;RH;Hi;Low;Battery");
    EXPECT_EQ(lines[4], "#;Date;Time;(%);Temp (\xC2\xB0"
                        "F);Temp (\xC2\xB0"
                        "F);(V)");
    EXPECT_EQ(lines[5], "1;14.03.2008;10:00:00;30,0;56,300;54,500;3,0");
    const ExpectedLayout expected = ExpectedLayoutOf(layout, TwoDays());
    EXPECT_EQ(expected.firstDataLine, 6);
    EXPECT_EQ(expected.timestampField, 2);
    EXPECT_EQ(expected.valueField, 5);
    EXPECT_EQ(expected.tnField, 6);
}

TEST(layout_generator, encodings_and_line_ends_are_as_asked) {
    GeneratedLayout layout;
    layout.separator = Separator::Comma;
    layout.unit = Unit::CelsiusInValues;
    layout.lineEnd = LineEnd::Cr;
    layout.encoding = Encoding::Latin1;
    std::string bytes = WriteFile(Consistent(layout), TwoDays());
    EXPECT_EQ(bytes.find('\n'), std::string::npos);
    EXPECT_TRUE(bytes.starts_with("Date Time,Temp\r03/14/2008 10:00,12.50 \xB0"
                                  "C\r"));
    layout.encoding = Encoding::Utf16LittleEndianWithMark;
    bytes = WriteFile(Consistent(layout), TwoDays());
    EXPECT_EQ(bytes.substr(0, 6), std::string("\xFF\xFE"
                                              "D\0a\0",
                                              6));
    layout.encoding = Encoding::Utf8WithMark;
    EXPECT_EQ(WriteFile(Consistent(layout), TwoDays()).substr(0, 4), "\xEF\xBB\xBF"
                                                                     "D");
}

TEST(layout_generator, every_field_quoted_and_the_clock_on_each_timestamp) {
    GeneratedLayout layout;
    layout.separator = Separator::Comma;
    layout.quoting = Quoting::EveryField;
    layout.lineEnd = LineEnd::Lf;
    layout.stamp = Stamp::IsoWithOffset;
    layout.timestampOffsetMinutes = -210;
    layout.dataRows = DataRows::WithEvents;
    GeneratedReadings readings = TwoDays();
    readings.event[1] = true;
    const std::vector<std::string> lines = LinesOf(WriteFile(Consistent(layout), readings), "\n");
    EXPECT_EQ(lines[0], "\"Date Time\",\"Temp\"");
    EXPECT_EQ(lines[1], "\"2008-03-14T06:30:00-03:30\",\"12.50\"");
    EXPECT_EQ(lines[2], "\"2008-03-14T12:30:00-03:30\",\"\"");
    // The export form holds the same instants in UTC, the event left out.
    EXPECT_TRUE(ExportFormOf(layout, readings, Series::Temperature)
                    .starts_with("Date\tValue\r\n03/14/2008 10:00\t12.50\r\n"
                                 "03/14/2008 22:00\t0.00\r\n"));
}

TEST(layout_generator, unix_seconds_count_from_1970_utc) {
    GeneratedLayout layout;
    layout.separator = Separator::Semicolon;
    layout.stamp = Stamp::UnixSeconds;
    layout.lineEnd = LineEnd::Lf;
    GeneratedReadings readings = TwoDays();
    readings.year = 2020;
    readings.month = 1;
    readings.day = 6;
    readings.minuteOfDay = 11 * 60 + 26;
    const std::vector<std::string> lines = LinesOf(WriteFile(Consistent(layout), readings), "\n");
    EXPECT_EQ(lines[1], "1578309960;12.50");
}

} // namespace
} // namespace pelk
