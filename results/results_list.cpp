// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/results_list.h"

#include "climate/locale_conversions.h"

#include <array>
#include <optional>
#include <stdexcept>

namespace pelk {
namespace {

constexpr char kSavedTextSeparator = '\0';
constexpr char kNegativeKeyPrefix = '&';

enum class KeyRule { None, Date, Number };

std::string UpperCased(std::string text) {
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

KeyRule KeyRuleForTag(const std::string &tag) {
    const std::string upper = UpperCased(tag);
    if (upper == "DATE")
        return KeyRule::Date;
    if (upper == "NUMBER")
        return KeyRule::Number;
    return KeyRule::None;
}

// One statement of a continue-on-error pass: a failing step is skipped and the next one runs.
template <typename Step> void Attempt(Step &&step) {
    try {
        step();
    } catch (const std::exception &) {
    }
}

void ApplySort(ListView &list, std::int32_t headerIndex) {
    Attempt([&] { list.setSortOrder(static_cast<std::int16_t>((list.SortOrder() + 1) % 2)); });
    Attempt([&] { list.setSortKey(static_cast<std::int16_t>(headerIndex - 1)); });
    Attempt([&] { list.setSorted(true); });
}

struct CopiedText {
    std::string text;
    std::int32_t lines = 0;
};

// The text of cell `column` (1-based) of a row: the row's own text for column 1.
const std::string &CellText(const ListItem &row, std::int32_t column) {
    if (column < 1)
        throw std::out_of_range("columns count from 1");
    return row.cell(static_cast<std::size_t>(column - 1)).Text;
}

CopiedText BuildCopy(const ListView &list, bool includeHeader, std::int32_t firstColumn,
                     std::int32_t lastColumn, bool allRows) {
    CopiedText copy;
    if (includeHeader) {
        for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
            copy.text += list.ColumnHeaders(c).Text;
            copy.text += '\t';
        }
        copy.text += "\r\n";
    }
    const std::int32_t rowCount = list.Count();
    for (std::int32_t j = 1; j <= rowCount; ++j) {
        const ListItem &row = list.Item(j);
        if (!allRows && !row.Selected)
            continue;
        // The fields are the cells of the header's columns, so that each lines up with its title.
        for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
            if (c != firstColumn)
                copy.text += '\t';
            copy.text += CellText(row, c);
        }
        copy.text += "\r\n";
        ++copy.lines;
    }
    return copy;
}

} // namespace

Rgb RgbFromColorValue(std::uint32_t colorValue) {
    return Rgb{static_cast<std::uint8_t>(colorValue & 0xFFu),
               static_cast<std::uint8_t>((colorValue >> 8) & 0xFFu),
               static_cast<std::uint8_t>((colorValue >> 16) & 0xFFu)};
}

void AddResultColumns(ListView &list) {
    list.addColumn("Date", "", 107, Alignment::Left);
    list.addColumn("Tn", "NUMBER", 67, Alignment::Center);
    list.addColumn("Tx", "NUMBER", 67, Alignment::Center);
}

void FillResultsList(ListView &list, const ProgramTables &tables) {
    const std::int32_t dayCount = tables.DayCount;
    for (std::int32_t i = 1; i <= dayCount; ++i) {
        // Each statement on its own: one that fails is skipped, as everywhere during loading.
        bool added = false;
        Attempt([&] {
            list.Add(i, tables.DayTable.at(i).DayLabel);
            added = true;
        });
        if (!added)
            continue;
        Attempt([&] { list.setCellText(i, 1, tables.DayTable.at(i).Tn); });
        Attempt([&] { list.setCellText(i, 2, tables.DayTable.at(i).Tx); });
    }
    Attempt([&] { list.setVisible(true); });
    ApplyRowShading(list);
}

void ShadeAlternateRows(ListView &list, std::uint32_t rowColor1, std::uint32_t rowColor2) {
    if (list.View != kReportView || list.Count() == 0)
        return;
    list.setRowShading(RgbFromColorValue(rowColor1), RgbFromColorValue(rowColor2));
}

