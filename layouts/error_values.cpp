// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/error_values.h"

#include <array>
#include <cmath>
#include <limits>

namespace pelk {
namespace {

enum class Scale { Celsius, AsWritten };

struct ErrorRange {
    Scale scale;
    double lowest;
    double highest;
};

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Whole ranges, so that a value printed with a decimal or two more still falls in.
constexpr std::array<ErrorRange, 5> kErrorRanges = {{
    {Scale::Celsius, -kInfinity, -250.0},   // an open thermocouple (-270), 0 K
    {Scale::Celsius, -127.05, -126.95},     // a disconnected 1-Wire probe
    {Scale::AsWritten, -200.005, -199.995}, // an unused channel
    {Scale::AsWritten, -kInfinity, -999.0}, // missing-value codes: -999, -999.9, -9999
    {Scale::AsWritten, 999.0, kInfinity},   // 999, 9999, 3276.7, 32767
}};

constexpr double kPowerOn = 85.0;
constexpr double kPowerOnJump = 10.0;

} // namespace

bool IsSensorErrorValue(double written, double celsius) {
    for (const ErrorRange &range : kErrorRanges) {
        const double value = range.scale == Scale::Celsius ? celsius : written;
        if (value >= range.lowest && value <= range.highest)
            return true;
    }
    return false;
}

bool IsPowerOnValue(float celsius) {
    return std::abs(celsius - kPowerOn) <= 0.05;
}

bool IsPowerOnSpike(std::optional<float> before, float celsius, std::optional<float> after) {
    if (!IsPowerOnValue(celsius))
        return false;
    auto jumps = [&](std::optional<float> neighbour) {
        return !neighbour || std::abs(celsius - *neighbour) >= kPowerOnJump;
    };
    return (before || after) && jumps(before) && jumps(after);
}

} // namespace pelk
