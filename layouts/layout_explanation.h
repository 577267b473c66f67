// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The window's side of a file read in a layout of its own: how it was read, in a few short French
/// lines, and the choices that a user made for a logger, kept as one line of text between runs and
/// found again by the file's column titles.
#pragma once

#include "climate/load_pipeline.h"
#include "layouts/layout.h"
#include "layouts/layout_reader.h"
#include "layouts/recognise.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelk {

/// "Ce fichier n'est pas un export Excel ; il a été lu ainsi :" and a line each for the
/// separator and the first data line, the timestamp and its date order, the column(s), the UTC
/// offset, a conversion of the unit and the rows passed over.
/// With `computerHours`, the computer's offset is named by its number today.
std::string LayoutExplanation(const Layout &layout, const LayoutReadFacts &facts,
                              std::optional<int> computerHours = std::nullopt);

/// What a load leaves to tell beside its rows, in French: that it found no reading and where it
/// stopped, or the days of the export form that hold a sensor's error value; "" when nothing.
std::string LoadNotice(const ExportLoad &load, std::int32_t readingCount);

/// Whether the column titles name one logger (a serial number, or three titles or more that are
/// not generic words such as date, time, temp, value), rather than titles any file may have.
bool TitlesNameALogger(const Layout &layout);

/// The one line the box says each time a kept reading is applied to a file whose titles name no
/// logger: "ordre des dates retenu la dernière fois pour ces titres : jour/mois/année".
std::string KeptReadingNotice(const Layout &layout, const LayoutChoices &kept);

/// What tells one logger's exports from another's: their column titles; "" for a file with none.
std::string LayoutKey(const Layout &layout);

/// `choices` as one line of text ("separator=59;date-order=dmy;..."), and back; nothing for a
/// text that is not one.
std::string ChoicesText(const LayoutChoices &choices);
std::optional<LayoutChoices> ChoicesFromText(std::string_view text);

/// `kept` (a logger's remembered choices) with what `said` (the command line) names in their
/// place: its column or columns replace the kept ones whole, and so does its offset.
LayoutChoices OverruledBy(LayoutChoices kept, const LayoutChoices &said);

/// `options` with the UTC offset that `choices` name in place of theirs.
LoadOptions WithChosenOffset(LoadOptions options, const LayoutChoices &choices);

} // namespace pelk
