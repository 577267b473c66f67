// The allocation-free line parser against the step-by-step one, on generated and mutated lines:
// the same outcome, the same index and the same stored bits, for every pair of separators.
#include "climate/export_parser.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdio>
#include <random>

namespace pelk {
namespace {

struct SeparatorPair {
    char locale;
    char alternate;
};

constexpr SeparatorPair kSeparatorPairs[] = {
    {',', '.'}, {'.', ','}, {',', '\0'}, {'.', '\0'}, {';', '\0'}};

// A sentinel that no line stores, so that a store that one parser makes and the other does not
// shows up.
constexpr Measurement kUntouched{-12345.678, -999.5f};

class Parsers {
  public:
    /// `remember`: the fast parser carries its memory from line to line, as the reader does.
    explicit Parsers(SeparatorPair separators, bool remember = false) : remember_(remember) {
        for (ProgramTables *tables : {reference_.get(), fast_.get()}) {
            tables->LocaleDecimalSeparator = separators.locale;
            tables->AlternateDecimalSeparator = separators.alternate;
        }
    }

    ::testing::AssertionResult agree(std::string_view line, std::int32_t index = 1) {
        const bool inTable = MeasurementTableType::contains(index);
        if (inTable) {
            reference_->MeasurementTable.at(index) = kUntouched;
            fast_->MeasurementTable.at(index) = kUntouched;
        }
        std::string referenceLine(line);
        std::int32_t referenceIndex = index;
        std::int32_t fastIndex = index;
        const LineOutcome expected = ParseExportLine(referenceLine, referenceIndex, *reference_);
        const LineOutcome actual = remember_ ? StoreExportLine(line, fastIndex, *fast_, memory_)
                                             : StoreExportLine(line, fastIndex, *fast_);
        if (expected != actual || referenceIndex != fastIndex)
            return ::testing::AssertionFailure()
                   << "outcome " << static_cast<int>(actual) << " index " << fastIndex
                   << ", expected " << static_cast<int>(expected) << " index " << referenceIndex;
        if (!inTable)
            return ::testing::AssertionSuccess();
        const Measurement &want = reference_->MeasurementTable.at(index);
        const Measurement &got = fast_->MeasurementTable.at(index);
        if (std::bit_cast<std::uint64_t>(want.Timestamp) !=
                std::bit_cast<std::uint64_t>(got.Timestamp) ||
            std::bit_cast<std::uint32_t>(want.Value) != std::bit_cast<std::uint32_t>(got.Value))
            return ::testing::AssertionFailure()
                   << "stored " << got.Timestamp << " / " << got.Value << ", expected "
                   << want.Timestamp << " / " << want.Value;
        return ::testing::AssertionSuccess();
    }

  private:
    bool remember_;
    ExportLineMemory memory_;
    std::unique_ptr<ProgramTables> reference_ = std::make_unique<ProgramTables>();
    std::unique_ptr<ProgramTables> fast_ = std::make_unique<ProgramTables>();
};

std::string Printable(std::string_view line) {
    std::string out;
    for (const char c : line) {
        if (c >= 32 && c < 127) {
            out += c;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
            out += code;
        }
    }
    return out;
}

class LineGenerator {
  public:
    explicit LineGenerator(std::uint32_t seed) : random_(seed) {}

    std::string line() {
        std::string text = timestamp();
        switch (pick(0, 9)) {
        case 0:
            return text; // no TAB at all
        case 1:
            text.clear(); // empty first field
            break;
        default:
            break;
        }
        text += '\t';
        text += blanks() + value() + blanks();
        if (pick(0, 3) == 0)
            text += '\t' + value();
        return pick(0, 2) == 0 ? mutate(text) : text;
    }

  private:
    int pick(int lowest, int highest) {
        return std::uniform_int_distribution<int>(lowest, highest)(random_);
    }

    std::string twoDigits(int lowest, int highest) {
        char text[8];
        std::snprintf(text, sizeof text, "%02d", pick(lowest, highest));
        return text;
    }

    char dateSeparator() {
        static constexpr char kSeparators[] = {'/', '/', '/', '-', '.', ',', ' ', '0'};
        return kSeparators[pick(0, 7)];
    }

    std::string timestamp() {
        if (pick(0, 15) == 0) {
            static const char *const kOdd[] = {"",
                                               "1234",
                                               "    ",
                                               "Date",
                                               "03/15/08 14:30:45",
                                               "2008-03-15 14:30",
                                               "3/15/2008 14:30",
                                               "03/15/2008",
                                               "03/15/2008  14:30",
                                               "03/15/2008 4:30",
                                               "03/15/2008 14:30:61"};
            return kOdd[pick(0, 10)];
        }
        char year[8];
        static constexpr int kYears[] = {0, 1, 1899, 1900, 2000, 2008, 2024, 9999};
        std::snprintf(year, sizeof year, "%04d",
                      pick(0, 3) == 0 ? kYears[pick(0, 7)] : pick(0, 9999));
        std::string text = twoDigits(0, 13) + dateSeparator() + twoDigits(0, 32) + dateSeparator() +
                           year + ' ' + twoDigits(0, 24) + ':' + twoDigits(0, 60);
        switch (pick(0, 5)) {
        case 0:
            text += ':' + twoDigits(0, 60);
            break;
        case 1:
            text += " extra";
            break;
        default:
            break;
        }
        return text;
    }

    std::string blanks() {
        return std::string(static_cast<std::size_t>(pick(0, 3) == 0 ? pick(1, 2) : 0), ' ');
    }

