// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Files read as a record on a fixed clock, and what the record and a file alone give, to compare.
#pragma once

#include "record/record.h"
#include "tests/layouts/loaded_bytes.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pelk::test {

struct NamedBytes {
    std::string name;
    std::string bytes;
};

struct ReadRecord {
    std::unique_ptr<ProgramTables> tables = std::make_unique<ProgramTables>();
    Record record;
    std::optional<std::string> refusedName; ///< a file refused as it was read
    ReadResult refusal;

    std::string rows() const { return RowsOf(*tables); }
};

inline ReadRecord LoadRecord(const std::vector<NamedBytes> &files, const LoadOptions &options = {},
                             int zoneHours = 0) {
    ReadRecord read;
    PrepareLoad(*read.tables, '.', Clock(zoneHours), options);
    std::vector<RecordFile> taken;
    for (const NamedBytes &file : files) {
        RecordFileRead one = ReadRecordFileBytes(file.bytes, file.name, *read.tables, options);
        if (!one.file) {
            read.refusedName = file.name;
            read.refusal = one.load.read;
            return read;
        }
        taken.push_back(std::move(*one.file));
    }
    read.record = MergeRecord(std::move(taken), *read.tables);
    return read;
}

} // namespace pelk::test
