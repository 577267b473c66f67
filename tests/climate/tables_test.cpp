// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/tables.h"

#include <gtest/gtest.h>

#include <fstream>

namespace pelk {
namespace {

TEST(tables, separators_follow_the_locale_and_indices_stay_in_bounds) {
    for (const auto &[locale, alternate] : {std::pair{',', '.'}, {'.', ','}, {'\'', '\0'}}) {
        auto tables = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables, locale);
        EXPECT_EQ(tables->LocaleDecimalSeparator, locale);
        EXPECT_EQ(tables->AlternateDecimalSeparator, alternate);
    }
    auto tables = std::make_unique<ProgramTables>(); // indices run from 1 to the capacity
    for (const std::int64_t outside : {0LL, -1LL, 1'000'001LL})
        EXPECT_THROW(tables->MeasurementTable.at(outside), IndexOutOfRange) << outside;
    EXPECT_THROW(tables->DayTable.at(5'001), IndexOutOfRange);
    EXPECT_THROW((void)tables->MeasurementTable.first(1'000'001), IndexOutOfRange);
    tables->MeasurementTable.at(1'000'000).Value = 3;
    EXPECT_EQ(tables->MeasurementTable.first(1'000'000).back().Value, 3);
    EXPECT_TRUE(tables->DayTable.at(5'000).DayLabel.empty());
}

#ifdef __linux__
// The window makes new tables at every load: their whole reservation must go back each time.
TEST(tables, freed_tables_give_back_their_address_space) {
    auto mappedPages = [] {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        return pages;
    };
    const std::size_t before = mappedPages();
    constexpr std::size_t kLoads = 50;
    for (std::size_t load = 0; load < kLoads; ++load)
        (void)std::make_unique<MeasurementTableType>();
    // Under 64 KiB a load (4 KiB pages), where the last huge page alone is 760 KiB.
    EXPECT_LT(mappedPages() - before, kLoads * 16);
}
#endif

} // namespace
} // namespace pelk
