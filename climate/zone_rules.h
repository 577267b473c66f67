// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// A named time zone's offsets from UTC through the years, read from the system's zone database
/// (the compiled files under /usr/share/zoneinfo), for a file that names the zone its logger kept
/// rather than the computer's. Not available where the system has no such database (Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pelk {

class ZoneRules {
  public:
    /// The rules of a compiled zone file's bytes (the "TZif" format); nothing for other bytes.
    static std::optional<ZoneRules> FromTzif(std::string_view bytes);
    /// The rules of IANA zone `name` ("Europe/Berlin") from the system's database.
    static std::optional<ZoneRules> Named(std::string_view name);

    /// Seconds the zone is ahead of UTC at 12:00 UTC of a calendar day (a day number): the offset
    /// in force that day, since zones change theirs at night.
    int offsetSecondsOn(std::int64_t dayNumber) const;

  private:
    struct Change {
        std::int64_t at = 0; ///< seconds since 1970 UTC
        int offsetSeconds = 0;
    };
    std::vector<Change> changes_; ///< in time order; the first holds before any change
};

} // namespace pelk
