// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/list_view.h"

#include "tests/support/list_view_probe.h"

#include <gtest/gtest.h>


namespace pelk {
namespace {

using testing::Column;
using testing::Strings;

// Column "A" holds `texts` in this order; column "B" numbers the rows by arrival.
void Fill(ListView &list, const Strings &texts) {
    list.addColumn("A", "", 50, Alignment::Left);
    list.addColumn("B", "", 50, Alignment::Left);
    for (std::size_t i = 0; i < texts.size(); ++i)
        list.Add(list.Count() + 1, texts[i]).SubItems(1) = std::to_string(i);
}

TEST(list_view, sort_is_stable_and_compares_plain_byte_codes_with_a_prefix_first) {
    // No locale collation: upper case before lower, "é" (0xC3 0xA9) after every ASCII letter.
    ListView list;
    Fill(list, {"b", "\xC3\xA9", "a", "B", "ab", "", "abc", "a", "Z", "&9"});
    list.setSorted(true);
    EXPECT_EQ(Column(list, 0),
              (Strings{"", "&9", "B", "Z", "a", "a", "ab", "abc", "b", "\xC3\xA9"}));
    EXPECT_EQ(Column(list, 1), (Strings{"5", "9", "3", "8", "2", "7", "4", "6", "0", "1"}));
    list.setSortOrder(1);
    list.setSorted(true); // equal texts keep the order they had before this sort
    EXPECT_EQ(Column(list, 1), (Strings{"1", "0", "6", "4", "2", "7", "8", "3", "9", "5"}));
}

TEST(list_view, rows_move_only_when_sorted_is_written_true_and_shading_stays_by_position) {
    ListView list;
    Fill(list, {"b", "a", "c"});
    const Rgb cyan{238, 253, 253}, yellow{255, 255, 192};
    list.setRowShading(cyan, yellow);
    ListItem &b = list.Item(1);
    list.setSortOrder(1);
    list.setSorted(true);
    EXPECT_EQ(Column(list, 0), (Strings{"c", "b", "a"}));
    EXPECT_EQ(&list.Item(2), &b); // a reference follows its row
    EXPECT_EQ(list.rowColor(1), cyan);
    EXPECT_EQ(list.rowColor(2), yellow);
    list.setSortOrder(0);
    list.setCellText(1, 0, "zzz");
    list.Item(2).Text() = "";
    list.setSorted(false);
    EXPECT_EQ(Column(list, 0), (Strings{"zzz", "", "a"}));
}

TEST(list_view, positions_sub_items_and_orders_outside_their_range_throw) {
    ListView list;
    list.addColumn("A", "", 50, Alignment::Left);
    list.Add(1, "a");
    list.addColumn("B", "", 50, Alignment::Left); // a column added after a row gives it a cell
    EXPECT_EQ(list.ColumnHeaders(2).Index, 2);
    EXPECT_NO_THROW(list.Item(1).SubItems(1) = "b");
    EXPECT_THROW(list.Item(0), std::out_of_range);
    EXPECT_THROW(list.Item(1).SubItems(0), std::out_of_range);
    EXPECT_THROW(list.setSortOrder(2), std::out_of_range);
}

TEST(list_view_observer, nested_brackets_are_told_as_one_layout_change) {
    ListView list;
    Fill(list, {"b"});
    testing::NoticeRecorder recorder;
    list.setObserver(&recorder);
    list.suspendDrawing();
    list.suspendDrawing();
    list.Add(2, "a");
    list.setSorted(true);
    list.resumeDrawing();
    EXPECT_TRUE(list.drawingSuspended());
    const std::uint64_t before = list.version();
    list.Item(1).Text() = "written through a reference";
    list.resumeDrawing();
    list.resumeDrawing(); // a stray resume changes nothing
    EXPECT_EQ(recorder.log, "()");
    EXPECT_GT(list.version(), before); // so that the view redraws what was written
    list.setCellText(1, 0, "c");
    list.setSorted(true);
    EXPECT_EQ(recorder.log, "()c()");
}

} // namespace
} // namespace pelk
