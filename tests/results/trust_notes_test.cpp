// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/trust_notes.h"

#include "climate/daily_extremes.h"
#include "results/results_list.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

const std::int64_t kMarch5th = DayNumberFromCivil(2008, 3, 5);

DateTime At(int day, int hour, int minute) {
    return MakeDateTime(kMarch5th + day, hour * 3600 + minute * 60);
}

// A night window of the 5th, one hour ahead of UTC, with `count` readings.
WindowFacts Night(std::int32_t count, DateTime gapFrom, DateTime gapTo) {
    return {At(-1, 19, 0), At(0, 19, 0), count, 2.5f, At(0, 5, 40), gapFrom, gapTo};
}

TEST(trust_notes, tips_give_the_extreme_the_window_and_its_largest_hole) {
    const std::tuple<WindowFacts, bool, const char *, std::string> cases[] = {
        {Night(144, At(-1, 19, 0), At(-1, 19, 10)), true, "2,5",
         "Tn 2,5 : minimum relevé le 05/03/2008 à 05:40.\n"
         "Fenêtre du 04/03 19:00 au 05/03 19:00, 144 relevés."},
        {Night(1, At(0, 5, 40), At(0, 19, 0)), false, "12",
         "Tx 12 : maximum relevé le 05/03/2008 à 05:40.\n"
         "Fenêtre du 04/03 19:00 au 05/03 19:00, 1 relevé.\n"
         "Incomplète : aucun relevé du 05/03 05:40 au 05/03 19:00 (13 h 20 min)."},
        {Night(0, At(-1, 19, 0), At(0, 19, 0)), true, "100",
         "Tn : aucun relevé.\nFenêtre du 04/03 19:00 au 05/03 19:00.\n"
         "100 n'est pas une mesure."},
    };
    for (const auto &[window, night, value, tip] : cases)
        EXPECT_EQ(WindowToolTip(window, night, value, 60), tip);
    EXPECT_EQ(DurationText(59), "59 min");
    EXPECT_EQ(DurationText(60), "1 h 00 min");
}

TEST(trust_notes, incomplete_cells_are_muted_and_keep_tip_and_muting_through_a_sort) {
    auto tables = std::make_unique<ProgramTables>();
    tables->DayCount = 2;
    tables->DayTable.at(1) = {"5", "9", "2008-03-05"};
    tables->DayTable.at(2) = {"-1", "3", "2008-03-06"};
    const WindowFacts complete = Night(144, At(-1, 19, 0), At(-1, 20, 0));   // 60 min
    const WindowFacts incomplete = Night(143, At(-1, 19, 0), At(-1, 20, 1)); // 61 min
    tables->DayFactsTable = {{complete, incomplete}, {incomplete, complete}};
    ListView list;
    AddResultColumns(list);
    FillResultsList(list, *tables);
    AnnotateResultCells(list, *tables);
    Lv_ColumnClick(list, 2, ','); // Tn descending: the 5th first
    Lv_ColumnClick(list, 2, ','); // ascending: the 6th first
    ASSERT_EQ(list.Item(1).Text(), "2008-03-06");
    EXPECT_TRUE(list.Item(1).cell(1).Muted);
    EXPECT_FALSE(list.Item(1).cell(2).Muted);
    EXPECT_FALSE(list.Item(2).cell(1).Muted);
    EXPECT_TRUE(list.Item(2).cell(2).Muted);
    EXPECT_EQ(list.Item(1).cell(1).ToolTip.substr(0, 6), "Tn -1 ");
    EXPECT_EQ(list.Item(2).cell(2).ToolTip.substr(0, 5), "Tx 9 ");
}

TEST(trust_notes, notice_tells_how_many_readings_were_left_out_and_where) {
    ReadResult read;
    DailyReport daily;
    EXPECT_EQ(LeftOutNotice(read, daily), "");
    read.readingLines.noteSkippedLine(0); // line 2 skipped: reading 3 is on line 5
    daily.uncounted = {4, 3, 8};
    daily.outsideWindows = {1, 1, 1};
    daily.daysBeyondCapacity = 2;
    read.readingsAfterEnd = 1;
    read.firstLineAfterEnd = 40;
    EXPECT_EQ(LeftOutNotice(read, daily),
              "4 relevés ne sont pas comptés : le fichier revient en arrière dans le temps et le "
              "calcul ne les voit pas (le premier à la ligne 5).\n\n"
              "1 relevé n'est pas compté : avec ce décalage UTC, il ne tombe dans aucune fenêtre "
              "(de nuit ou de jour) des jours de la liste (le premier à la ligne 3).\n\n"
              "1 relevé après la première ligne vide n'est pas lu (à partir de la ligne 40) : la "
              "lecture s'arrête à la première ligne vide.\n\n"
              "2 jours ne sont pas listés : la liste s'arrête après 5000 jours.");
}

} // namespace
} // namespace pelk
