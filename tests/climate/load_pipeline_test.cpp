// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/load_pipeline.h"

#include "climate/daily_extremes.h"
#include "tests/support/scratch_dir.h"

#include "tests/support/environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pelk {
namespace {

constexpr ClockReading kUtc{39512.5, 12, 12};

class LoadPipelineTest : public ::testing::Test {
  protected:
    ReadResult load(const std::string &bytes, const LoadOptions &options = {}) {
        tables_ = std::make_unique<ProgramTables>();
        PrepareLoad(*tables_, ',', kUtc, options);
        return LoadExport(scratch_.write("export.txt", bytes), *tables_);
    }

    std::string rows() const {
        std::string text;
        for (std::int16_t i = 1; i <= tables_->DayCount; ++i)
            text += tables_->DayTable.at(i).DayLabel + " " + tables_->DayTable.at(i).Tn + " " +
                    tables_->DayTable.at(i).Tx + "\n";
        return text;
    }

    testing::ScratchDir scratch_;
    std::unique_ptr<ProgramTables> tables_;
};

// Three-hourly readings over two days, as the lines of an export, oldest first.
std::vector<std::string> TwoDaysOfLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 16; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "03/%02d/2008 %02d:00\t%d", 5 + i / 8, i % 8 * 3,
                      (i * 7) % 11);
        lines.push_back(line);
    }
    return lines;
}

