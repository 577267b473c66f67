// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/export_parser.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <random>

namespace pelk {
namespace {

// Stored by no line, so that a store one parser makes and another does not shows.
constexpr Measurement kUntouched{-12345.678, -999.5f};

// What a parser did with one line: outcome, next index and the stored bits.
using Effect = std::tuple<LineOutcome, std::int32_t, std::uint64_t, std::uint32_t>;

// The step-by-step parser, then the allocation-free one without and with the date memory of a
// file's lines, each on its own tables.
class Parsers {
  public:
    Parsers(char locale, char alternate) {
        for (auto &tables : tables_) {
            tables = std::make_unique<ProgramTables>();
            tables->LocaleDecimalSeparator = locale;
            tables->AlternateDecimalSeparator = alternate;
        }
    }

    // The reference parser's effect; another parser's differing is a failure.
    Effect run(std::string_view line, std::int32_t index = 1) {
        // Outside the table, the nearest entry must stay untouched.
        const std::int64_t slot = std::clamp<std::int64_t>(index, 1, kMeasurementCapacity);
        std::array<Effect, 3> effects{};
        for (std::size_t p = 0; p < 3; ++p) {
            ProgramTables &tables = *tables_[p];
            tables.MeasurementTable.at(slot) = kUntouched;
            std::string copy(line);
            std::int32_t next = index;
            const LineOutcome outcome = p == 0   ? ParseExportLine(copy, next, tables)
                                        : p == 1 ? StoreExportLine(line, next, tables)
                                                 : StoreExportLine(line, next, tables, memory_);
            // A malformed line voids the whole load, so what it left in its entry is no effect.
            const Measurement m =
                outcome == LineOutcome::Malformed ? kUntouched : tables.MeasurementTable.at(slot);
            effects[p] = {outcome, next, std::bit_cast<std::uint64_t>(m.Timestamp),
                          std::bit_cast<std::uint32_t>(m.Value)};
        }
        EXPECT_TRUE(effects[1] == effects[0] && effects[2] == effects[0])
            << ::testing::PrintToString(line) << " at " << index << ": "
            << ::testing::PrintToString(effects);
        return effects[0];
    }

