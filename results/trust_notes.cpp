// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/trust_notes.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <tuple>

namespace pelk {
namespace {

std::string Format(const char *pattern, auto... values) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

// "05/03/2008 à 06:00"
std::string DateAndTime(DateTime value) {
    const CivilDateTime t = SplitDateTime(value);
    return Format("%02d/%02d/%04d à %02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
}

std::string Span(DateTime from, DateTime to) {
    return "du " + FrenchShortDateTime(from) + " au " + FrenchShortDateTime(to);
}

std::string Readings(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " relevé" : " relevés");
}

} // namespace

std::string DurationText(std::int64_t minutes) {
    if (minutes < 60)
        return std::to_string(minutes) + " min";
    return Format("%lld h %02lld min", static_cast<long long>(minutes / 60),
                  static_cast<long long>(minutes % 60));
}

std::string WindowToolTip(const WindowFacts &window, bool night, const std::string &valueText,
                          std::int32_t gapLimitMinutes) {
    const std::string name = night ? "Tn" : "Tx";
    const std::string windowText = "Fenêtre " + Span(window.opens, window.closes);
    if (window.readingCount == 0)
        return name + " : aucun relevé.\n" + windowText + ".\n" + valueText +
               " n'est pas une mesure.";
    std::string tip = name + " " + valueText + (night ? " : minimum" : " : maximum") +
                      " relevé le " + DateAndTime(window.extremeTime) + ".\n" + windowText + ", " +
                      Readings(window.readingCount) + ".";
    if (!window.complete(gapLimitMinutes))
        tip += "\nIncomplète : aucun relevé " + Span(window.longestGapFrom, window.longestGapTo) +
               " (" + DurationText(window.longestGapMinutes()) + ").";
    return tip;
}

void AnnotateResultCells(ListView &list, const ProgramTables &tables) {
    list.suspendDrawing();
    const auto rows =
        std::min<std::size_t>(tables.DayFactsTable.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < rows; ++i) {
        const DayFacts &facts = tables.DayFactsTable[i];
        try {
            ListItem &row = list.Item(static_cast<std::int32_t>(i) + 1);
            for (const auto &[column, window, night] :
                 {std::tuple{1, &facts.night, true}, std::tuple{2, &facts.day, false}}) {
                ListCell &cell = row.cell(static_cast<std::size_t>(column));
                cell.ToolTip = WindowToolTip(*window, night, cell.Text, tables.GapLimitMinutes);
                cell.Muted = !window->complete(tables.GapLimitMinutes);
            }
        } catch (const std::exception &) {
            // a row that cannot take its notes keeps its plain texts
        }
    }
    list.resumeDrawing();
}

std::string LeftOutNotice(const ReadResult &read, const DailyReport &daily) {
    std::string notice;
    auto add = [&](const std::string &paragraph) {
        notice += (notice.empty() ? "" : "\n\n") + paragraph;
    };
    const auto firstLine = [&](const ReadingsLeftOut &readings) {
        return std::to_string(read.readingLines.earlierLineOf(readings.first, readings.last));
    };
    const auto notCounted = [](std::int32_t count) {
        return Readings(count) + (count == 1 ? " n'est pas compté" : " ne sont pas comptés");
    };
    if (daily.uncounted.count > 0)
        add(notCounted(daily.uncounted.count) +
            " : le fichier revient en arrière dans le temps et le calcul ne les voit pas "
            "(le premier à la ligne " +
            firstLine(daily.uncounted) + ").");
    if (daily.outsideWindows.count > 0)
        add(notCounted(daily.outsideWindows.count) +
            (daily.outsideWindows.count == 1 ? " : avec ce décalage UTC, il ne tombe"
                                             : " : avec ce décalage UTC, ils ne tombent") +
            " dans aucune fenêtre (de nuit ou de jour) des jours de la liste (le premier à la "
            "ligne " +
            firstLine(daily.outsideWindows) + ").");
    if (read.readingsAfterEnd > 0)
        add(Readings(read.readingsAfterEnd) + " après la première ligne vide " +
            (read.readingsAfterEnd == 1 ? "n'est pas lu" : "ne sont pas lus") +
            " (à partir de la ligne " + std::to_string(read.firstLineAfterEnd) +
            ") : la lecture s'arrête à la première ligne vide.");
    if (daily.daysBeyondCapacity > 0)
        add(std::to_string(daily.daysBeyondCapacity) +
            (daily.daysBeyondCapacity == 1 ? " jour n'est pas listé"
                                           : " jours ne sont pas listés") +
            " : la liste s'arrête après " + std::to_string(kDayCapacity) + " jours.");
    return notice;
}

} // namespace pelk
