#include "cli/cli_run.h"
#include "climate/locale_conversions.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

namespace pelk {
namespace {

constexpr ClockReading kOneHourAhead{0, 11, 10};

// Readings every three hours from mid-January to late March 2008, swinging below zero in January
// and staying above it in March, with many repeated and fractional values.
std::string MultiMonthExport() {
    std::string text = "Date\tValeur\r\n";
    const int daysInMonth[] = {31, 29, 31};
    int step = 0;
    for (int month = 1; month <= 3; ++month) {
        for (int day = month == 1 ? 15 : 1; day <= daysInMonth[month - 1]; ++day) {
            if (month == 3 && day > 20)
                break;
            for (int hour = 0; hour < 24; hour += 3) {
                ++step;
                const double value = ((step * 37) % 151 - 40) / 10.0 + (month - 1) * 4;
                char line[64];
                std::snprintf(line, sizeof line, "%02d/%02d/2008 %02d:00\t%.1f\r\n", month, day,
                              hour, value);
                text += line;
            }
        }
    }
    return text;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun RunPelkCli(std::vector<std::string_view> args, char separator) {
    std::ostringstream out, err;
    const int status = RunCli(args, separator, kOneHourAhead, out, err);
    return {status, out.str(), err.str()};
}

// The data lines' fields, the header line checked and left out.
std::vector<std::vector<std::string>> DataLines(const std::string &text) {
    EXPECT_TRUE(text.starts_with("Date\tTn\tTx\t\r\n"));
    std::vector<std::vector<std::string>> lines;
    std::size_t pos = text.find("\r\n") + 2;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos);
        const std::string line = text.substr(pos, end - pos);
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        EXPECT_EQ(fields.size(), 3u) << line;
        lines.push_back(fields);
        pos = end + 2;
    }
    return lines;
}

// Each test runs in both locales; the scratch folder is named after the test.
class CliSort : public ::testing::Test {
  protected:
    char GetParam() const { return separator_; }

    template <typename Body> void InBothLocales(Body body) {
        for (const char separator : {',', '.'}) {
            SCOPED_TRACE(std::string("separator ") + separator);
            separator_ = separator;
            body();
        }
    }

    void SetUp() override { file_ = scratch_.write("export.txt", MultiMonthExport()).string(); }

    CliRun Sorted(std::string_view value) const {
        return RunPelkCli({"--sort", value, file_}, GetParam());
    }

    double Number(const std::string &text) const {
        const auto value = ParseNumber(text, GetParam());
        EXPECT_TRUE(value) << text;
        return value.value_or(0);
    }

    // The sorted output holds the same lines as the unsorted one and is ordered by `column`.
    void ExpectOrderedBy(const CliRun &run, std::size_t column, bool descending) const {
        ASSERT_EQ(run.status, 0) << run.err;
        const CliRun unsorted = RunPelkCli({file_}, GetParam());
        auto lines = DataLines(run.out);
        auto expected = DataLines(unsorted.out);
        ASSERT_EQ(lines.size(), expected.size());
        ASSERT_GT(lines.size(), 60u);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string &a = lines[i - 1][column];
            const std::string &b = lines[i][column];
            if (column == 0)
                EXPECT_TRUE(descending ? a > b : a < b) << a << " then " << b;
            else if (descending)
                EXPECT_GE(Number(a), Number(b)) << a << " then " << b;
            else
                EXPECT_LE(Number(a), Number(b)) << a << " then " << b;
        }
        std::sort(lines.begin(), lines.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(lines, expected);
    }

    testing::ScratchDir scratch_;
    std::string file_;
    char separator_ = ',';
};

TEST_F(CliSort, tn_descending_is_numeric) {
    InBothLocales([&] { ExpectOrderedBy(Sorted("tn:desc"), 1, true); });
}

TEST_F(CliSort, tx_alone_is_ascending_and_numeric) {
    InBothLocales([&] { ExpectOrderedBy(Sorted("tx"), 2, false); });
}

TEST_F(CliSort, date_descending_is_newest_first) {
    InBothLocales([&] { ExpectOrderedBy(Sorted("date:desc"), 0, true); });
}

TEST_F(CliSort, column_names_and_directions_take_any_case) {
    InBothLocales([&] {
        ExpectOrderedBy(RunPelkCli({"--sort=TN:ASC", file_}, GetParam()), 1, false);
        ExpectOrderedBy(Sorted("Tx:Desc"), 2, true);
    });
}

TEST_F(CliSort, date_ascending_is_the_unsorted_output) {
    InBothLocales([&] {
        const CliRun run = Sorted("DATE:asc");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, RunPelkCli({file_}, GetParam()).out);
    });
}

TEST_F(CliSort, negative_values_come_before_positive_ones_ascending) {
    InBothLocales([&] {
        const auto lines = DataLines(Sorted("tn").out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front()[1].front(), '-');
        EXPECT_NE(lines.back()[1].front(), '-');
    });
}

TEST_F(CliSort, bad_sort_values_are_usage_errors) {
    for (const std::string_view value :
         {"", "foo", "tn:up", ":asc", "tn:", "t n", "Tn:asc:desc", "Tmin", "2"}) {
        const CliRun run = Sorted(value);
        EXPECT_EQ(run.status, kExitUsage) << value;
        EXPECT_EQ(run.out, "") << value;
        EXPECT_NE(run.err, "") << value;
    }
    EXPECT_EQ(RunPelkCli({file_, "--sort"}, GetParam()).status, kExitUsage);
}

TEST(cli_sort, empty_export_prints_the_header_alone_when_sorted) {
    testing::ScratchDir scratch;
    const std::string file = scratch.write("export.txt", "header\r\n").string();
    const CliRun run = RunPelkCli({"--sort", "tn:desc", file}, ',');
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n");
}

} // namespace
} // namespace pelk