void ApplyRowShading(ListView &list) {
    ShadeAlternateRows(list, kRowColor1, kRowColor2);
}

std::string DateSortKey(std::string_view cellText) {
    const std::optional<DateTime> value = ParseDateText(cellText);
    return value ? FormatDateKey(*value) : std::string();
}

std::string NumberSortKey(std::string_view cellText, char localeSeparator) {
    const std::optional<double> value = ParseNumber(cellText, localeSeparator);
    if (!value)
        return {};
    if (*value >= 0)
        return FormatFixed30(*value, localeSeparator);
    return kNegativeKeyPrefix + ComplementDigits(FormatFixed30(0 - *value, localeSeparator));
}

std::string ComplementDigits(std::string text) {
    for (char &c : text) {
        if (c >= '0' && c <= '9')
            c = static_cast<char>('9' - (c - '0'));
        else if (c == '-')
            c = ' ';
    }
    return text;
}

void Lv_ColumnClick(ListView &list, std::int32_t headerIndex, char localeSeparator) {
    list.suspendDrawing();
    // Every step below swallows its own failure, so the bracket is always closed.
    const std::int32_t c = headerIndex - 1;
    std::string tag;
    Attempt([&] { tag = list.ColumnHeaders(headerIndex).Tag; });
    const KeyRule rule = KeyRuleForTag(tag);
    if (rule == KeyRule::None) {
        ApplySort(list, headerIndex);
        list.resumeDrawing();
        return;
    }
    auto keyOf = [&](const std::string &text) {
        return rule == KeyRule::Date ? DateSortKey(text) : NumberSortKey(text, localeSeparator);
    };
    auto cellAt = [&](std::int32_t row) -> ListCell & {
        if (c < 0)
            throw std::out_of_range("columns count from 1");
        return list.Item(row).cell(static_cast<std::size_t>(c));
    };

    const std::int32_t encodeCount = list.Count();
    for (std::int32_t i = 1; i <= encodeCount; ++i) {
        bool saved = false;
        Attempt([&] {
            ListCell &cell = cellAt(i);
            cell.Tag = cell.Text + kSavedTextSeparator + cell.Tag;
            saved = true;
        });
        // A text whose saved form could not be written is left as it is, so it is never lost.
        if (saved)
            Attempt([&] {
                ListCell &cell = cellAt(i);
                cell.Text = keyOf(cell.Text);
            });
    }

    ApplySort(list, headerIndex);

    const std::int32_t restoreCount = list.Count();
    for (std::int32_t i = 1; i <= restoreCount; ++i) {
        Attempt([&] {
            ListCell &cell = cellAt(i);
            const std::string saved = cell.Tag;
            const std::size_t first = saved.find(kSavedTextSeparator);
            // A cell that was never saved keeps its text: its tag is no saved form.
            if (first == std::string::npos)
                return;
            const std::size_t second = saved.find(kSavedTextSeparator, first + 1);
            cell.Text = saved.substr(0, first);
            cell.Tag = saved.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                           : second - first - 1);
        });
    }
    list.resumeDrawing();
}

std::string ClipboardText(const ListView &list, bool includeHeader, std::int32_t firstColumn,
                          std::int32_t lastColumn, bool allRows) {
    if (lastColumn == -1)
        lastColumn = list.columnCount();
    return BuildCopy(list, includeHeader, firstColumn, lastColumn, allRows).text;
}

std::int32_t CopyListToClipboard(ListView &list, std::int16_t IncludeHeader,
                                 std::int32_t FirstColumn, std::int32_t &LastColumn,
                                 std::int16_t AllRows, Clipboard &clipboard) {
    try {
        if (LastColumn == -1)
            LastColumn = list.columnCount();
        // The whole text is built before the clipboard is touched, so a failure here leaves it.
        const CopiedText copy =
            BuildCopy(list, IncludeHeader != 0, FirstColumn, LastColumn, AllRows == -1);
        clipboard.Clear();
        clipboard.ProcessPendingEvents();
        clipboard.SetText(copy.text);
        return copy.lines;
    } catch (const std::exception &) {
        return -1;
    }
}

} // namespace pelk
