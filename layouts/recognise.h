// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Finds the layout of a file that the export form refuses: the separator that cuts its lines
/// into steady fields, where the data starts, which field holds the timestamp and in which date
/// order, which column holds the temperature (or its minimum and maximum), the clock's offset and
/// the unit. Each is decided by scoring the candidates against the data, not by a first match.
#pragma once

#include "climate/date_time.h"
#include "layouts/layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelk {

/// What the user said, which wins over what the file suggests.
struct LayoutChoices {
    std::optional<char> separator;
    std::optional<std::int64_t> firstDataLine;  ///< 1-based
    std::optional<std::int32_t> timestampField; ///< 1-based, its first field
    std::optional<DateOrder> dateOrder;
    std::optional<std::int32_t> valueField;
    std::optional<std::int32_t> tnField;
    std::optional<std::int32_t> txField;
    bool offsetChosen = false; ///< --utc-offset: the file's own offset is not used
    /// With offsetChosen, from the window: a fixed offset, or the zone's day by day; neither is
    /// the computer's offset now.
    std::optional<int> offsetHours;
    bool offsetLocalByDate = false;
    std::optional<WrittenUnit> unit; ///< the unit of the values, converted to degrees C
    bool keepErrorValues = false;    ///< --keep-error-values

    bool operator==(const LayoutChoices &) const = default;
};

struct Recognition {
    enum class Outcome {
        Recognised,
        NoLayout,        ///< no separator and field give lines of readings
        DateOrderUnknown ///< several date orders fit the data alike, and nothing names one
    };
    Outcome outcome = Outcome::NoLayout;
    Layout layout;
    std::int64_t undecidedLine = 0; ///< for DateOrderUnknown: a line whose date reads both ways
    /// For NoLayout: where a person would start putting it right, the separator and first data
    /// line that fit best, when any fits at all.
    LayoutChoices guess;
    /// For NoLayout: a reading above the data, where the data has its readings (1-based); 0: none.
    std::int64_t readingBeforeData = 0;
};

/// The plainest guess at a file no layout reads: the separator that cuts most lines into the
/// same number of fields (two or more), and the data from the first line with a date under it.
LayoutChoices PlainestChoices(const std::vector<std::string_view> &lines);

/// `lines` is the whole file as text; `today` the day number of today, for two-digit years.
Recognition Recognise(const std::vector<std::string_view> &lines, TextEncoding encoding,
                      const LayoutChoices &choices, std::int64_t today);

} // namespace pelk
