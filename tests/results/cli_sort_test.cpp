// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"
#include "climate/locale_conversions.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <tuple>
#include <vector>

namespace pelk {
namespace {

using Strings = std::vector<std::string>;

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

// Exit status, standard output and standard error.
std::tuple<int, std::string, std::string> RunPelkCli(std::vector<std::string_view> args,
                                                     char separator) {
    std::ostringstream out, err;
    const int status = RunCli(args, separator, ClockReading{0, 11, 10}, out, err);
    return {status, out.str(), err.str()};
}

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

TEST(cli_sort, orders_the_same_lines_by_date_or_numerically_by_tn_and_tx) {
    testing::ScratchDir scratch;
    const std::string file = scratch.write("export.txt", MultiMonthExport()).string();
    const std::tuple<const char *, std::size_t, bool> cases[] = {
        {"Tn:Desc", 1, true}, {"tx", 2, false}, {"date:desc", 0, true}, {"TN:ASC", 1, false}};
    for (const char sep : {',', '.'}) {
        const auto byDate = DataLines(std::get<1>(RunPelkCli({file}, sep)));
        ASSERT_GT(byDate.size(), 60u);
        for (const auto &[value, column, descending] : cases) {
            SCOPED_TRACE(std::string(value) + " " + sep);
            const std::string option = std::string("--sort=") + value; // the other spelling
            const auto [status, out, err] = sep == ',' ? RunPelkCli({"--sort", value, file}, sep)
                                                       : RunPelkCli({option, file}, sep);
            ASSERT_EQ(status, 0) << err;
            // Differential: a stable sort of the date-ordered lines by the column's values.
            auto expected = byDate;
            std::stable_sort(
                expected.begin(), expected.end(), [&](const Strings &x, const Strings &y) {
                    const std::string &a = (descending ? y : x)[column];
                    const std::string &b = (descending ? x : y)[column];
                    return column == 0 ? a < b : *ParseNumber(a, sep) < *ParseNumber(b, sep);
                });
            EXPECT_EQ(DataLines(out), expected);
        }
    }
}

TEST(cli_sort, a_bad_sort_value_is_a_usage_error) {
    for (const char *value : {"", "foo", "tn:up", ":asc", "tn:", "Tn:asc:desc", "Tmin"}) {
        const std::string option = std::string("--sort=") + value;
        const auto [status, out, err] = RunPelkCli({option, "export.txt"}, ',');
        EXPECT_EQ(status, kExitUsage) << value;
        EXPECT_TRUE(out.empty() && !err.empty()) << value;
    }
    EXPECT_EQ(std::get<0>(RunPelkCli({"export.txt", "--sort"}, ',')), kExitUsage);
}

} // namespace
} // namespace pelk
