#include "results/results_list.h"

#include "climate/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace pelk {
namespace {

constexpr std::int32_t kDateHeader = 1;
constexpr std::int32_t kTnHeader = 2;
constexpr std::int32_t kTxHeader = 3;

struct Day {
    std::string date, tn, tx;
};

// The window's three columns with these rows, in this order.
void FillDays(ListView &list, const std::vector<Day> &days) {
    AddResultColumns(list);
    for (const Day &day : days) {
        ListItem &row = list.Add(list.Count() + 1, day.date);
        row.SubItems(1) = day.tn;
        row.SubItems(2) = day.tx;
    }
}

std::vector<std::string> Column(const ListView &list, std::size_t column) {
    std::vector<std::string> texts;
    for (std::int32_t i = 1; i <= list.Count(); ++i)
        texts.push_back(list.Item(i).cell(column).Text);
    return texts;
}

using Strings = std::vector<std::string>;

// Every cell's text and tag, by the row's own (unique) first-column text.
std::map<std::string, std::vector<std::pair<std::string, std::string>>>
Cells(const ListView &list) {
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> cells;
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        const ListItem &row = list.Item(i);
        for (std::size_t c = 0; c < row.cellCount(); ++c)
            cells[row.Text()].emplace_back(row.cell(c).Text, row.cell(c).Tag);
    }
    return cells;
}

struct LayoutCounter : ListViewObserver {
    void rowAboutToBeAdded(std::int32_t) override { ++other; }
    void rowAdded() override { ++other; }
    void layoutAboutToChange() override { events += "("; }
    void layoutChanged() override { events += ")"; }
    void cellChanged(std::int32_t, std::int32_t) override { ++other; }
    void appearanceChanged() override { ++other; }

    std::string events;
    int other = 0;
};

const std::vector<Day> kFourDays = {
    {"2008-03-05", "12,5", "15"},
    {"2008-03-06", "-3,2", "8,25"},
    {"2008-03-07", "0", "-100"},
    {"2008-03-08", "7", "21,5"},
};

TEST(column_click, first_click_on_date_shows_newest_first_and_second_oldest_first) {
    ListView list;
    FillDays(list, kFourDays);
    ASSERT_EQ(list.SortOrder(), 0);
    Lv_ColumnClick(list, kDateHeader, ',');
    EXPECT_EQ(Column(list, 0), (Strings{"2008-03-08", "2008-03-07", "2008-03-06", "2008-03-05"}));
    EXPECT_EQ(list.SortOrder(), 1);
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_TRUE(list.Sorted());
    Lv_ColumnClick(list, kDateHeader, ',');
    EXPECT_EQ(Column(list, 0), (Strings{"2008-03-05", "2008-03-06", "2008-03-07", "2008-03-08"}));
    EXPECT_EQ(list.SortOrder(), 0);
}

TEST(column_click, ascending_tn_is_numeric_and_shows_the_cells_own_texts) {
    ListView list;
    FillDays(list, kFourDays);
    list.setSortOrder(1); // so that the click sorts ascending
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(list.SortOrder(), 0);
    EXPECT_EQ(list.SortKey(), 1);
    EXPECT_EQ(Column(list, 1), (Strings{"-3,2", "0", "7", "12,5"}));
    EXPECT_EQ(Column(list, 0), (Strings{"2008-03-06", "2008-03-07", "2008-03-08", "2008-03-05"}));
    EXPECT_EQ(Column(list, 2), (Strings{"8,25", "-100", "21,5", "15"}));
}

TEST(column_click, direction_flips_at_every_click_whatever_the_header) {
    ListView list;
    FillDays(list, kFourDays);
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(Column(list, 1), (Strings{"12,5", "7", "0", "-3,2"}));
    Lv_ColumnClick(list, kTxHeader, ',');
    EXPECT_EQ(list.SortKey(), 2);
    EXPECT_EQ(Column(list, 2), (Strings{"-100", "8,25", "15", "21,5"}));
    Lv_ColumnClick(list, kTxHeader, ',');
    EXPECT_EQ(Column(list, 2), (Strings{"21,5", "15", "8,25", "-100"}));
    Lv_ColumnClick(list, kDateHeader, ',');
    EXPECT_EQ(list.SortOrder(), 0);
    EXPECT_EQ(Column(list, 0), (Strings{"2008-03-05", "2008-03-06", "2008-03-07", "2008-03-08"}));
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(list.SortOrder(), 1);
    EXPECT_EQ(Column(list, 1), (Strings{"12,5", "7", "0", "-3,2"}));
}

