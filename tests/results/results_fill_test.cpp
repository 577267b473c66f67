#include "results/results_list.h"

#include "climate/date_time.h"
#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <memory>

namespace pelk {
namespace {

std::unique_ptr<ProgramTables> TablesWithDays(const std::vector<DayRow> &days) {
    auto tables = std::make_unique<ProgramTables>();
    for (std::size_t i = 0; i < days.size(); ++i)
        tables->DayTable.at(static_cast<std::int64_t>(i + 1)) = days[i];
    tables->DayCount = static_cast<std::int16_t>(days.size());
    return tables;
}

TEST(row_colours, colour_values_hold_red_in_the_lowest_byte) {
    const std::pair<std::uint32_t, Rgb> cases[] = {
        {16645614, {238, 253, 253}}, {12648447, {255, 255, 192}}, {0x000000FF, {255, 0, 0}},
        {0x0000FF00, {0, 255, 0}},   {0x00FF0000, {0, 0, 255}},   {0xFF000000, {0, 0, 0}},
    };
    for (const auto &[value, rgb] : cases)
        EXPECT_EQ(RgbFromColorValue(value), rgb) << value;
    EXPECT_EQ(kRowColor1, 0xFDFDEEu);
    EXPECT_EQ(kRowColor2, 0xC0FFFFu);
}

TEST(result_columns, date_left_then_tn_and_tx_centred_and_numeric) {
    ListView list;
    AddResultColumns(list);
    ASSERT_EQ(list.columnCount(), 3);
    const std::tuple<const char *, int, Alignment, const char *> expected[] = {
        {"Date", 107, Alignment::Left, ""},
        {"Tn", 67, Alignment::Center, "NUMBER"},
        {"Tx", 67, Alignment::Center, "NUMBER"},
    };
    for (std::int32_t c = 1; c <= 3; ++c) {
        const auto &[text, width, alignment, tag] = expected[c - 1];
        const ColumnHeader &header = list.ColumnHeaders(c);
        EXPECT_EQ(header.Text, text);
        EXPECT_EQ(header.Index, c);
        EXPECT_EQ(header.widthPixels, width);
        EXPECT_EQ(header.alignment, alignment);
        EXPECT_EQ(header.Tag, tag);
    }
}

TEST(fill_results_list, two_days_give_two_rows_in_day_order) {
    ListView list;
    AddResultColumns(list);
    list.setVisible(false);
    const auto tables =
        TablesWithDays({{"2,5", "12,5", "2008-03-05"}, {"4", "15,5", "2008-03-06"}});
    FillResultsList(list, *tables);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(1).Text(), "2008-03-05");
    EXPECT_EQ(list.Item(1).SubItems(1), "2,5");
    EXPECT_EQ(list.Item(1).SubItems(2), "12,5");
    EXPECT_EQ(list.Item(2).Text(), "2008-03-06");
    EXPECT_EQ(list.Item(2).SubItems(1), "4");
    EXPECT_EQ(list.Item(2).SubItems(2), "15,5");
    for (std::int32_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(list.Item(i).Tag(), "");
        EXPECT_EQ(list.Item(i).ListSubItems(1).Tag, "");
        EXPECT_FALSE(list.Item(i).Selected);
    }
    EXPECT_TRUE(list.Visible());
    EXPECT_FALSE(list.Sorted());
}

TEST(fill_results_list, ends_by_shading_the_rows) {
    ListView list;
    AddResultColumns(list);
    const auto tables = TablesWithDays(
        {{"100", "-100", "2008-03-05"}, {"1", "2", "2008-03-06"}, {"3", "4", "2008-03-07"}});
    FillResultsList(list, *tables);
    EXPECT_EQ(list.Item(1).SubItems(1), "100");
    EXPECT_EQ(list.Item(1).SubItems(2), "-100");
    EXPECT_EQ(list.rowColor(1), (Rgb{238, 253, 253}));
    EXPECT_EQ(list.rowColor(2), (Rgb{255, 255, 192}));
    EXPECT_EQ(list.rowColor(3), (Rgb{238, 253, 253}));
}

TEST(fill_results_list, no_days_leaves_the_list_empty_visible_and_unshaded) {
    ListView list;
    AddResultColumns(list);
    list.setVisible(false);
    const auto tables = TablesWithDays({});
    FillResultsList(list, *tables);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Visible());
    EXPECT_FALSE(list.rowColor(1));
}