std::string FileOf(const std::vector<std::string> &lines) {
    std::string bytes = "Date\tValeur\r\n";
    for (const std::string &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

TEST_F(LoadPipelineTest, newest_first_file_gives_the_rows_of_its_readings_in_time_order) {
    std::vector<std::string> lines = TwoDaysOfLines();
    load(FileOf(lines));
    const std::string oldestFirst = rows();
    const std::vector<DayFacts> facts = tables_->DayFactsTable;
    std::reverse(lines.begin(), lines.end());
    load(FileOf(lines));
    EXPECT_EQ(rows(), oldestFirst);
    EXPECT_EQ(tables_->DayFactsTable, facts);
    EXPECT_EQ(tables_->DailyLeftOut, DailyReport{});
}

TEST_F(LoadPipelineTest, readings_left_out_are_told_with_their_file_lines) {
    std::vector<std::string> lines = TwoDaysOfLines();
    // Line 3 skipped (empty first field); the reading of the 6th on line 5 hides the 5th's next
    // readings from the computation; after the first empty line, two valid readings and junk.
    lines.insert(lines.begin() + 1, "\tno date");
    lines.insert(lines.begin() + 3, "03/06/2008 22:00\t1");
    lines.insert(lines.end(), {"", "junk", "03/07/2008 00:00\t1", "", "03/07/2008 03:00\t1"});
    const ReadResult read = load(FileOf(lines));
    ASSERT_EQ(read.status, ReadResult::Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 17);
    // The 5th's readings from 06:00 and the 6th's up to 15:00: their windows closed by 22:00.
    const DailyReport &left = tables_->DailyLeftOut;
    EXPECT_EQ(left.uncounted.count, 12);
    EXPECT_EQ(read.readingLines.earlierLineOf(left.uncounted.first, left.uncounted.last), 6);
    EXPECT_EQ(left.outsideWindows.count, 0);
    EXPECT_EQ(read.readingsAfterEnd, 2);
    EXPECT_EQ(read.firstLineAfterEnd, 22);
}

// Readings in no listed window: told as such in a file in time order (either way round), as
// part of the backwards jump in one that goes back in time, and by their first line in the file.
TEST_F(LoadPipelineTest, readings_in_no_listed_window_are_told_apart_from_a_jump_back) {
    struct Case {
        const char *name;
        std::vector<std::string> lines;
        std::int32_t uncounted, outside;
        std::int64_t firstLine;
    };
    const Case cases[] = {
        {"in_time_order", {"03/15/2008 12:00\t1", "03/16/2008 22:00\t2"}, 0, 1, 3},
        {"newest_first",
         {"03/16/2008 23:00\t2", "03/16/2008 22:00\t2", "03/15/2008 02:00\t1"},
         0,
         2,
         2},
        // The list ends with the last line's day, the 15th: line 3 is left out with the jump back.
        {"going_back",
         {"03/15/2008 12:00\t1", "03/16/2008 22:00\t2", "03/15/2008 13:00\t3"},
         2,
         0,
         3},
    };
    for (const Case &c : cases) {
        LoadOptions options;
        options.utcOffsetHours = -10;
        const ReadResult read = load(FileOf(c.lines), options);
        ASSERT_EQ(read.status, ReadResult::Status::Loaded) << c.name;
        const DailyReport &left = tables_->DailyLeftOut;
        EXPECT_EQ(left.uncounted.count, c.uncounted) << c.name;
        EXPECT_EQ(left.outsideWindows.count, c.outside) << c.name;
        const ReadingsLeftOut &told = c.outside > 0 ? left.outsideWindows : left.uncounted;
        EXPECT_EQ(read.readingLines.earlierLineOf(told.first, told.last), c.firstLine) << c.name;
    }
}

TEST_F(LoadPipelineTest, options_set_the_offset_and_the_gap_limit) {
    const std::string bytes = "h\r\n03/05/2008 18:30\t4\r\n";
    struct Case {
        std::vector<std::string> args;
        std::string error; // empty: taken
        std::string rows;
        std::int32_t gapLimit = kDefaultGapLimitMinutes;
    };
    const Case cases[] = {
        {{}, "", "2008-03-05 100 4\n"},
        {{"--utc-offset", "1"}, "", "2008-03-05 4 4\n"},
        {{"--utc-offset=+1"}, "", "2008-03-05 4 4\n"},
        {{"--utc-offset", "14"}, "", "2008-03-05 4 -100\n"},
        {{"--max-gap", "0"}, "", "2008-03-05 100 4\n", 0},
        {{"--max-gap=1440"}, "", "2008-03-05 100 4\n", 1440},
        {{"--utc-offset=15"}, "bad --utc-offset value '15'", ""},
        {{"--utc-offset=-13"}, "bad --utc-offset value '-13'", ""},
        {{"--utc-offset=1.5"}, "bad --utc-offset value '1.5'", ""},
        {{"--max-gap=-1"}, "bad --max-gap value '-1'", ""},
        {{"--max-gap=+5"}, "bad --max-gap value '+5'", ""},
        {{"--max-gap"}, "--max-gap needs a value", ""},
        {{"a.txt", "b.txt"}, "unexpected argument 'b.txt'", ""},
        {{"--column=1"}, "bad --column value '1'", ""},
        {{"--column=+3"}, "bad --column value '+3'", ""},
        {{"--column=4098"}, "bad --column value '4098': use a field number from 2 to 4097", ""},
        {{"--colour=3"}, "unexpected argument '--colour=3'", ""},
    };
    for (const Case &c : cases) {
        LoadOptions options;
        std::optional<std::string> file;
        const auto error = ParseLoadArguments(c.args, options, file);
        EXPECT_EQ(error.value_or("").substr(0, c.error.size()), c.error) << c.args.at(0);
        if (!c.error.empty())
            continue;
        load(bytes, options);
        EXPECT_EQ(rows(), c.rows) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(tables_->GapLimitMinutes, c.gapLimit);
    }
    // The value's field, for the window as for pelk-cli.
    LoadOptions column;
    std::optional<std::string> none;
    EXPECT_FALSE(ParseLoadArguments(std::vector<std::string>{"--column", "4097"}, column, none));
    EXPECT_EQ(column.valueField, 4097);
    EXPECT_TRUE(column.valueFieldChosen);
    // The window's file, before or after its options.
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"--max-gap", "5", "export.txt"},
          {"export.txt", "--max-gap=5"}}) {
        LoadOptions options;
        std::optional<std::string> file;
        EXPECT_FALSE(ParseLoadArguments(args, options, file));
        EXPECT_EQ(file, "export.txt");
        EXPECT_EQ(options.gapLimitMinutes, 5);
    }
}

// Windows' C runtime reads no summer-time rule from TZ.
#ifndef _WIN32
TEST_F(LoadPipelineTest, local_by_date_follows_summer_time) {
    ASSERT_EQ(::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1), 0);
    LoadOptions byDate;
    std::optional<std::string> file;
    ASSERT_FALSE(
        ParseLoadArguments(std::vector<std::string>{"--utc-offset=local-by-date"}, byDate, file));
    // 19:30 on the 30th is within its night window in summer time (to 20:00); in winter time
    // (to 19:00) it would not be.
    load("h\r\n03/29/2008 12:00\t4\r\n03/30/2008 19:30\t5\r\n", byDate);
    EXPECT_EQ(rows(), "2008-03-29 4 4\n2008-03-30 5 5\n");
    const std::int64_t march29 = DayNumberFromCivil(2008, 3, 29);
    EXPECT_EQ(FirstZoneOffsetChange(march29 - 30, march29 + 1), march29 + 1);
    EXPECT_EQ(FirstZoneOffsetChange(march29 + 1, march29 + 200), std::nullopt);
    testing::SetEnvironment("TZ", "UTC0");
}
#endif

} // namespace
} // namespace pelk
