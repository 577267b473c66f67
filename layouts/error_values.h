// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Values that a sensor writes when it has no reading: an open thermocouple's -270, a
/// disconnected 1-Wire probe's -127 (-196.6 in degrees F), an unused channel's -200, the missing
/// value codes of +-999 and beyond, and a 1-Wire probe's power-on 85 where it stands out from both
/// neighbours. They are no temperatures, so a day's Tn or Tx must never be one.
#pragma once

#include <optional>

namespace pelk {

/// Whether a value, as written (`written`, in the file's unit) and in degrees C, is a sensor's
/// error value; the 85 of power-on is judged by IsPowerOnSpike.
bool IsSensorErrorValue(double written, double celsius);

/// Whether `celsius` is a 1-Wire probe's power-on 85 that jumps at least 10 degrees from the
/// readings before and after it (a missing neighbour does not count against it).
bool IsPowerOnSpike(std::optional<float> before, float celsius, std::optional<float> after);
/// Whether `celsius` is the power-on value at all, wherever it stands.
bool IsPowerOnValue(float celsius);

} // namespace pelk
