#include "climate/load_pipeline.h"

#include "climate/daily_extremes.h"

namespace pelk {

void PrepareLoad(ProgramTables &tables, char localeSeparator, const ClockReading &clock) {
    SetDecimalSeparators(tables, localeSeparator);
    DetectUtcOffset(tables, clock);
}

ReadResult LoadExport(const std::filesystem::path &path, ProgramTables &tables) {
    const ReadResult result = ReadExport(path, tables);
    if (result.status == ReadResult::Status::Loaded && tables.MeasurementCount != 0)
        ComputeDailyExtremes(tables);
    return result;
}

} // namespace pelk
