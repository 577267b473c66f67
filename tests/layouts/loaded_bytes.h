// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// A file's bytes loaded as both programs load them, on a fixed clock, and the day rows it gives:
/// what the tests of the layouts compare.
#pragma once

#include "climate/date_time.h"
#include "climate/load_pipeline.h"
#include "layouts/layout_reader.h"

#include <cstdio>
#include <memory>
#include <string>

namespace pelk::test {

/// 2026-12-07 12:00, the clock `zoneHours` ahead of UTC.
inline ClockReading Clock(int zoneHours = 0) {
    return {MakeDateTime(DayNumberFromCivil(2026, 12, 7), 12 * 3600), (12 + zoneHours + 24) % 24,
            12};
}

/// "day Tn Tx" a line.
inline std::string RowsOf(const ProgramTables &tables) {
    std::string text;
    for (std::int16_t i = 1; i <= tables.DayCount; ++i)
        text += tables.DayTable.at(i).DayLabel + " " + tables.DayTable.at(i).Tn + " " +
                tables.DayTable.at(i).Tx + "\n";
    return text;
}

struct Loaded {
    std::unique_ptr<ProgramTables> tables = std::make_unique<ProgramTables>();
    ExportLoad load;
    std::string rows() const { return RowsOf(*tables); }
    /// The readings' times in table order, "hh:mm:ss " each.
    std::string times() const {
        std::string text;
        for (std::int32_t i = 1; i <= tables->MeasurementCount; ++i) {
            const CivilDateTime t = SplitDateTime(tables->MeasurementTable.at(i).Timestamp);
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d ", t.hour, t.minute, t.second);
            text += time;
        }
        return text;
    }
};

inline Loaded Load(const std::string &bytes, const LoadOptions &options = {}, int zoneHours = 0) {
    Loaded loaded;
    PrepareLoad(*loaded.tables, '.', Clock(zoneHours), options);
    loaded.load = LoadAnyExportBytes(bytes, *loaded.tables, options);
    return loaded;
}

} // namespace pelk::test
