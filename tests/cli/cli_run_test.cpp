// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace pelk {
namespace {

constexpr ClockReading kOneHourAhead{0, 11, 10};

// The two days of readings every three hours from which the window's list is worked out by hand.
const char *const kTwoDays = "Date\tValeur\r\n"
                             "03/05/2008 00:00\t4.0\r\n03/05/2008 03:00\t3.0\r\n"
                             "03/05/2008 06:00\t2.5\r\n03/05/2008 09:00\t6.0\r\n"
                             "03/05/2008 12:00\t11.0\r\n03/05/2008 15:00\t12.5\r\n"
                             "03/05/2008 18:00\t9.0\r\n03/05/2008 21:00\t7.0\r\n"
                             "03/06/2008 00:00\t5.5\r\n03/06/2008 03:00\t4.5\r\n"
                             "03/06/2008 06:00\t4.0\r\n03/06/2008 09:00\t8.0\r\n"
                             "03/06/2008 12:00\t14.0\r\n03/06/2008 15:00\t15.5\r\n"
                             "03/06/2008 18:00\t12.0\r\n03/06/2008 21:00\t10.0\r\n";

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
    const std::string file = Write(kTwoDays);
    const CliRun run = Run({file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({file}, '.').out,
              "Date\tTn\tTx\t\r\n2008-03-05\t2.5\t12.5\r\n2008-03-06\t4\t15.5\r\n");
    EXPECT_EQ(Run({Write("h\r\n03/05/2008 12:00\t4.5\r\n")}).out, // a single day
              "Date\tTn\tTx\t\r\n2008-03-05\t4,5\t4,5\r\n");
}

TEST_F(CliTest, no_readings_gives_the_header_alone) {
    for (const char *bytes : {"", "header\r\n", "header\r\n\r\n03/05/2008 00:00\t4\r\n"}) {
        const CliRun run = Run({Write(bytes)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n");
    }
}

TEST_F(CliTest, malformed_file_says_so_then_which_line_and_why_and_prints_nothing) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"h\r\n03/05/2008 00:00;4\r\n"s, "line 2: no TAB: '03/05/2008 00:00;4'"},
        {"h\r\n03/05/2008 00:00\t4\r\nx\r\n"s, "line 3: no TAB: 'x'"},
        {"h\r\n\0\0\0\r\n"s, "line 2: no TAB: '\?\?\?'"},
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
    EXPECT_EQ(Run({scratch_.path().string()}).status, 1);
    EXPECT_EQ(Run({"/proc/self/mem"}).status, 1); // opens, but cannot be read
}

TEST_F(CliTest, details_add_the_window_facts_and_move_with_their_rows) {
    const std::string file = Write(kTwoDays);
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
}

TEST_F(CliTest, command_line) {
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Mauvais format de fichier !  Utilisez l'export Excel"),
              std::string::npos);
    EXPECT_EQ(Run({}).status, kExitUsage);
    EXPECT_EQ(Run({"a", "b"}).status, kExitUsage);
    EXPECT_EQ(Run({"-x"}).status, kExitUsage);
    EXPECT_EQ(Run({"-h"}).out, help.out);
    for (const std::vector<std::string_view> &args : std::vector<std::vector<std::string_view>>{
             {"--max-gap", "x", "a"}, {"--utc-offset=99", "a"}, {"a", "--utc-offset"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, kExitUsage) << args[0];
        EXPECT_EQ(run.err.substr(0, 10), "pelk-cli: ") << args[0];
    }
}

} // namespace
} // namespace pelk
