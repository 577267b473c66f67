#include "results/list_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelk {
namespace {

// A one-column list with these first-column texts, in this order.
void FillFirstColumn(ListView &list, const std::vector<std::string> &texts) {
    if (list.columnCount() == 0)
        list.addColumn("A", "", 50, Alignment::Left);
    for (const std::string &text : texts)
        list.Add(list.Count() + 1, text);
}

std::vector<std::string> ColumnTexts(const ListView &list, std::size_t column) {
    std::vector<std::string> texts;
    for (std::int32_t i = 1; i <= list.Count(); ++i)
        texts.push_back(list.Item(i).cell(column).Text);
    return texts;
}

void SortBy(ListView &list, std::int16_t column, std::int16_t order) {
    list.setSortKey(column);
    list.setSortOrder(order);
    list.setSorted(true);
}

struct RecordingObserver : ListViewObserver {
    void rowAboutToBeAdded(std::int32_t position) override {
        events.push_back("aboutToAdd " + std::to_string(position));
    }
    void rowAdded() override { events.push_back("added"); }
    void layoutAboutToChange() override { events.push_back("layoutAboutToChange"); }
    void layoutChanged() override { events.push_back("layoutChanged"); }
    void cellChanged(std::int32_t row, std::int32_t column) override {
        events.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
    }
    void appearanceChanged() override { events.push_back("appearance"); }
    void columnsChanged() override { events.push_back("columns"); }

    std::vector<std::string> events;
};

TEST(list_view, new_list_is_visible_unsorted_ascending_by_first_column) {
    const ListView list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.columnCount(), 0);
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_EQ(list.SortOrder(), 0);
    EXPECT_FALSE(list.Sorted());
    EXPECT_TRUE(list.Visible());
    EXPECT_EQ(list.View, kReportView);
    EXPECT_FALSE(list.rowColor(1));
    EXPECT_FALSE(list.drawingSuspended());
}

TEST(list_view, columns_number_themselves_from_one) {
    ListView list;
    list.addColumn("Date", "", 107, Alignment::Left);
    list.addColumn("Tn", "NUMBER", 67, Alignment::Center);
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.ColumnHeaders(1).Text, "Date");
    EXPECT_EQ(list.ColumnHeaders(1).Index, 1);
    EXPECT_EQ(list.ColumnHeaders(2).Index, 2);
    EXPECT_EQ(list.ColumnHeaders(2).Tag, "NUMBER");
    EXPECT_EQ(list.ColumnHeaders(2).widthPixels, 67);
    EXPECT_EQ(list.ColumnHeaders(2).alignment, Alignment::Center);
    EXPECT_THROW(list.ColumnHeaders(0), std::out_of_range);
    EXPECT_THROW(list.ColumnHeaders(3), std::out_of_range);
}

TEST(list_view, add_inserts_at_the_given_position) {
    ListView list;
    FillFirstColumn(list, {"a", "c"});
    list.Add(2, "b");
    list.Add(1, "first");
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"first", "a", "b", "c"}));
    EXPECT_THROW(list.Add(0, "x"), std::out_of_range);
    EXPECT_THROW(list.Add(6, "x"), std::out_of_range);
    EXPECT_EQ(list.Count(), 4);
}

TEST(list_view, every_cell_has_its_own_text_and_tag) {
    ListView list;
    list.addColumn("A", "", 50, Alignment::Left);
    list.addColumn("B", "", 50, Alignment::Left);
    ListItem &row = list.Add(1, "own");
    row.SubItems(1) = "sub";
    row.Tag() = "row tag";
    row.ListSubItems(1).Tag = "sub tag";
    EXPECT_EQ(row.Text(), "own");
    EXPECT_EQ(row.Tag(), "row tag");
    EXPECT_EQ(row.cell(1).Text, "sub");
    EXPECT_EQ(row.cell(1).Tag, "sub tag");
    EXPECT_THROW(row.SubItems(0), std::out_of_range);
    EXPECT_THROW(row.SubItems(2), std::out_of_range);
    EXPECT_THROW(list.Item(0), std::out_of_range);
    EXPECT_THROW(list.Item(2), std::out_of_range);
}

