// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The list saved as a file a person can keep and send: for a spreadsheet (the facts the window
/// knows of each day, French titles, the list's decimal separator, a byte-order mark so that the
/// accents show), or in the layout of Météo-France's daily open data (TN, TX, their quality and
/// hour in UTC), to set the values beside an official station's. The rows in the list's order.
#pragma once

#include "climate/tables.h"
#include "results/list_view.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelk {

enum class ListFileFormat {
    Clipboard,   ///< the clipboard's text, TAB-separated
    Spreadsheet, ///< ';'-separated, UTF-8 with its mark, CR LF
    MeteoFrance  ///< AAAAMMJJ;TN;QTN;HTN;TX;QTX;HTX
};

/// "tsv", "csv" or "meteofrance".
std::optional<ListFileFormat> ListFileFormatNamed(std::string_view name);

/// The rows of `list`, filled from `tables` and in the list's current order, as a file of `format`.
std::string ListFileText(const ListView &list, const ProgramTables &tables, ListFileFormat format);

} // namespace pelk
