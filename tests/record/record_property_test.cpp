// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads cut from one export at random places, overlapping at random, read as a record in a
// random order, give the days of the whole export: the same rows and the same windows.
//
// 200 cases a run unless RC_PARAMS says otherwise; a failure prints the line to replay it.
#include "tests/record/record_support.h"

#include "climate/date_time.h"

#include "tests/support/rapidcheck_cases.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pelk {
namespace {

const bool kCasesPerRun = test::DefaultRapidCheckCases(200);

enum class Form { Export, Csv, MinMax };

struct Series {
    Form form = Form::Export;
    std::vector<std::string> lines; ///< the data lines, each with its line end
    std::string header;
};

// Readings in time order, no two at one instant (a repeat that a cut splits between two files
// cannot be told from an overlap): steps of 1 to 30 minutes, now and then a day without any.
Series GenerateSeries(Form form, int count) {
    Series series;
    series.form = form;
    series.header = form == Form::Export ? "Date\tTemp (C)\r\n"
                    : form == Form::Csv  ? "Time;Temperature (C)\r\n"
                                         : "Time;Min Temp (C);Max Temp (C)\r\n";
    const std::int64_t start = DayNumberFromCivil(2008, 3, 1);
    std::int64_t minute = *rc::gen::inRange(0, 24 * 60);
    for (int i = 0; i < count; ++i) {
        minute += *rc::gen::weightedElement<int>({{20, 1}, {60, 10}, {15, 30}, {4, 60}, {1, 2000}});
        const CivilDateTime t = SplitDateTime(
            MakeDateTime(start + minute / (24 * 60), static_cast<int>(minute % (24 * 60)) * 60));
        const double value = *rc::gen::inRange(-300, 400) / 10.0;
        char line[64];
        if (form == Form::Export)
            std::snprintf(line, sizeof line, "%02d/%02d/%04d %02d:%02d\t%.1f\r\n", t.month, t.day,
                          t.year, t.hour, t.minute, value);
        else if (form == Form::Csv)
            std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d;%.1f\r\n", t.year, t.month,
                          t.day, t.hour, t.minute, value);
        else // Tn from the minimum column, Tx from the maximum one
            std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d;%.1f;%.1f\r\n", t.year,
                          t.month, t.day, t.hour, t.minute, value,
                          value + *rc::gen::inRange(0, 50) / 10.0);
        series.lines.push_back(line);
    }
    return series;
}

std::string FileOf(const Series &series, std::size_t from, std::size_t to) {
    std::string text = series.header;
    for (std::size_t i = from; i <= to; ++i)
        text += series.lines[i];
    return text;
}

RC_GTEST_PROP(record_property, downloads_cut_from_one_export_give_its_days, ()) {
    const Form form = *rc::gen::element(Form::Export, Form::Csv, Form::MinMax);
    // A recognised file needs a few lines to show its layout.
    const int shortest = form == Form::Export ? 1 : 6;
    const Series series = GenerateSeries(form, *rc::gen::inRange(3 * shortest, 1500));
    const auto count = series.lines.size();

    // Each download starts after the last one's start and at or before the line after its end:
    // together they hold every line, some in two files.
    std::vector<test::NamedBytes> files;
    const int pieces = *rc::gen::inRange(1, 5);
    const auto fewest = static_cast<std::size_t>(shortest);
    for (std::size_t from = 0;;) {
        const bool last = static_cast<int>(files.size()) + 1 == pieces;
        const std::size_t to = last ? count - 1 : *rc::gen::inRange(from + fewest - 1, count);
        files.push_back({"part" + std::to_string(files.size() + 1), FileOf(series, from, to)});
        if (to == count - 1)
            break;
        from = *rc::gen::inRange(from + 1, std::min(to + 1, count - fewest) + 1);
    }
    RC_CLASSIFY(files.size() > 1, "several files");
    std::vector<test::NamedBytes> shuffled;
    // A random order: each step takes one of the files left.
    std::vector<test::NamedBytes> left = files;
    while (!left.empty()) {
        const auto pick = *rc::gen::inRange<std::size_t>(0, left.size());
        shuffled.push_back(left[pick]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
    }

    const test::Loaded whole = test::Load(FileOf(series, 0, count - 1));
    const test::ReadRecord record = test::LoadRecord(shuffled);
    RC_ASSERT(!record.refusedName);
    RC_ASSERT(!record.record.refusedFile);
    RC_ASSERT(record.tables->MeasurementCount == whole.tables->MeasurementCount);
    RC_ASSERT(record.record.conflicts.count == 0);
    RC_ASSERT(record.rows() == whole.rows());
    RC_ASSERT(record.tables->DayFactsTable == whole.tables->DayFactsTable);
}

} // namespace
} // namespace pelk