TEST(list_view, a_column_added_after_rows_gives_each_row_an_empty_cell) {
    ListView list;
    FillFirstColumn(list, {"a", "b"});
    list.addColumn("B", "", 50, Alignment::Left);
    EXPECT_EQ(list.Item(2).SubItems(1), "");
    list.setCellText(2, 1, "x");
    EXPECT_EQ(list.Item(2).SubItems(1), "x");
}

TEST(list_view, sort_compares_plain_byte_codes_with_a_prefix_first) {
    ListView list;
    // Upper case before lower case, "é" (bytes 0xC3 0xA9) after every ASCII letter, the empty
    // text and prefixes first: no locale collation.
    FillFirstColumn(list, {"b", "\xC3\xA9", "B", "ab", "a", "", "abc", "Z", "0", "&9"});
    SortBy(list, 0, 0);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"", "&9", "0", "B", "Z", "a", "ab",
                                                              "abc", "b", "\xC3\xA9"}));
    SortBy(list, 0, 1);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"\xC3\xA9", "b", "abc", "ab", "a",
                                                              "Z", "B", "0", "&9", ""}));
}

TEST(list_view, sort_is_stable_in_both_directions) {
    ListView list;
    list.addColumn("Key", "", 50, Alignment::Left);
    list.addColumn("Arrival", "", 50, Alignment::Left);
    const std::vector<std::string> keys = {"2", "1", "2", "1", "2", "1"};
    for (std::size_t i = 0; i < keys.size(); ++i)
        list.Add(list.Count() + 1, keys[i]).SubItems(1) = std::to_string(i);
    SortBy(list, 0, 0);
    EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"1", "3", "5", "0", "2", "4"}));
    SortBy(list, 0, 1);
    // Equal keys keep the order they had before this sort.
    EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"0", "2", "4", "1", "3", "5"}));
}

TEST(list_view, sorts_by_the_sort_key_column) {
    ListView list;
    list.addColumn("A", "", 50, Alignment::Left);
    list.addColumn("B", "", 50, Alignment::Left);
    list.Add(1, "x").SubItems(1) = "2";
    list.Add(2, "y").SubItems(1) = "3";
    list.Add(3, "z").SubItems(1) = "1";
    SortBy(list, 1, 0);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"z", "x", "y"}));
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.SortKey(), 1);
}

TEST(list_view, only_writing_sorted_true_moves_rows) {
    ListView list;
    FillFirstColumn(list, {"b", "a", "c"});
    list.setSortOrder(1);
    list.setSortKey(0);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"b", "a", "c"}));
    list.setSorted(true);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"c", "b", "a"}));
    list.setSortOrder(0);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"c", "b", "a"}));
    list.setSorted(false);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(list_view, cell_writes_after_a_sort_never_move_rows) {
    ListView list;
    FillFirstColumn(list, {"b", "a", "c"});
    SortBy(list, 0, 0);
    list.setCellText(1, 0, "zzz");
    list.Item(2).Text() = "";
    list.Item(3).Tag() = "tag";
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"zzz", "", "c"}));
    list.Add(1, "new");
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"new", "zzz", "", "c"}));
}

TEST(list_view, an_item_reference_follows_its_row_through_a_sort) {
    ListView list;
    FillFirstColumn(list, {"b", "a"});
    ListItem &b = list.Item(1);
    SortBy(list, 0, 0);
    EXPECT_EQ(&list.Item(2), &b);
    EXPECT_EQ(b.Text(), "b");
}

