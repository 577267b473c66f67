#include "climate/tables.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

TEST(tables, separators_follow_the_locale) {
    const std::tuple<char, char> cases[] = {{',', '.'}, {'.', ','}, {'\'', '\0'}};
    for (const auto &[locale, alternate] : cases) {
        auto tables = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables, locale);
        EXPECT_EQ(tables->LocaleDecimalSeparator, locale);
        EXPECT_EQ(tables->AlternateDecimalSeparator, alternate);
    }
}

TEST(tables, indices_run_from_one_to_capacity) {
    auto tables = std::make_unique<ProgramTables>();
    for (std::int64_t bad : {0LL, -1LL, 1'000'001LL})
        EXPECT_THROW(tables->MeasurementTable.at(bad), IndexOutOfRange) << bad;
    for (std::int64_t bad : {0LL, 5'001LL})
        EXPECT_THROW(tables->DayTable.at(bad), IndexOutOfRange) << bad;
    tables->MeasurementTable.at(1'000'000).Value = 3;
    EXPECT_EQ(tables->MeasurementTable.first(1'000'000).back().Value, 3);
    EXPECT_TRUE(tables->DayTable.at(5'000).DayLabel.empty());
    EXPECT_THROW((void)tables->MeasurementTable.first(1'000'001), IndexOutOfRange);
}

} // namespace
} // namespace pelk
