// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// pelk-cli: the window's load pipeline on a file named on the command line, its list written to
/// standard output as the clipboard text of the window.
#pragma once

#include "climate/utc_offset.h"

#include <ostream>
#include <span>
#include <string_view>

namespace pelk {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotRead = 1;
inline constexpr int kExitBadFormat = 2;
inline constexpr int kExitUsage = 64;

/// Runs pelk-cli with `args` (without the program name); the environment comes in as the
/// locale's decimal separator and one reading of the clock.
int RunCli(std::span<const std::string_view> args, char localeSeparator, const ClockReading &clock,
           std::ostream &out, std::ostream &err);

} // namespace pelk
