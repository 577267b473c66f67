// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a file the export form refuses: recognised, read with the layout found and
// the days computed, as both programs do. Checks what must hold whatever the bytes: a load is
// all or nothing, its readings are in time order, and every reading's line lies in the file.
#include "climate/utc_offset.h"
#include "layouts/layout_note.h"
#include "layouts/layout_reader.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static auto *const tables = new pelk::ProgramTables;
    *tables = pelk::ProgramTables{};
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    pelk::LoadOptions options;
    pelk::PrepareLoad(*tables, '.', {45000.5, 13, 12}, options);
    const pelk::ExportLoad load = pelk::LoadAnyExportBytes(bytes, *tables, options);
    if (load.read.status != pelk::ReadResult::Status::Loaded) {
        if (tables->MeasurementCount != 0)
            std::abort(); // a refusal keeps nothing
        return 0;
    }
    if (!load.layout)
        return 0;
    (void)pelk::LayoutNote(*load.layout, load.facts);
    const auto readings = tables->MeasurementTable.first(tables->MeasurementCount);
    if (!std::is_sorted(readings.begin(), readings.end(),
                        [](const auto &a, const auto &b) { return a.Timestamp < b.Timestamp; }))
        std::abort();
    const auto lines = static_cast<std::int64_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                                 std::count(bytes.begin(), bytes.end(), '\r') + 1);
    for (std::int32_t i = 1; i <= tables->MeasurementCount; ++i) {
        const std::int64_t line = load.read.readingLines.lineOf(i);
        if (line < load.layout->firstDataLine || line > lines)
            std::abort();
    }
    return 0;
}