    std::string value() {
        static const char *const kOdd[] = {
            "",          "-",         "+1",        ".5",         "5.",
            "-.5",       "-0",        "-0.0",      "0",          "1e5",
            "1E-5",      "1e",        "1.2.3",     "1,2.3",      "12 5",
            "123456789", "16777217",  "9999999",   "0.0000001",  "3.4e38",
            "3.5e38",    "-3.4e38",   "1e-45",     "1e-46",      "1.401298e-45",
            "inf",       "nan",       "0x10",      "1,5e3",      "00000012.5",
            "12345678",  "1234567.5", "0.1234567", "99999999e-1"};
        if (pick(0, 2) == 0)
            return kOdd[pick(0, 33)];
        const int digits = pick(1, 9);
        std::string text = pick(0, 3) == 0 ? "-" : "";
        const int point = pick(0, digits);
        for (int i = 0; i < digits; ++i) {
            if (i == point && point != 0)
                text += pick(0, 1) ? ',' : '.';
            text += static_cast<char>('0' + pick(0, 9));
        }
        return text;
    }

    std::string mutate(std::string text) {
        static constexpr char kBytes[] = {'0', '9', '/', ':',  ' ', '\t',   ',',    '.',
                                          '-', '+', 'e', '\0', ';', '\x80', '\xff', 'x'};
        for (int edits = pick(1, 3); edits > 0; --edits) {
            const auto at = static_cast<std::size_t>(pick(0, static_cast<int>(text.size())));
            const char byte = kBytes[pick(0, 15)];
            switch (pick(0, 2)) {
            case 0:
                text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), byte);
                break;
            case 1:
                if (at < text.size())
                    text.erase(at, 1);
                break;
            default:
                if (at < text.size())
                    text[at] = byte;
                break;
            }
        }
        return text;
    }

    std::mt19937 random_;
};

TEST(export_parser_differential, generated_and_mutated_lines) {
    for (const SeparatorPair separators : kSeparatorPairs) {
        Parsers parsers(separators);
        LineGenerator generator(static_cast<std::uint32_t>(separators.locale) * 31 +
                                static_cast<std::uint32_t>(separators.alternate));
        for (int i = 0; i < 60'000; ++i) {
            const std::string line = generator.line();
            ASSERT_TRUE(parsers.agree(line))
                << "line \"" << Printable(line) << "\" separators '" << separators.locale << "' / "
                << static_cast<int>(separators.alternate);
        }
    }
}

TEST(export_parser_differential, remembering_the_date_between_lines) {
    // Runs of lines on the same few dates, valid or not, with malformed lines between them: what
    // the parser remembers from one line must never change the next line's outcome.
    for (const SeparatorPair separators : kSeparatorPairs) {
        Parsers parsers(separators, true);
        std::mt19937 random(99);
        LineGenerator generator(3);
        const char *const kDates[] = {"03/15/2008", "03/16/2008", "02/29/2023", "02/29/2024",
                                      "00/00/0000", "13/01/2008", "12/31/9999", "01/01/0001"};
        for (int i = 0; i < 20'000; ++i) {
            std::string line;
            if (random() % 5 == 0) {
                line = generator.line();
            } else {
                char text[64];
                std::snprintf(text, sizeof text, "%s %02u:%02u\t%u.5", kDates[random() % 8],
                              static_cast<unsigned>(random() % 25),
                              static_cast<unsigned>(random() % 61),
                              static_cast<unsigned>(random() % 40));
                line = text;
            }
            ASSERT_TRUE(parsers.agree(line)) << "line \"" << Printable(line) << "\"";
        }
    }
}

TEST(export_parser_differential, at_the_ends_of_the_table) {
    for (const SeparatorPair separators : kSeparatorPairs) {
        Parsers parsers(separators);
        LineGenerator generator(7);
        for (const std::int32_t index : {0, 1, 999'999, 1'000'000, 1'000'001}) {
            for (int i = 0; i < 500; ++i) {
                const std::string line = generator.line();
                ASSERT_TRUE(parsers.agree(line, index))
                    << "line \"" << Printable(line) << "\" index " << index;
            }
        }
    }
}

TEST(export_parser_differential, values_that_sit_on_rounding_ties) {
    // Short decimals whose single is reached by one division: every 7-digit mantissa near the
    // top of the range and every scale.
    Parsers parsers({',', '.'});
    for (int mantissa = 9'999'000; mantissa <= 9'999'999; ++mantissa) {
        const std::string digits = std::to_string(mantissa);
        for (std::size_t point = 0; point <= digits.size(); ++point) {
            const std::string value = digits.substr(0, point) + "." + digits.substr(point);
            const std::string line = "03/15/2008 14:30\t" + value;
            ASSERT_TRUE(parsers.agree(line)) << line;
            ASSERT_TRUE(parsers.agree("03/15/2008 14:30\t-" + value)) << line;
        }
    }
    for (int mantissa = 0; mantissa <= 200'000; mantissa += 7) {
        const std::string line = "12/31/9999 23:59\t" + std::to_string(mantissa / 1000) + "," +
                                 std::to_string(mantissa % 1000);
        ASSERT_TRUE(parsers.agree(line)) << line;
    }
}

TEST(export_parser_differential, every_date_of_canonical_shape) {
    // Every month and day number from 00 to 13 / 32 in a leap and a common year, at the edges of
    // the clock: the direct reading of canonical timestamps must refuse what the date parser
    // refuses.
    Parsers parsers({',', '.'});
    for (const char *year : {"0000", "0001", "1900", "2000", "2023", "2024", "9999"})
        for (int month = 0; month <= 13; ++month)
            for (int day = 0; day <= 32; ++day)
                for (const char *time : {"00:00", "23:59", "24:00", "12:60", "07:05"}) {
                    char line[64];
                    std::snprintf(line, sizeof line, "%02d/%02d/%s %s\t1.5", month, day, year,
                                  time);
                    ASSERT_TRUE(parsers.agree(line)) << line;
                }
}

} // namespace
} // namespace pelk
