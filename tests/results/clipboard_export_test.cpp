#include "results/results_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelk {
namespace {

// Records what the copy asks of the clipboard; can be told to fail at one of its steps.
class FakeClipboard : public Clipboard {
  public:
    enum class FailAt { Nothing, Clear, ProcessPendingEvents, SetText };

    explicit FakeClipboard(FailAt failAt = FailAt::Nothing) : failAt_(failAt) {}

    void Clear() override {
        calls.push_back("Clear");
        if (failAt_ == FailAt::Clear)
            throw ClipboardUnavailable();
        text.clear();
    }
    void ProcessPendingEvents() override {
        calls.push_back("ProcessPendingEvents");
        if (failAt_ == FailAt::ProcessPendingEvents)
            throw ClipboardUnavailable();
    }
    void SetText(const std::string &newText) override {
        calls.push_back("SetText");
        if (failAt_ == FailAt::SetText)
            throw ClipboardUnavailable();
        text = newText;
    }

    std::string text = "sentinel";
    std::vector<std::string> calls;

  private:
    FailAt failAt_;
};

using Calls = std::vector<std::string>;

// The list of the two-day example: 2008-03-05 with 2,5 and 12,5, then 2008-03-06 with 4 and 15,5.
void FillTwoDays(ListView &list) {
    AddResultColumns(list);
    ListItem &first = list.Add(1, "2008-03-05");
    first.SubItems(1) = "2,5";
    first.SubItems(2) = "12,5";
    ListItem &second = list.Add(2, "2008-03-06");
    second.SubItems(1) = "4";
    second.SubItems(2) = "15,5";
}

constexpr const char *kTwoDaysText =
    "Date\tTn\tTx\t\r\n2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n";

TEST(clipboard_copy, two_days_give_the_exact_bytes) {
    ListView list;
    FillTwoDays(list);
    FakeClipboard clipboard;
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, -1, clipboard), 2);
    EXPECT_EQ(clipboard.text, kTwoDaysText);
    EXPECT_EQ(lastColumn, 3); // written back
    EXPECT_EQ(clipboard.calls, (Calls{"Clear", "ProcessPendingEvents", "SetText"}));
    EXPECT_EQ(ClipboardText(list, true, 1, -1, true), kTwoDaysText);
}

TEST(clipboard_copy, rows_come_in_display_order_after_a_sort) {
    ListView list;
    FillTwoDays(list);
    Lv_ColumnClick(list, 1, ','); // newest first
    EXPECT_EQ(ClipboardText(list, true, 1, -1, true),
              "Date\tTn\tTx\t\r\n2008-03-06\t4\t15,5\r\n2008-03-05\t2,5\t12,5\r\n");
}

TEST(clipboard_copy, empty_list_gives_the_header_line_alone) {
    ListView list;
    AddResultColumns(list);
    FakeClipboard clipboard;
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, -1, clipboard), 0);
    EXPECT_EQ(clipboard.text, "Date\tTn\tTx\t\r\n");
}

TEST(clipboard_copy, any_non_zero_header_flag_adds_the_header_and_zero_leaves_it_out) {
    ListView list;
    FillTwoDays(list);
    for (const std::int16_t flag : {-1, 1, 7}) {
        FakeClipboard clipboard;
        std::int32_t lastColumn = -1;
        EXPECT_EQ(CopyListToClipboard(list, flag, 1, lastColumn, -1, clipboard), 2);
        EXPECT_EQ(clipboard.text, kTwoDaysText) << flag;
    }
    FakeClipboard clipboard;
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, 0, 1, lastColumn, -1, clipboard), 2);
    EXPECT_EQ(clipboard.text, "2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n");
}

