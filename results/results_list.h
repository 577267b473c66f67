// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What the window does with its results list: fill it from the day table, shade it, sort it on a
/// header click and copy it as tab-separated text. All of it works on our own ListView model.
#pragma once

#include "climate/tables.h"
#include "results/list_view.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pelk {

/// Colour values as the platform encodes them: red in the lowest byte, then green, then blue.
Rgb RgbFromColorValue(std::uint32_t colorValue);

inline constexpr std::uint32_t kRowColor1 = 16645614; // RGB(238, 253, 253)
inline constexpr std::uint32_t kRowColor2 = 12648447; // RGB(255, 255, 192)

/// Adds the three columns "Date" (left), "Tn" and "Tx" (centred, tag "NUMBER").
void AddResultColumns(ListView &list);

/// One row per day, rows 1 to DayCount, then Visible, then ApplyRowShading.
void FillResultsList(ListView &list, const ProgramTables &tables);

/// Two row colours by display position, when the list is in report view and has rows.
void ShadeAlternateRows(ListView &list, std::uint32_t rowColor1, std::uint32_t rowColor2);
void ApplyRowShading(ListView &list);

/// Sort keys: text whose plain character order is the order of the values; the empty text for a
/// cell that is no date (or no number), so that such cells come first.
/// A date key is the 14 digits yyyymmddhhmmss (a date alone gives 000000 for the time, a time
/// alone the date 1899-12-30).
std::string DateSortKey(std::string_view cellText);
/// A number of zero or more gives 30 integer digits (more when it needs them), the locale's
/// separator and 30 fraction digits, taken from its first 15 significant digits; a negative one
/// gives "&" and the digit complement of its magnitude's key.
std::string NumberSortKey(std::string_view cellText, char localeSeparator);
/// Each digit d becomes 9 - d and "-" a blank; every other character stays. Any length.
std::string ComplementDigits(std::string text);

/// A header click (`headerIndex` from 1): keyed sort for tags "NUMBER" / "DATE" (any case),
/// plain text otherwise, the direction flipping at every click whatever the column, all inside
/// one suspended-drawing bracket. Afterwards every cell shows its own text and holds its own tag
/// again. A step that fails is skipped and the rest still run; nothing is reported.
/// `localeSeparator` is the decimal separator of the list's numbers.
void Lv_ColumnClick(ListView &list, std::int32_t headerIndex, char localeSeparator);

/// The platform clipboard as the copy needs it. Any member may throw ClipboardUnavailable.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void SetText(const std::string &text) = 0;
};

struct ClipboardUnavailable : std::runtime_error {
    ClipboardUnavailable() : std::runtime_error("clipboard unavailable") {}
};

/// The copy's text alone (no clipboard), for pelk-cli and for tests: a header line of the titles
/// of columns firstColumn..lastColumn (columns count from 1), each followed by a TAB, then one
/// line per copied row with the cells of the same columns separated by TABs; every line ends with
/// CR LF. lastColumn -1 stands for the column count. Throws std::out_of_range when a column or
/// sub-item does not exist.
std::string ClipboardText(const ListView &list, bool includeHeader, std::int32_t firstColumn,
                          std::int32_t lastColumn, bool allRows);

/// Puts ClipboardText's text on the clipboard (Clear, then pending events once, then SetText);
/// IncludeHeader non-zero adds the header line, AllRows exactly -1 copies every row and any other
/// value only the selected ones. Returns the number of data lines, or -1 on any failure (the
/// clipboard untouched when the failure comes before it is cleared). LastColumn -1 stands for the
/// column count and is written back.
std::int32_t CopyListToClipboard(ListView &list, std::int16_t IncludeHeader,
                                 std::int32_t FirstColumn, std::int32_t &LastColumn,
                                 std::int16_t AllRows, Clipboard &clipboard);

} // namespace pelk
