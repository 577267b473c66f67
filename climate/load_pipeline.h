/// \file
/// The load steps that the window and pelk-cli share, so that both compute the same rows from
/// the same file.
#pragma once

#include "climate/export_reader.h"
#include "climate/utc_offset.h"

#include <filesystem>

namespace pelk {

/// What is settled before a file is chosen: the decimal separators, then the UTC offset.
void PrepareLoad(ProgramTables &tables, char localeSeparator, const ClockReading &clock);

/// Reads the file and, when it held readings, computes the day rows.
ReadResult LoadExport(const std::filesystem::path &path, ProgramTables &tables);

} // namespace pelk