TEST(list_view, sort_state_refuses_values_outside_its_range) {
    ListView list;
    FillFirstColumn(list, {"a"});
    EXPECT_THROW(list.setSortKey(1), std::out_of_range);
    EXPECT_THROW(list.setSortKey(-1), std::out_of_range);
    EXPECT_THROW(list.setSortOrder(2), std::out_of_range);
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_EQ(list.SortOrder(), 0);
}

TEST(list_view, rows_are_shaded_by_display_position) {
    ListView list;
    FillFirstColumn(list, {"b", "a", "c"});
    const Rgb cyan{238, 253, 253}, yellow{255, 255, 192};
    list.setRowShading(cyan, yellow);
    EXPECT_EQ(list.rowColor(1), cyan);
    EXPECT_EQ(list.rowColor(2), yellow);
    EXPECT_EQ(list.rowColor(3), cyan);
    SortBy(list, 0, 0);
    EXPECT_EQ(list.rowColor(1), cyan);
    EXPECT_EQ(list.rowColor(2), yellow);
    EXPECT_FALSE(list.rowColor(0));
}

TEST(list_view_observer, each_change_outside_a_bracket_is_told_at_once) {
    ListView list;
    RecordingObserver observer;
    list.setObserver(&observer);
    list.addColumn("A", "", 50, Alignment::Left);
    list.Add(1, "b");
    list.Add(1, "a");
    list.setCellText(2, 0, "c");
    list.setSorted(true);
    list.setVisible(false);
    list.setRowShading({}, {});
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"columns", "aboutToAdd 1", "added", "aboutToAdd 1", "added",
                                        "cell 2,0", "layoutAboutToChange", "layoutChanged",
                                        "appearance", "appearance"}));
}

TEST(list_view_observer, a_bracket_is_told_as_one_layout_change) {
    ListView list;
    RecordingObserver observer;
    FillFirstColumn(list, {"b", "a"});
    list.setObserver(&observer);
    list.suspendDrawing();
    EXPECT_TRUE(list.drawingSuspended());
    list.suspendDrawing();
    list.Add(3, "c");
    list.setCellText(1, 0, "z");
    list.setSorted(true);
    list.setRowShading({}, {});
    list.resumeDrawing();
    EXPECT_EQ(observer.events, (std::vector<std::string>{"layoutAboutToChange"}));
    list.resumeDrawing();
    EXPECT_FALSE(list.drawingSuspended());
    EXPECT_EQ(observer.events, (std::vector<std::string>{"layoutAboutToChange", "layoutChanged"}));
    // A stray resume changes nothing.
    list.resumeDrawing();
    EXPECT_EQ(observer.events.size(), 2u);
}

TEST(list_view_observer, an_empty_bracket_is_still_one_layout_change) {
    ListView list;
    RecordingObserver observer;
    list.setObserver(&observer);
    list.suspendDrawing();
    list.resumeDrawing();
    EXPECT_EQ(observer.events, (std::vector<std::string>{"layoutAboutToChange", "layoutChanged"}));
}

TEST(list_view_observer, version_grows_at_every_change) {
    ListView list;
    std::uint64_t last = list.version();
    auto grew = [&] {
        const bool result = list.version() > last;
        last = list.version();
        return result;
    };
    list.addColumn("A", "", 50, Alignment::Left);
    EXPECT_TRUE(grew());
    list.Add(1, "a");
    EXPECT_TRUE(grew());
    list.setCellText(1, 0, "b");
    EXPECT_TRUE(grew());
    list.setSortOrder(1);
    EXPECT_TRUE(grew());
    list.setSortKey(0);
    EXPECT_TRUE(grew());
    list.setSorted(true);
    EXPECT_TRUE(grew());
    list.setVisible(true);
    EXPECT_TRUE(grew());
    list.setRowShading({}, {});
    EXPECT_TRUE(grew());
    list.suspendDrawing();
    list.Item(1).Text() = "written through a reference";
    list.resumeDrawing();
    EXPECT_TRUE(grew());
}

} // namespace
} // namespace pelk