TEST(fill_results_list, five_thousand_days_give_five_thousand_rows) {
    std::vector<DayRow> days;
    const std::int64_t first = DayNumberFromCivil(2008, 3, 5);
    for (std::int64_t k = 0; k < kDayCapacity; ++k)
        days.push_back({"1", "2", FormatDayLabel(static_cast<DateTime>(first + k))});
    ListView list;
    AddResultColumns(list);
    FillResultsList(list, *TablesWithDays(days));
    ASSERT_EQ(list.Count(), 5000);
    EXPECT_EQ(list.Item(1).Text(), "2008-03-05");
    EXPECT_EQ(list.Item(5000).Text(), FormatDayLabel(static_cast<DateTime>(first + 4999)));
}

TEST(fill_results_list, a_list_without_the_number_columns_still_gets_its_rows) {
    // A failing cell write is skipped and the filling goes on, as everywhere during loading.
    ListView list;
    list.addColumn("Date", "", 107, Alignment::Left);
    const auto tables = TablesWithDays({{"1", "2", "2008-03-05"}, {"3", "4", "2008-03-06"}});
    FillResultsList(list, *tables);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(2).Text(), "2008-03-06");
    EXPECT_TRUE(list.rowColor(1));
}

TEST(fill_results_list, each_row_and_cell_is_told_to_the_view) {
    struct Recorder : ListViewObserver {
        void rowAboutToBeAdded(std::int32_t position) override {
            log += "+" + std::to_string(position);
        }
        void rowAdded() override {}
        void layoutAboutToChange() override { log += "("; }
        void layoutChanged() override { log += ")"; }
        void cellChanged(std::int32_t row, std::int32_t column) override {
            log += " " + std::to_string(row) + "." + std::to_string(column);
        }
        void appearanceChanged() override { log += " look"; }
        std::string log;
    } recorder;
    ListView list;
    AddResultColumns(list);
    list.setObserver(&recorder);
    FillResultsList(list, *TablesWithDays({{"1", "2", "2008-03-05"}, {"3", "4", "2008-03-06"}}));
    EXPECT_EQ(recorder.log, "+1 1.1 1.2+2 2.1 2.2 look look");
}

TEST(row_shading, colours_go_by_display_position) {
    ListView list;
    AddResultColumns(list);
    for (const char *day : {"2008-03-05", "2008-03-06", "2008-03-07"})
        list.Add(list.Count() + 1, day);
    ShadeAlternateRows(list, 0x0000FF, 0x00FF00);
    EXPECT_EQ(list.rowColor(1), (Rgb{255, 0, 0}));
    EXPECT_EQ(list.rowColor(2), (Rgb{0, 255, 0}));
    EXPECT_EQ(list.rowColor(3), (Rgb{255, 0, 0}));
}

TEST(row_shading, list_outside_report_view_or_without_rows_is_left_untouched) {
    ListView empty;
    AddResultColumns(empty);
    const std::uint64_t before = empty.version();
    ApplyRowShading(empty);
    EXPECT_FALSE(empty.rowColor(1));
    EXPECT_EQ(empty.version(), before);

    ListView icons;
    AddResultColumns(icons);
    icons.Add(1, "2008-03-05");
    icons.View = 0;
    ApplyRowShading(icons);
    EXPECT_FALSE(icons.rowColor(1));
}

} // namespace
} // namespace pelk
