#include "climate/export_parser.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

std::unique_ptr<ProgramTables> TablesFor(char localeSeparator) {
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, localeSeparator);
    return tables;
}

// Both parsers, on fresh tables, must agree; returns the reference parser's outcome.
struct Parsed {
    LineOutcome outcome;
    std::int32_t nextIndex;
    Measurement stored;
};

Parsed ParseBoth(const std::string &line, char localeSeparator, std::int32_t startIndex = 1) {
    auto reference = TablesFor(localeSeparator);
    auto fast = TablesFor(localeSeparator);
    std::string copy = line;
    std::int32_t referenceIndex = startIndex;
    std::int32_t fastIndex = startIndex;
    const LineOutcome outcome = ParseExportLine(copy, referenceIndex, *reference);
    EXPECT_EQ(StoreExportLine(line, fastIndex, *fast), outcome) << line;
    EXPECT_EQ(fastIndex, referenceIndex) << line;
    Measurement stored;
    if (outcome == LineOutcome::Stored) {
        stored = reference->MeasurementTable.at(startIndex);
        EXPECT_EQ(fast->MeasurementTable.at(startIndex).Timestamp, stored.Timestamp);
        EXPECT_EQ(fast->MeasurementTable.at(startIndex).Value, stored.Value);
    }
    return {outcome, referenceIndex, stored};
}

TEST(export_parser, worked_example) {
    auto tables = TablesFor(',');
    std::string line = "03/15/2008 14:30\t12.75";
    std::int32_t next = 1;
    EXPECT_EQ(ParseExportLine(line, next, *tables), LineOutcome::Stored);
    EXPECT_EQ(line, "03/15/2008 14:30\t12,75");
    EXPECT_EQ(next, 2);
    const Measurement &m = tables->MeasurementTable.at(1);
    EXPECT_NEAR(m.Timestamp, 39522.6041666, 1e-6);
    EXPECT_EQ(FormatDateKey(m.Timestamp), "20080315143000");
    EXPECT_EQ(m.Value, 12.75f);
}

struct LineCase {
    const char *line;
    char locale;
    LineOutcome outcome;
    const char *dateKey; // when stored
    float value;
};

TEST(export_parser, lines) {
    using enum LineOutcome;
    const LineCase cases[] = {
        {"03/15/2008 14:30\t12,75", ',', Stored, "20080315143000", 12.75f},
        {"03/15/2008 14:30\t12.75", '.', Stored, "20080315143000", 12.75f},
        {"03/15/2008 14:30\t12,75", '.', Stored, "20080315143000", 12.75f},
        {"03/15/2008 14:30:45\t1", ',', Stored, "20080315143000", 1.0f},
        {"03/15/2008 14:30\t 12,5 \textra\tfields", ',', Stored, "20080315143000", 12.5f},
        {"03/15/2008 14:30\t-3.25", ',', Stored, "20080315143000", -3.25f},
        {"03-15-2008 14:30\t1", ',', Stored, "20080315143000", 1.0f},
        {"3/15/2008 14:30\t1", ',', Malformed, "", 0}, // positions shift: not a date
        {"\t12,5", ',', Skipped, "", 0},
        {"\t", ',', Skipped, "", 0},
        {"03/15/2008 14:30", ',', Malformed, "", 0},
        {"03/15/2008 14:30;12,5", ',', Malformed, "", 0},
        {"     \t1", ',', Malformed, "", 0},
        {"   ", ',', Malformed, "", 0},
        {"Date\tValeur", ',', Malformed, "", 0},
        {"03/15/2008 14:30\t", ',', Malformed, "", 0},
        {"03/15/2008 14:30\t  ", ',', Malformed, "", 0},
        {"03/15/2008 14:30\tabc", ',', Malformed, "", 0},
        {"03/15/2008 14:30\t1e39", ',', Malformed, "", 0},
        {"03/15/08 14:30:45\t1", ',', Malformed, "", 0},
        {"1234\t1", ',', Malformed, "", 0},
        {"02/30/2008 14:30\t1", ',', Malformed, "", 0},
        {"03.15.2008 14:30\t1", ',', Malformed, "", 0}, // '.' became ',' in the date
        {"03.15.2008 14:30\t1", '.', Stored, "20080315143000", 1.0f},
    };
    for (const LineCase &c : cases) {
        const Parsed parsed = ParseBoth(c.line, c.locale);
        EXPECT_EQ(parsed.outcome, c.outcome) << c.line;
        if (c.outcome == Stored && parsed.outcome == Stored) {
            EXPECT_EQ(FormatDateKey(parsed.stored.Timestamp), c.dateKey) << c.line;
            EXPECT_EQ(parsed.stored.Value, c.value) << c.line;
        }
    }
}

TEST(export_parser, index_must_lie_within_the_table) {
    EXPECT_EQ(ParseBoth("03/15/2008 14:30\t1", ',', 1'000'000).outcome, LineOutcome::Stored);
    EXPECT_EQ(ParseBoth("03/15/2008 14:30\t1", ',', 1'000'001).outcome, LineOutcome::Malformed);
    // A skipped line uses no index, even past the end.
    EXPECT_EQ(ParseBoth("\tx", ',', 1'000'001).outcome, LineOutcome::Skipped);
}

} // namespace
} // namespace pelk
