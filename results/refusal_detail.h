// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What the window says, below the bad-format message, about the line that made a file be
/// refused. In French, as the window speaks.
#pragma once

#include "climate/export_reader.h"

#include <string>
#include <string_view>

namespace pelk {

/// "Ligne 5 : la valeur n'est pas un nombre", then the line's shown text on a line of its own
/// between French quotes; empty when `read` refused no line.
std::string RefusalDetail(const ReadResult &read);

/// What is wrong with a line, as the detail says it ("la valeur n'est pas un nombre").
std::string_view LineFaultText(LineFault fault);

} // namespace pelk
