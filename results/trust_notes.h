// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What the user is told about how far each value can be trusted: a tip on every Tn and Tx cell
/// (the extreme's time, the readings counted, the window and where it lacks readings), muted
/// cells for windows that are incomplete or empty, and one notice for readings that the file
/// holds but no row counts. In French, as the window speaks.
#pragma once

#include "climate/export_reader.h"
#include "climate/tables.h"
#include "results/list_view.h"

#include <string>

namespace pelk {

/// The tip of a Tn (`night`) or Tx cell showing `valueText`.
std::string WindowToolTip(const WindowFacts &window, bool night, const std::string &valueText,
                          std::int32_t gapLimitMinutes);

/// Gives the Tn and Tx cells of rows 1 to DayCount, as FillResultsList put them, their tips, and
/// mutes those whose window is incomplete. Inside one suspended-drawing bracket.
void AnnotateResultCells(ListView &list, const ProgramTables &tables);

/// The notice after a load that left readings out of every row: those after a backwards jump in
/// time that the rule does not see, valid readings after the first empty line, days beyond the
/// listed ones. Empty when nothing was left out.
std::string LeftOutNotice(const ReadResult &read, const DailyReport &daily);

/// "3 h 05 min", "45 min": a stretch of whole minutes as the tips write it.
std::string DurationText(std::int64_t minutes);

} // namespace pelk
