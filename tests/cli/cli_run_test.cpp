// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"
#include "climate/export_reader.h"
#include "climate/locale_conversions.h"
#include "tests/support/environment.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

namespace pelk {
namespace {

constexpr ClockReading kOneHourAhead{0, 11, 10};

// The two days of readings every three hours from which the window's list is worked out by hand.
std::string TwoDays() {
    constexpr double kValues[] = {4, 3, 2.5, 6, 11, 12.5, 9, 7, 5.5, 4.5, 4, 8, 14, 15.5, 12, 10};
    std::string bytes = "Date\tValeur\r\n";
    char line[40];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(line, sizeof line, "03/%02d/2008 %02d:00\t%.1f\r\n", 5 + i / 8, i % 8 * 3,
                      kValues[i]);
        bytes += line;
    }
    return bytes;
}

// Readings every three hours from mid-January to 20 March 2008, below zero in January, with many
// repeated and fractional values.
std::string MultiMonthExport() {
    std::string text = "Date\tValeur\r\n";
    const int lastDay[] = {31, 29, 20};
    int step = 0;
    for (int month = 1; month <= 3; ++month)
        for (int day = month == 1 ? 15 : 1; day <= lastDay[month - 1]; ++day)
            for (int hour = 0; hour < 24; hour += 3) {
                char line[64];
                std::snprintf(line, sizeof line, "%02d/%02d/2008 %02d:00\t%.1f\r\n", month, day,
                              hour, ((++step * 37) % 151 - 40) / 10.0 + (month - 1) * 4);
                text += line;
            }
    return text;
}

using Strings = std::vector<std::string>;

// The fields of each data line, the header line left out.
std::vector<Strings> DataLines(const std::string &text) {
    std::vector<Strings> lines;
    std::istringstream in(text.substr(text.find('\n') + 1));
    for (std::string line; std::getline(in, line);) {
        line.pop_back(); // the CR of CR LF
        std::istringstream fields(line);
        lines.emplace_back();
        for (std::string field; std::getline(fields, field, '\t');)
            lines.back().push_back(field);
    }
    return lines;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
  protected:
    std::string Write(const std::string &bytes) const {
        return scratch_.write("export.txt", bytes).string();
    }

    static CliRun Run(std::vector<std::string_view> args, char separator = ',') {
        std::ostringstream out, err;
        const int status = RunCli(args, separator, kOneHourAhead, out, err);
        return {status, out.str(), err.str()};
    }

    testing::ScratchDir scratch_;
};

TEST_F(CliTest, prints_the_clipboard_text_of_the_list) {
    const std::string file = Write(TwoDays());
    const CliRun run = Run({file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({Write("h\r\n03/05/2008 12:00\t4.5\r\n")}).out, // a single day
              "Date\tTn\tTx\t\r\n2008-03-05\t4,5\t4,5\r\n");
}

TEST_F(CliTest, no_readings_gives_the_header_alone_and_says_why) {
    for (const auto &[bytes, why] : {
             std::pair{"", "no reading found\n"},
             std::pair{"header\r\n", "no reading found\n"},
             std::pair{"header\r\n\r\nno reading\r\n",
                       "no reading found: reading stopped at the empty line 2\n"},
         }) {
        const CliRun run = Run({Write(bytes)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n");
        EXPECT_EQ(run.err, std::string("pelk-cli: warning: ") + why) << bytes;
    }
}

TEST_F(CliTest, readings_below_an_empty_second_line_are_read_not_dropped) {
    // The export form stops at the first empty line; here it would list nothing, in silence.
    const CliRun run = Run({Write("header\r\n\r\n03/05/2008 00:00\t4\r\n")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n2008-03-05\t4\t-100\r\n");
    EXPECT_NE(run.err.find("data from line 3"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("month/day/year (the export form's order)"), std::string::npos);
}

TEST_F(CliTest, malformed_file_says_so_then_which_line_and_why_and_prints_nothing) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"h\r\n03/05/2008 00:00\t4\r\nx\r\n"s, "line 3: no TAB: 'x'"},
        {"h\n03/05/08 00:00\t4\n"s, "line 2: not a date: '03/05/08 00:00\t4'"},
        {"h\n03/05/2008 00:00\t4 C\n"s, "line 2: not a number: '03/05/2008 00:00\t4 C'"},
    };
    for (const auto &[bytes, detail] : cases) {
        const CliRun run = Run({Write(bytes)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Mauvais format de fichier !  Utilisez l'export Excel\npelk-cli: " +
                               detail + "\n");
    }
}

TEST_F(CliTest, column_takes_the_value_from_another_field) {
    const std::string file = Write("h\n03/05/2008 06:00\t1\t-2,5\n03/05/2008 12:00\t3\t4\n");
    EXPECT_EQ(Run({file}).out, "Date\tTn\tTx\t\r\n2008-03-05\t1\t3\r\n");
    EXPECT_EQ(Run({"--column", "3", file}).out, "Date\tTn\tTx\t\r\n2008-03-05\t-2,5\t4\r\n");
    EXPECT_EQ(Run({"--column=4", file}).err,
              "Mauvais format de fichier !  Utilisez l'export Excel\n"
              "pelk-cli: line 2: not a number: "
              "'03/05/2008 06:00\t1\t-2,5'\n");
    for (const char *bad : {"1", "0", "x", "3x", "4098", ""}) {
        const CliRun run = Run({"--column", bad, file});
        EXPECT_EQ(run.status, kExitUsage) << bad;
        EXPECT_EQ(run.err.substr(0, 30), "pelk-cli: bad --column value '") << bad;
    }
}

TEST_F(CliTest, unreadable_file_names_the_file_and_the_reason) {
    const std::string missing = (scratch_.path() / "missing.txt").string();
    const CliRun run = Run({missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(missing), std::string::npos);
    EXPECT_NE(run.err.find("No such file"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(Run({"/proc/self/mem"}).status, 1); // opens, but cannot be read
}

TEST_F(CliTest, details_add_the_window_facts_and_move_with_their_rows) {
    const std::string file = Write(TwoDays());
    const std::string header = "Date\tTn\tTx\tTn_time\tTx_time\tnight_readings\tday_readings\t"
                               "night_gap_min\tday_gap_min\tnight_complete\tday_complete\t\r\n";
    // One hour ahead: the 5th's night window opens at 19:00 the day before, five hours before
    // the data; the 6th's day window closes at 07:00 the 7th, ten hours after it.
    const std::string fifth = "2008-03-05\t2,5\t12,5\t2008-03-05 06:00\t2008-03-05 15:00\t7\t8"
                              "\t300\t180\t0\t0\r\n";
    const std::string sixth = "2008-03-06\t4\t15,5\t2008-03-06 06:00\t2008-03-06 15:00\t8\t5"
                              "\t180\t600\t0\t0\r\n";
    EXPECT_EQ(Run({"--details", file}).out, header + fifth + sixth);
    EXPECT_EQ(Run({"--sort=tn:desc", "--details", file}).out, header + sixth + fifth);
    // Three-hourly readings are complete under a limit of 180 minutes where the window is
    // covered.
    const CliRun limit = Run({"--max-gap", "180", "--details", file});
    EXPECT_NE(limit.out.find("\t180\t0\t1\r\n"), std::string::npos);
}

TEST_F(CliTest, warnings_tell_what_the_rows_leave_out_without_failing) {
    // Line 3 jumps to the 7th, which closes the 5th's windows before line 4; the list ends with
    // the last line's day, the 5th, so line 3 is in no row either. A reading after the empty line.
    const CliRun run = Run({Write("h\n03/05/2008 01:00\t1\n03/07/2008 01:00\t2\n"
                                  "03/05/2008 03:00\t3\n\n03/08/2008 02:00\t4\n")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "pelk-cli: warning: 2 reading(s) not counted: the file goes back in "
                       "time and the computation does not see them (first at line 3)\n"
                       "pelk-cli: warning: 1 valid reading(s) after the first empty line not "
                       "read, from line 6: reading stops at the first empty line\n");
    EXPECT_EQ(Run({Write("h\n01/01/2008 12:00\t1\n01/01/2030 12:00\t1\n")}).err,
              "pelk-cli: warning: 3037 day(s) beyond the 5000 listed\n");
    // In time order, a reading that the offset puts past the last day's windows.
    EXPECT_EQ(
        Run({"--utc-offset", "-10", Write("h\n03/15/2008 12:00\t1\n03/16/2008 22:00\t2\n")}).err,
        "pelk-cli: warning: 1 reading(s) not counted: at this UTC offset they fall in no "
        "listed day's night or day window (first at line 3)\n");
}

// Windows' C runtime reads no summer-time rule from TZ.
#ifndef _WIN32
// A span across the change to summer time: told when the offset is the one detected, not when
// --utc-offset fixes it or follows the zone day by day.
TEST_F(CliTest, the_zone_change_is_told_only_when_no_offset_is_given) {
    testing::SetEnvironment("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    const std::string file = Write("h\r\n03/29/2008 12:00\t4\r\n03/31/2008 12:00\t5\r\n");
    const CliRun detected = Run({file});
    EXPECT_EQ(detected.status, 0);
    EXPECT_EQ(detected.err, "pelk-cli: warning: the local zone's UTC offset changes on 2008-03-30 "
                            "(to UTC+2); every day used UTC+1 (--utc-offset local-by-date follows "
                            "the change)\n");
    for (const char *option : {"--utc-offset=0", "--utc-offset=1", "--utc-offset=local-by-date"}) {
        const CliRun run = Run({option, file});
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.err, "") << option;
        EXPECT_EQ(DataLines(run.out).size(), 3u) << option;
    }
    // A file that states its own offset needs no word on the computer's zone.
    const CliRun stated =
        Run({Write("Time (UTC+01:00),Temp\n2008-03-29 12:00,4\n2008-03-31 12:00,5\n")});
    EXPECT_EQ(stated.status, 0);
    EXPECT_EQ(stated.err.find("warning"), std::string::npos) << stated.err;
    testing::SetEnvironment("TZ", "UTC0");
}
#endif

// A file in another layout: the rows, and one note that says how it was read; warnings still
// tell a clock reset, which the rows count in time order.
TEST_F(CliTest, another_layout_is_read_and_noted) {
    const std::string file = Write("Logger 7\n#;Zeit;Temp [C]\n1;15.03.2008 04:00;1,5\n"
                                   "2;15.03.2008 10:00;;\n3;15.03.2008 09:00;2\n");
    const CliRun run = Run({file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n2008-03-15\t1,5\t2\r\n");
    EXPECT_EQ(run.err,
              "pelk-cli: note: read as ';' separated; data from line 3 under 1 title row(s); "
              "timestamp in field 2, day/month/year (the only order in which every date exists); "
              "temperature from field 3 \"Temp [C]\" (its title names a temperature); the "
              "computer's UTC offset; degrees C; passed over: 2 line(s) before the data, 1 row(s) "
              "without a value (first at line 4)\n");
    const CliRun reset = Run({Write("T,V\n2008-03-05 10:00,1\n2008-03-05 09:00,2\n"
                                    "2008-03-05 11:00,3\n")});
    EXPECT_NE(reset.err.find("pelk-cli: warning: 1 reading(s) out of time order, from line 3 "
                             "(2008-03-05 09:00 to 2008-03-05 09:00)"),
              std::string::npos)
        << reset.err;
    const CliRun strict = Run({"--strict", file});
    EXPECT_EQ(strict.status, 2);
    EXPECT_EQ(strict.out, "");
    const CliRun undecided = Run({Write("T,V\n03/05/2008 10:00,1\n")});
    EXPECT_EQ(undecided.status, 2);
    EXPECT_NE(undecided.err.find("--date-order dmy|mdy|ymd"), std::string::npos);
    EXPECT_EQ(Run({"--date-order=mdy", Write("T,V\n03/05/2008 10:00,1\n")}).out,
              "Date\tTn\tTx\t\r\n2008-03-05\t1\t1\r\n");
}

TEST_F(CliTest, sort_orders_the_same_lines_by_date_or_numerically_by_tn_and_tx) {
    const std::string file = Write(MultiMonthExport());
    const std::tuple<const char *, std::size_t, bool> cases[] = {
        {"Tn:Desc", 1, true}, {"tx", 2, false}, {"date:desc", 0, true}, {"TN:ASC", 1, false}};
    for (const char sep : {',', '.'}) {
        const auto byDate = DataLines(Run({file}, sep).out);
        ASSERT_GT(byDate.size(), 60u);
        for (const auto &[value, column, descending] : cases) {
            SCOPED_TRACE(std::string(value) + " " + sep);
            const std::string option = std::string("--sort=") + value; // the other spelling
            const CliRun run =
                sep == ',' ? Run({"--sort", value, file}, sep) : Run({option, file}, sep);
            ASSERT_EQ(run.status, 0) << run.err;
            // Differential: a stable sort of the date-ordered lines by the column's values.
            auto expected = byDate;
            std::stable_sort(
                expected.begin(), expected.end(), [&](const Strings &x, const Strings &y) {
                    const std::string &a = (descending ? y : x)[column];
                    const std::string &b = (descending ? x : y)[column];
                    return column == 0 ? a < b : *ParseNumber(a, sep) < *ParseNumber(b, sep);
                });
            EXPECT_EQ(DataLines(run.out), expected);
        }
    }
    for (const char *value : {"", "foo", "tn:up", ":asc", "tn:", "Tn:asc:desc", "Tmin"}) {
        const CliRun run = Run({std::string("--sort=") + value, "export.txt"});
        EXPECT_EQ(run.status, kExitUsage) << value;
        EXPECT_TRUE(run.out.empty() && !run.err.empty()) << value;
    }
    EXPECT_EQ(Run({"export.txt", "--sort"}).status, kExitUsage);
}

TEST_F(CliTest, command_line) {
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Mauvais format de fichier !  Utilisez l'export Excel"),
              std::string::npos);
    EXPECT_EQ(Run({}).status, kExitUsage);
    EXPECT_EQ(Run({"a", "b"}).status, kExitCannotRead); // a record of two files, neither there
    EXPECT_EQ(Run({"-x"}).status, kExitUsage);
    EXPECT_EQ(Run({"-h"}).out, help.out);
    const CliRun badOption = Run({"--max-gap", "x", "a"}); // the options' own rules: climate
    EXPECT_EQ(badOption.status, kExitUsage);
    EXPECT_EQ(badOption.err.substr(0, 10), "pelk-cli: ");
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// Two days at one hour ahead of UTC, worked out by hand: the extremes' hours in UTC (the night's
// lowest at 23:00 the day before), every window incomplete (readings 12 hours apart).
TEST_F(CliTest, the_list_saved_for_a_spreadsheet_and_in_meteo_frances_daily_layout) {
    const std::string file = Write("h\r\n03/05/2008 00:00\t1.25\r\n03/05/2008 12:00\t9\r\n"
                                   "03/06/2008 00:00\t-0.04\r\n03/06/2008 12:00\t7.5\r\n");
    auto run = [&](std::vector<std::string_view> args) {
        std::ostringstream out, err;
        args.push_back(file);
        const int status = RunCli(args, ',', kOneHourAhead, out, err);
        EXPECT_EQ(status, 0) << err.str();
        return out.str();
    };
    EXPECT_EQ(run({"--format", "meteofrance"}), "AAAAMMJJ;TN;QTN;HTN;TX;QTX;HTX\r\n"
                                                "20080305;1.3;2;2300;9.0;2;1100\r\n"
                                                "20080306;0.0;2;2300;7.5;2;1100\r\n");
    EXPECT_EQ(run({"--format", "csv", "--sort", "tn:asc"}),
              "\xEF\xBB\xBF"
              "Date;Tn;Tx;Heure Tn (UTC);Heure Tx (UTC);Relevés nuit;Relevés jour;"
              "Fenêtres complètes\r\n"
              "2008-03-06;-0,04;7,5;2008-03-05 23:00;2008-03-06 11:00;2;1;0\r\n"
              "2008-03-05;1,25;9;2008-03-04 23:00;2008-03-05 11:00;2;2;0\r\n");
    EXPECT_EQ(run({"--format=tsv"}), run({})); // today's bytes, the default
}

TEST_F(CliTest, a_format_that_is_none_or_goes_with_other_output_is_a_usage_error) {
    const std::string file = Write("h\r\n03/05/2008 00:00\t1.25\r\n");
    for (const std::vector<std::string_view> &args :
         {std::vector<std::string_view>{"--format", "xls", file},
          std::vector<std::string_view>{"--format", "csv", "--details", file},
          std::vector<std::string_view>{"--format", "meteofrance", "--monthly", file}}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCli(args, ',', kOneHourAhead, out, err), 64) << args[1];
        EXPECT_EQ(out.str(), "");
    }
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

// Several downloads on the command line: the list of the whole, an account on standard error,
// and a refusal that names its file.
TEST_F(CliTest, several_files_are_read_as_one_record) {
    const std::string whole = MultiMonthExport();
    const std::size_t third = whole.size() / 3;
    const std::size_t cut1 = whole.find('\n', third) + 1;
    const std::size_t cut2 = whole.find('\n', 2 * third) + 1;
    const std::string header = whole.substr(0, whole.find('\n') + 1);
    // The second download repeats the end of the first.
    const std::size_t overlap = whole.rfind('\n', cut1 - 200) + 1;
    const std::string a = scratch_.write("a.txt", whole.substr(0, cut1)).string();
    const std::string b =
        scratch_.write("b.txt", header + whole.substr(overlap, cut2 - overlap)).string();
    const std::string c = scratch_.write("c.txt", header + whole.substr(cut2)).string();
    const std::string all = scratch_.write("all.txt", whole).string();

    for (const char *option : {"--details", "--monthly", "--format=csv"}) {
        const CliRun one = Run({option, all});
        const CliRun record = Run({option, c, a, b});
        EXPECT_EQ(record.status, 0);
        EXPECT_EQ(record.out, one.out) << option;
    }
    const CliRun record = Run({c, a, b});
    EXPECT_NE(record.err.find("pelk-cli: note: " + a + ": 2008-01-15 00:00 to "), std::string::npos)
        << record.err;
    EXPECT_NE(record.err.find(", in the export form\n"), std::string::npos);
    EXPECT_NE(record.err.find("pelk-cli: note: record of 3 files: "), std::string::npos);
    EXPECT_EQ(record.err.find("no reading from"), std::string::npos) << record.err;

    const CliRun gap = Run({a, c});
    EXPECT_NE(gap.err.find("pelk-cli: note: no reading from "), std::string::npos) << gap.err;
    EXPECT_NE(gap.err.find(" (between " + a + " and " + c + ")\n"), std::string::npos);

    const std::string bad =
        scratch_.write("bad.txt", "Date\tT\r\n03/01/2008 00:00\tx\r\n").string();
    const CliRun refused = Run({a, bad, c});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, std::string(kBadFormatMessage) + "\npelk-cli: " + bad +
                               ": line 2: not a number: '03/01/2008 00:00\tx'\n");
    const CliRun missing = Run({a, (scratch_.path() / "none.txt").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos);
}

} // namespace
} // namespace pelk