  private:
    std::array<std::unique_ptr<ProgramTables>, 3> tables_;
    ExportLineMemory memory_;
};

TEST(export_parser, accepted_and_refused_lines) {
    using enum LineOutcome;
    const std::tuple<const char *, char, LineOutcome, float, std::int32_t> cases[] = {
        {"03/15/2008 14:30\t12.75", ',', Stored, 12.75f, 1}, // the worked example
        {"03/15/2008 14:30\t12,75", '.', Stored, 12.75f, 1},
        {"03/15/2008 14:30:45\t1", ',', Stored, 1, 1}, // seconds past position 16 are cut
        {"03/15/2008 14:30\t -12,5 \textra\tfields", ',', Stored, -12.5f, 1},
        {"03.15.2008 14:30\t1", '.', Stored, 1, 1},
        {"03.15.2008 14:30\t1", ',', Stored, 1, 1}, // other shapes are read before normalising
        {"3/15/2008 14:30\t1", ',', Stored, 1, 1},  // no date by position: another shape
        {"\t12,5", ',', Skipped, 0, 1},
        {"03/15/2008 14:30;12,5", ',', Malformed, 0, 1},
        {"03/15/2008 14:30\t  ", ',', Malformed, 0, 1},
        {"03/15/2008 14:30\t3.4028235e38", ',', Stored, 3.4028235e38f, 1}, // the single range
        {"03/15/2008 14:30\t-3,4028235E38", ',', Stored, -3.4028235e38f, 1},
        {"03/15/2008 14:30\t1.4e-45", ',', Stored, 1.4e-45f, 1},
        {"03/15/08 14:30:45\t1", ',', Malformed, 0, 1},
        {"03/15/2008 14:30\t1", ',', Stored, 1, 1'000'000}, // the table's last entry
        {"03/15/2008 14:30\t1", ',', Malformed, 0, 1'000'001},
        {"\tx", ',', Skipped, 0, 1'000'001}, // a skipped line uses no index
    };
    Parsers comma(',', '.');
    Parsers point('.', ',');
    for (const char *beyond :
         {"3.4028236e38", "-1e39", "1e309", "7e-46", "1e-400", "inf", "nan", "0x1p3"})
        EXPECT_EQ(std::get<0>(comma.run("03/15/2008 14:30\t" + std::string(beyond))), Malformed);
    for (const auto &[line, locale, outcome, value, index] : cases) {
        const Effect e = (locale == ',' ? comma : point).run(line, index);
        EXPECT_EQ(std::get<0>(e), outcome) << line;
        EXPECT_EQ(std::get<1>(e), index + (outcome == Stored ? 1 : 0)) << line;
        if (outcome == Stored) {
            EXPECT_EQ(FormatDateKey(std::bit_cast<double>(std::get<2>(e))), "20080315143000")
                << line;
            EXPECT_EQ(std::bit_cast<float>(std::get<3>(e)), value) << line;
        }
    }
}

TEST(export_parser, other_timestamp_shapes_give_the_reading_of_todays_shape) {
    const std::pair<const char *, const char *> twins[] = {
        // The 12-hour clock: 12 AM is 00; an hour of 13-23, or both marks, left as they are.
        {"03/15/2008 02:30 PM\t1", "03/15/2008 14:30\t1"},
        {"03/15/2008 02:30:15 pm\t1", "03/15/2008 14:30\t1"},
        {"03/15/2008 12:30 AM\t1", "03/15/2008 00:30\t1"},
        {"03/15/2008 12:30 PM\t1", "03/15/2008 12:30\t1"},
        {"03/15/2008 11:59 Am\t1", "03/15/2008 11:59\t1"},
        {"03/15/2008 14:30 PM\t1", "03/15/2008 14:30\t1"},
        {"03/15/2008 02:30 AM PM\t1", "03/15/2008 02:30\t1"},
        {"3/5/2008 2:30\t1", "03/05/2008 02:30\t1"},
        {"3/15/2008 14:30:05\t1", "03/15/2008 14:30\t1"},
        {"03/5/2008 14:30\t1", "03/05/2008 14:30\t1"},
        {"03/15/2008 4:30:59\t1", "03/15/2008 04:30\t1"},
        {"3/15/2008 4:30:05.250\t1", "03/15/2008 04:30\t1"},
        {"3/15/2008 2:30 PM\t1", "03/15/2008 14:30\t1"},
        {"3/15/2008 12:05:59am\t1", "03/15/2008 00:05\t1"},
        {"3/15/2008 12:05 pm  \t1", "03/15/2008 12:05\t1"},
        {"3/5/2008\t1", "03/05/2008 00:00\t1"},
        {"3.5-2008  2:30\t1", "03/05/2008 02:30\t1"},
    };
    Parsers comma(',', '.');
    for (const auto &[other, today] : twins) {
        EXPECT_EQ(comma.run(other), comma.run(today)) << other;
        EXPECT_EQ(std::get<0>(comma.run(other)), LineOutcome::Stored) << other;
    }
    // Two-digit years, impossible dates and times, and anything else stay refused.
    for (const char *refused :
         {"3/5/08 2:30", "3/5/20081 2:30", "3/32/2008 2:30", "13/5/2008 2:30", "3/5/2008 24:00",
          "3/5/2008 2:3", "3/5/2008 2:30:5", "3/5/2008 2:30:60", "3/5/2008 2:30:05.",
          "3/5/2008 2:30 x", "3/5/2008 2:30 P", "3/5/2008 PM", " 3/5/2008 2:30", "3/5/2008x"})
        EXPECT_EQ(std::get<0>(comma.run(refused + std::string("\t1"))), LineOutcome::Malformed)
            << refused;
}

// A line as loggers write them, or nearly: odd dates, times, values and blanks, a third mutated.
// Two lines in three keep the date before, as a file's lines do, so that the date memory is used
// and must never carry into a line that it does not fit.
std::string GeneratedLine(std::mt19937 &random, std::string &date) {
    static constexpr const char *kOddTimestamps[] = {
        "", "1234", "    ", "2008-03-15 14:30", "3/15/2008 14:30", "03/15/2008  14:30"};
    static constexpr const char *kTails[] = {"", "", "", ":59", ":60", " x", "\t"};
    static constexpr int kYears[] = {0, 1, 1900, 2000, 2023, 2024, 9999};
    static constexpr const char *kOddValues[] = {
        "",    "-",     "+1",    ".5",    "5.",       "-0",         "1e5",         "1E-5",
        "1e",  "1.2.3", "1,2.3", "12 5",  "3.4e38",   "3.5e38",     "1e-45",       "1e-46",
        "inf", "nan",   "0x10",  "1,5e3", "16777217", "00000012.5", "99999999e-1", "9999999,5"};
    auto pick = [&](int lowest, int highest) {
        return std::uniform_int_distribution<int>(lowest, highest)(random);
    };
    auto number = [&](int width, int value) {
        char text[16];
        std::snprintf(text, sizeof text, "%0*d", width, value);
        return std::string(text);
    };
    const char *const separators = "///-., 0";
    if (pick(0, 2) == 0)
        date = number(2, pick(0, 13)) + separators[pick(0, 7)] + number(2, pick(0, 32)) +
               separators[pick(0, 7)] + number(4, pick(0, 1) ? kYears[pick(0, 6)] : pick(0, 9999));
    std::string text = pick(0, 7) == 0 ? kOddTimestamps[pick(0, 5)]
                                       : date + ' ' + number(2, pick(0, 24)) + ':' +
                                             number(2, pick(0, 60)) + kTails[pick(0, 6)];
    if (pick(0, 9) != 0) {
        std::string value = pick(0, 3) == 0 ? "-" : "";
        for (int i = 0, n = pick(1, 9), point = pick(0, n); i < n; ++i)
            value += std::string(i == point && i != 0 ? 1 : 0, ",."[pick(0, 1)]) +
                     static_cast<char>('0' + pick(0, 9));
        if (pick(0, 3) == 0)
            value = kOddValues[pick(0, 23)];
        text += '\t' + std::string(pick(0, 3) ? 0 : 2, ' ') + value +
                std::string(pick(0, 3) ? 0 : 1, ' ') + (pick(0, 3) ? "" : "\t1");
    }
    for (int edits = pick(0, 2) == 0 ? pick(1, 3) : 0; edits > 0; --edits) {
        const auto at = static_cast<std::size_t>(pick(0, static_cast<int>(text.size())));
        const char byte = "09/: \t,.-+e\0;\x80\xffx"[pick(0, 15)];
        if (const int kind = pick(0, 2); kind == 0)
            text.insert(at, 1, byte);
        else if (at < text.size())
            kind == 1 ? text.erase(at, 1) : text.replace(at, 1, 1, byte);
    }
    return text;
}

TEST(export_parser, fast_parsers_match_the_reference_on_generated_lines) {
    const std::pair<char, char> kSeparatorPairs[] = {
        {',', '.'}, {'.', ','}, {',', '\0'}, {'.', '\0'}, {';', '\0'}};
    constexpr std::int32_t kIndices[] = {1, 0, 999'999, 1'000'000, 1'000'001};
    for (const auto &[locale, alternate] : kSeparatorPairs) {
        Parsers parsers(locale, alternate);
        std::mt19937 random(static_cast<std::uint32_t>(locale * 256 + alternate));
        std::string date = "03/15/2008";
        for (int i = 0; i < 20'000; ++i) {
            const std::int32_t index = kIndices[i % 50 == 0 ? i / 50 % 5 : 0];
            parsers.run(GeneratedLine(random, date), index);
            if (HasFailure())
                return;
        }
    }
}

} // namespace
} // namespace pelk