TEST(column_click, a_cell_that_is_no_number_comes_first_ascending_and_last_descending) {
    ListView list;
    FillDays(list, {{"a", "5", ""}, {"b", "", ""}, {"c", "-1", ""}, {"d", "n/a", ""}});
    list.setSortOrder(1);
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(Column(list, 1), (Strings{"", "n/a", "-1", "5"}));
    Lv_ColumnClick(list, kTnHeader, ',');
    // Descending keeps equal keys in their previous order.
    EXPECT_EQ(Column(list, 1), (Strings{"5", "-1", "", "n/a"}));
}

TEST(column_click, every_cell_gets_its_text_and_tag_back) {
    ListView list;
    FillDays(list, kFourDays);
    list.Item(1).Tag() = "row tag";
    list.Item(2).ListSubItems(1).Tag = "tn tag";
    list.Item(3).ListSubItems(2).Tag = "tx tag";
    list.Item(4).ListSubItems(1).Tag = "NUMBER";
    const auto before = Cells(list);
    for (const std::int32_t header : {kTnHeader, kTxHeader, kDateHeader, kTnHeader, kTnHeader}) {
        Lv_ColumnClick(list, header, ',');
        EXPECT_EQ(Cells(list), before) << "after a click on header " << header;
    }
}

TEST(column_click, cells_made_by_filling_keep_empty_tags) {
    ListView list;
    FillDays(list, kFourDays);
    Lv_ColumnClick(list, kTnHeader, ',');
    for (std::int32_t i = 1; i <= list.Count(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_EQ(list.Item(i).cell(c).Tag, "") << i << "," << c;
}

TEST(column_click, empty_list_still_flips_the_order_and_sets_the_sort_state) {
    ListView list;
    AddResultColumns(list);
    LayoutCounter counter;
    list.setObserver(&counter);
    Lv_ColumnClick(list, kTxHeader, ',');
    EXPECT_EQ(list.SortOrder(), 1);
    EXPECT_EQ(list.SortKey(), 2);
    EXPECT_TRUE(list.Sorted());
    EXPECT_FALSE(list.drawingSuspended());
    EXPECT_EQ(counter.events, "()");
    Lv_ColumnClick(list, kTxHeader, ',');
    EXPECT_EQ(list.SortOrder(), 0);
}

TEST(column_click, each_click_is_drawn_as_one_layout_change) {
    ListView list;
    FillDays(list, kFourDays);
    LayoutCounter counter;
    list.setObserver(&counter);
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(counter.events, "()");
    Lv_ColumnClick(list, kDateHeader, ',');
    EXPECT_EQ(counter.events, "()()");
    EXPECT_EQ(counter.other, 0);
    EXPECT_FALSE(list.drawingSuspended());
}

TEST(column_click, shading_stays_with_the_display_positions) {
    ListView list;
    FillDays(list, kFourDays);
    ApplyRowShading(list);
    const auto first = list.rowColor(1);
    Lv_ColumnClick(list, kTnHeader, ',');
    EXPECT_EQ(list.rowColor(1), first);
    EXPECT_EQ(list.rowColor(1), RgbFromColorValue(kRowColor1));
    EXPECT_EQ(list.rowColor(2), RgbFromColorValue(kRowColor2));
}

TEST(column_click, numbers_follow_the_point_locale_too) {
    ListView list;
    FillDays(list, {{"a", "12.5", ""}, {"b", "-3.2", ""}, {"c", "0", ""}, {"d", "7", ""}});
    list.setSortOrder(1);
    Lv_ColumnClick(list, kTnHeader, '.');
    EXPECT_EQ(Column(list, 1), (Strings{"-3.2", "0", "7", "12.5"}));
}

// Differential: a keyed click orders the rows as a stable numeric sort of the shown values does,
// cells that are no number first (ascending) or last (descending).
TEST(column_click, keyed_sort_matches_a_stable_numeric_sort) {
    std::mt19937 random(5032008);
    std::uniform_int_distribution<int> tenths(-400, 400);
    for (const char separator : {',', '.'}) {
        for (const std::int16_t orderBefore : {0, 1}) {
            ListView list;
            AddResultColumns(list);
            struct Row {
                std::string date;
                std::optional<double> value;
            };
            std::vector<Row> rows;
            for (int i = 0; i < 600; ++i) {
                const std::string date = "day " + std::to_string(1000 + i);
                std::string tn = NumberToText(static_cast<float>(tenths(random)) / 10, separator);
                if (i % 37 == 0)
                    tn = i % 2 ? "" : "?";
                list.Add(list.Count() + 1, date).SubItems(1) = tn;
                rows.push_back({date, ParseNumber(tn, separator)});
            }
            auto less = [](const Row &a, const Row &b) {
                if (!a.value || !b.value)
                    return !a.value && b.value;
                return *a.value < *b.value;
            };
            if (orderBefore == 1)
                std::stable_sort(rows.begin(), rows.end(), less);
            else
                std::stable_sort(rows.begin(), rows.end(),
                                 [&](const Row &a, const Row &b) { return less(b, a); });
            list.setSortOrder(orderBefore);
            Lv_ColumnClick(list, kTnHeader, separator);
            Strings expected;
            for (const Row &row : rows)
                expected.push_back(row.date);
            EXPECT_EQ(Column(list, 0), expected) << separator << " " << orderBefore;
        }
    }
}

// A list of one column with the given tag, holding day-first dates.
ListView &DatesTagged(ListView &list, const std::string &tag) {
    list.addColumn("When", tag, 100, Alignment::Left);
    for (const char *text : {"05/03/2008", "25/02/2008", "not a date", "01/12/2007 18:00"})
        list.Add(list.Count() + 1, text);
    list.setSortOrder(1);
    return list;
}

TEST(column_click, tag_date_in_any_case_sorts_chronologically) {
    for (const char *tag : {"DATE", "date", "DaTe"}) {
        ListView list;
        Lv_ColumnClick(DatesTagged(list, tag), 1, ',');
        EXPECT_EQ(Column(list, 0),
                  (Strings{"not a date", "01/12/2007 18:00", "25/02/2008", "05/03/2008"}))
            << tag;
    }
}

TEST(column_click, other_tags_sort_the_texts_as_they_stand) {
    for (const char *tag : {"", " DATE", "DATE ", "DATES"}) {
        ListView list;
        Lv_ColumnClick(DatesTagged(list, tag), 1, ',');
        EXPECT_EQ(Column(list, 0),
                  (Strings{"01/12/2007 18:00", "05/03/2008", "25/02/2008", "not a date"}))
            << "tag '" << tag << "'";
    }
}

TEST(column_click, tag_number_in_any_case_sorts_numerically) {
    for (const auto &[tag, expected] :
         {std::pair<const char *, Strings>{"number", {"-2", "9", "10"}},
          {"Number", {"-2", "9", "10"}},
          {"", {"-2", "10", "9"}},
          {"NUMBER ", {"-2", "10", "9"}}}) {
        ListView list;
        list.addColumn("N", tag, 50, Alignment::Left);
        for (const char *text : {"10", "9", "-2"})
            list.Add(list.Count() + 1, text);
        list.setSortOrder(1);
        Lv_ColumnClick(list, 1, ',');
        EXPECT_EQ(Column(list, 0), expected) << "tag '" << tag << "'";
    }
}

TEST(column_click, a_header_that_does_not_exist_still_closes_the_bracket) {
    for (const std::int32_t header : {0, 4, -7}) {
        ListView list;
        FillDays(list, kFourDays);
        const auto before = Cells(list);
        Lv_ColumnClick(list, header, ',');
        EXPECT_FALSE(list.drawingSuspended()) << header;
        EXPECT_EQ(list.SortOrder(), 1) << header;
        EXPECT_EQ(Cells(list), before) << header;
    }
}

} // namespace
} // namespace pelk
