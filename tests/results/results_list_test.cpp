// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/results_list.h"

#include "climate/locale_conversions.h"

#include "tests/support/list_view_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace pelk {
namespace {

using testing::Column;
using testing::Strings;

// The window's three columns, one row per {date, Tn, Tx}.
void FillDays(ListView &list, const std::vector<Strings> &days) {
    AddResultColumns(list);
    for (const Strings &day : days) {
        list.Add(list.Count() + 1, day[0]).SubItems(1) = day[1];
        list.Item(list.Count()).SubItems(2) = day[2];
    }
}

// Every cell's text and tag, by the row's own (unique) first-column text.
std::map<std::string, Strings> Cells(const ListView &list) {
    std::map<std::string, Strings> cells;
    for (std::int32_t i = 1; i <= list.Count(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
            cells[list.Item(i).Text()].push_back(list.Item(i).cell(c).Text + '|' +
                                                 list.Item(i).cell(c).Tag);
    return cells;
}

class NumberSortKeys : public ::testing::TestWithParam<char> {};

// Property: for the texts the list itself shows, key order is numeric order.
TEST_P(NumberSortKeys, key_order_is_numeric_order_for_the_lists_own_texts) {
    const char sep = GetParam();
    std::mt19937 random(20080305);
    std::uniform_int_distribution<int> mantissa(1000000, 9999999), exponent(-15, 3);
    std::vector<std::pair<double, std::string>> values; // value, key
    for (int i = 0; i < 4000; ++i) {
        float value = static_cast<float>(mantissa(random) * std::pow(10.0, exponent(random)));
        value = (i % 50 == 0 ? std::round(value) : value) * (i % 3 ? 1.0f : -1.0f);
        const std::string text = NumberToText(value, sep);
        values.emplace_back(ParseNumber(text, sep).value(), NumberSortKey(text, sep));
    }
    std::sort(values.begin(), values.end());
    for (std::size_t i = 1; i < values.size(); ++i) {
        const auto &[a, keyA] = values[i - 1];
        const auto &[b, keyB] = values[i];
        EXPECT_TRUE(a < b ? keyA < keyB : keyA == keyB) << a << " then " << b;
    }
}

INSTANTIATE_TEST_SUITE_P(separators, NumberSortKeys, ::testing::Values(',', '.'));

TEST(date_sort_key, gives_fourteen_digits_and_orders_a_date_tagged_column_non_dates_first) {
    const std::pair<const char *, const char *> chronological[] = {
        {"14:30", "18991230143000"},
        {"31/12/2007 23:59", "20071231235900"},
        {"2008-01-01", "20080101000000"},
        {"25/10/2008 14:30:05", "20081025143005"},
    };
    for (const std::string tag : {"date", "DATES"}) { // the tag in any case, but whole
        ListView list;
        list.addColumn("When", tag, 50, Alignment::Left);
        for (const auto &[text, key] : chronological) {
            EXPECT_EQ(DateSortKey(text), key) << text;
            list.Add(1, text);
        }
        list.Add(1, "31/04/2008");
        list.setSortOrder(1);
        Lv_ColumnClick(list, 1, ',');
        EXPECT_EQ(Column(list, 0)[0], tag == "date" ? "31/04/2008" : "14:30");
        EXPECT_EQ(Column(list, 0)[1], tag == "date" ? "14:30" : "2008-01-01");
    }
}

TEST(fill_results_list, one_row_per_day_then_visible_and_shaded_by_position) {
    auto tables = std::make_unique<ProgramTables>();
    tables->DayTable.at(1) = {"2,5", "12,5", "2008-03-05"};
    tables->DayTable.at(2) = {"4", "15,5", "2008-03-06"};
    tables->DayCount = 2;
    ListView list;
    AddResultColumns(list);
    list.setVisible(false); // shown again once filled
    FillResultsList(list, *tables);
    EXPECT_TRUE(list.Visible());
    EXPECT_EQ(ClipboardText(list, false, 1, -1, true),
              "2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n");
    EXPECT_EQ(list.rowColor(1), (Rgb{238, 253, 253}));
    EXPECT_EQ(list.rowColor(2), (Rgb{255, 255, 192}));
}

TEST(row_shading, leaves_a_list_outside_report_view_or_without_rows_untouched) {
    ListView list;
    ApplyRowShading(list);
    list.Add(1, "2008-03-05");
    list.View = 0;
    ApplyRowShading(list);
    EXPECT_FALSE(list.rowColor(1));
}

TEST(column_click, each_click_flips_the_direction_and_sorts_by_that_header_with_cells_restored) {
    ListView list;
    FillDays(list, {{"2008-03-05", "12,5", "15"},
                    {"2008-03-06", "-3,2", "8,25"},
                    {"2008-03-07", "0", "n/a"},
                    {"2008-03-08", "7", "-100"},
                    {"2008-03-09", "", "21,5"}});
    list.Item(1).Tag() = "row tag";
    list.Item(2).ListSubItems(1).Tag = "NUMBER";
    const auto cells = Cells(list);
    const std::tuple<std::int32_t, std::int16_t, Strings> clicks[] = {
        // header, order, column
        {1, 1, {"2008-03-09", "2008-03-08", "2008-03-07", "2008-03-06", "2008-03-05"}},
        {2, 0, {"", "-3,2", "0", "7", "12,5"}},
        {3, 1, {"21,5", "15", "8,25", "-100", "n/a"}},
        {3, 0, {"n/a", "-100", "8,25", "15", "21,5"}},
        {2, 1, {"12,5", "7", "0", "-3,2", ""}},
    };
    for (const auto &[header, order, column] : clicks) {
        Lv_ColumnClick(list, header, ',');
        EXPECT_EQ(list.SortOrder(), order);
        EXPECT_EQ(list.SortKey(), header - 1);
        EXPECT_EQ(Column(list, static_cast<std::size_t>(header - 1)), column);
        EXPECT_EQ(Cells(list), cells) << "after a click on header " << header;
    }
}

TEST(column_click, on_an_empty_list_or_a_missing_header_still_flips_and_closes_the_bracket) {
    for (const std::int32_t header : {3, 0, 4}) {
        ListView list;
        AddResultColumns(list);
        Lv_ColumnClick(list, header, ',');
        EXPECT_EQ(list.SortOrder(), 1);
        EXPECT_EQ(list.SortKey(), header == 3 ? 2 : 0);
        EXPECT_TRUE(list.Sorted());
        EXPECT_FALSE(list.drawingSuspended());
    }
}

// Differential: a keyed click orders the rows as a stable numeric sort of the shown values does,
// cells that are no number first (ascending) or last (descending).
TEST(column_click, keyed_sort_matches_a_stable_numeric_sort) {
    std::mt19937 random(5032008);
    std::uniform_int_distribution<int> tenths(-400, 400);
    for (const char sep : {',', '.'})
        for (const std::int16_t orderBefore : {0, 1}) {
            ListView list; // the tag in any case
            list.addColumn("Date", "", 107, Alignment::Left);
            list.addColumn("Tn", orderBefore ? "Number" : "NUMBER", 67, Alignment::Left);
            std::vector<std::pair<std::optional<double>, std::string>> rows; // value, date
            for (int i = 0; i < 600; ++i) {
                std::string tn = NumberToText(static_cast<float>(tenths(random)) / 10, sep);
                tn = i % 37 ? tn : i % 2 ? "" : "?";
                rows.emplace_back(ParseNumber(tn, sep), "day " + std::to_string(1000 + i));
                list.Add(list.Count() + 1, rows.back().second).SubItems(1) = tn;
            }
            // The click sorts ascending after a descending list, and the other way round.
            std::stable_sort(rows.begin(), rows.end(), [&](const auto &a, const auto &b) {
                return orderBefore == 1 ? a.first < b.first : b.first < a.first;
            });
            Strings expected;
            for (const auto &row : rows)
                expected.push_back(row.second);
            list.setSortOrder(orderBefore);
            Lv_ColumnClick(list, 2, sep);
            EXPECT_EQ(Column(list, 0), expected) << sep << " " << orderBefore;
        }
}

// Fails at the step named `failAt`; runs `pending` as the platform's pending events.
struct FakeClipboard : Clipboard {
    void Clear() override { step("Clear"), text.clear(); }
    void ProcessPendingEvents() override { step("Pending"), pending(); }
    void SetText(const std::string &newText) override { step("SetText"), text = newText; }
    void step(const char *name) const {
        if (failAt == name)
            throw ClipboardUnavailable();
    }
    std::string failAt, text = "sentinel";
    std::function<void()> pending;
};

TEST(clipboard_copy, copies_the_exact_bytes_or_fails_with_minus_one_before_clearing) {
    const std::string titles = "Date\tTn\tTx\t\r\n", day1 = "2008-03-05\t2,5\t12,5\r\n",
                      day2 = "2008-03-06\t4\t15,5\r\n";
    const struct {
        std::int16_t header, allRows;
        std::int32_t first, last;
        const char *failAt;
        std::int32_t result;
        std::string text;
    } cases[] = {
        {-1, -1, 1, -1, "", 2, titles + day1 + day2},
        {7, 0, 1, -1, "", 1, titles + day2}, // the second row alone is selected
        {0, 1, 1, -1, "", 1, day2},
        {-1, -1, 2, 3, "", 2, "Tn\tTx\t\r\n2,5\t12,5\r\n4\t15,5\r\n"},
        {-1, -1, 1, 4, "", -1, "sentinel"},
        {-1, -1, 1, -1, "Clear", -1, "sentinel"},
        {-1, -1, 1, -1, "Pending", -1, ""},
        {-1, -1, 1, -1, "SetText", -1, ""},
    };
    for (const auto &c : cases) {
        ListView list;
        FillDays(list, {{"2008-03-05", "2,5", "12,5"}, {"2008-03-06", "4", "15,5"}});
        list.Item(2).Selected = true;
        FakeClipboard clipboard;
        clipboard.failAt = c.failAt;
        // The text is complete before pending events run, whatever they do to the list.
        clipboard.pending = [&] { Lv_ColumnClick(list, 1, ','); };
        std::int32_t last = c.last;
        EXPECT_EQ(CopyListToClipboard(list, c.header, c.first, last, c.allRows, clipboard),
                  c.result);
        EXPECT_EQ(clipboard.text, c.text);
        EXPECT_EQ(last, c.last == -1 ? 3 : c.last);
    }
}

} // namespace
} // namespace pelk
