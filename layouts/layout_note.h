// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// How a file in a layout of its own was read, said in one line: what pelk-cli notes on standard
/// error, so that a file read the wrong way does not pass for right.
#pragma once

#include "layouts/layout.h"
#include "layouts/layout_reader.h"

#include <string>

namespace pelk {

/// "',' separated, quoted; data from line 3 ...": the separator, the first data line, the
/// timestamp's fields and date order, the column(s) read, the offset and where it came from, the
/// unit, the rows passed over.
std::string LayoutNote(const Layout &layout, const LayoutReadFacts &facts);

/// "-127 x2, 85 x1": each error value of `facts` as written, then `times` and its count, with
/// `decimal` as the decimal separator.
std::string ErrorValueList(const LayoutReadFacts &facts, std::string_view times, char decimal);

} // namespace pelk