TEST(clipboard_copy, only_all_rows_flag_minus_one_copies_every_row) {
    ListView list;
    FillTwoDays(list);
    list.Add(3, "2008-03-07");
    list.Item(2).Selected = true;
    for (const std::int16_t flag : {0, 1, -2}) {
        FakeClipboard clipboard;
        std::int32_t lastColumn = -1;
        EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, flag, clipboard), 1) << flag;
        EXPECT_EQ(clipboard.text, "Date\tTn\tTx\t\r\n2008-03-06\t4\t15,5\r\n") << flag;
    }
    list.Item(3).Selected = true;
    EXPECT_EQ(ClipboardText(list, false, 1, -1, false),
              "2008-03-06\t4\t15,5\r\n2008-03-07\t\t\r\n");
}

TEST(clipboard_copy, no_selected_row_copies_the_header_alone) {
    ListView list;
    FillTwoDays(list);
    FakeClipboard clipboard;
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, 0, clipboard), 0);
    EXPECT_EQ(clipboard.text, "Date\tTn\tTx\t\r\n");
}

TEST(clipboard_copy, a_column_range_copies_those_columns_on_every_line) {
    ListView list;
    FillTwoDays(list);
    EXPECT_EQ(ClipboardText(list, true, 1, 2, true),
              "Date\tTn\t\r\n2008-03-05\t2,5\r\n2008-03-06\t4\r\n");
    // Each field lines up with the title above it.
    EXPECT_EQ(ClipboardText(list, true, 2, 3, true), "Tn\tTx\t\r\n2,5\t12,5\r\n4\t15,5\r\n");
    EXPECT_EQ(ClipboardText(list, true, 3, -1, true), "Tx\t\r\n12,5\r\n15,5\r\n");
}

TEST(clipboard_copy, a_column_that_does_not_exist_fails_with_the_clipboard_untouched) {
    ListView list;
    FillTwoDays(list);
    const std::pair<std::int32_t, std::int32_t> ranges[] = {{1, 4}, {0, 3}, {-1, 2}};
    for (const auto &[first, last] : ranges) {
        for (const std::int16_t header : {-1, 0}) {
            FakeClipboard clipboard;
            std::int32_t lastColumn = last;
            EXPECT_EQ(CopyListToClipboard(list, header, first, lastColumn, -1, clipboard), -1)
                << first << ".." << last;
            EXPECT_EQ(clipboard.text, "sentinel");
            EXPECT_TRUE(clipboard.calls.empty());
        }
    }
    EXPECT_THROW(ClipboardText(list, true, 1, 4, true), std::out_of_range);
}

TEST(clipboard_copy, a_clipboard_that_cannot_be_cleared_gives_minus_one) {
    ListView list;
    FillTwoDays(list);
    FakeClipboard clipboard(FakeClipboard::FailAt::Clear);
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, -1, clipboard), -1);
    EXPECT_EQ(clipboard.text, "sentinel");
    EXPECT_EQ(clipboard.calls, (Calls{"Clear"}));
}

TEST(clipboard_copy, a_failure_after_clearing_leaves_the_clipboard_cleared) {
    for (const auto failAt :
         {FakeClipboard::FailAt::ProcessPendingEvents, FakeClipboard::FailAt::SetText}) {
        ListView list;
        FillTwoDays(list);
        FakeClipboard clipboard(failAt);
        std::int32_t lastColumn = -1;
        EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, -1, clipboard), -1);
        EXPECT_EQ(clipboard.text, "");
    }
}

// The pending events run between clearing and setting; the text is already complete then.
TEST(clipboard_copy, a_sort_run_by_pending_events_does_not_change_the_copied_text) {
    class SortingClipboard : public FakeClipboard {
      public:
        explicit SortingClipboard(ListView &list) : list_(list) {}
        void ProcessPendingEvents() override { Lv_ColumnClick(list_, 1, ','); }

      private:
        ListView &list_;
    };
    ListView list;
    FillTwoDays(list);
    SortingClipboard clipboard(list);
    std::int32_t lastColumn = -1;
    EXPECT_EQ(CopyListToClipboard(list, -1, 1, lastColumn, -1, clipboard), 2);
    EXPECT_EQ(clipboard.text, kTwoDaysText);
    EXPECT_EQ(list.Item(1).Text(), "2008-03-06");
}

} // namespace
} // namespace pelk
