// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an export file, through the reader that files go through, fed in blocks
// of a size the input chooses, and in two pieces cut at a line start it chooses; checked against
// a plain line-by-line reading of the same bytes with the step-by-step parser.
#include "climate/export_parser.h"
#include "climate/export_reader.h"

#include <bit>
#include <cstdlib>
#include <string>

namespace {

pelk::ProgramTables &Tables(int which) {
    static auto *const tables = new pelk::ProgramTables[3];
    return tables[which];
}

// Lines end at CR, CR LF or LF; the header is dropped; an empty line ends the data; a data line
// longer than the limit is malformed.
pelk::ReadResult PlainReading(std::string_view bytes, pelk::ProgramTables &tables) {
    std::int32_t next = 1;
    std::int64_t lineNumber = 0;
    std::size_t at = 0;
    tables.MeasurementCount = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", at);
        const std::string_view line =
            bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (end == std::string_view::npos)
            end = bytes.size();
        else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        at = end + 1;
        ++lineNumber;
        if (lineNumber == 1)
            continue;
        if (line.empty())
            break;
        std::string copy(line);
        if (line.size() > pelk::kMaxDataLineLength ||
            pelk::ParseExportLine(copy, next, tables) == pelk::LineOutcome::Malformed) {
            pelk::ReadResult refused;
            refused.status = pelk::ReadResult::Status::BadFormat;
            refused.lineNumber = lineNumber;
            return refused;
        }
    }
    tables.MeasurementCount = next - 1;
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2)
        return 0;
    const char locale = data[0] & 1 ? ',' : '.';
    const char alternate = data[0] & 2 ? '\0' : (locale == ',' ? '.' : ',');
    const std::size_t blockSize = 1 + data[1] % 64;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 2), size - 2);
    // UTF-16 files are read through a decoder that the plain reading does not have.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return 0;

    pelk::ProgramTables &plain = Tables(0);
    for (int which = 0; which < 3; ++which) {
        Tables(which).LocaleDecimalSeparator = locale;
        Tables(which).AlternateDecimalSeparator = alternate;
    }
    const pelk::ReadResult expected = PlainReading(bytes, plain);
    const std::size_t cut = pelk::NextLineStart(bytes, bytes.size() * (data[0] >> 2) / 64);
    const pelk::ReadResult actual[] = {
        pelk::ReadExportBytes(bytes, Tables(1), blockSize),
        cut == std::string_view::npos
            ? pelk::ReadExportBytes(bytes, Tables(2), blockSize)
            : pelk::ReadExportBytesInTwoPieces(bytes, cut, Tables(2), blockSize)};
    for (int which = 1; which < 3; ++which) {
        const pelk::ProgramTables &reader = Tables(which);
        const pelk::ReadResult &read = actual[which - 1];
        if (expected.status != read.status || plain.MeasurementCount != reader.MeasurementCount)
            std::abort();
        if (read.status == pelk::ReadResult::Status::BadFormat &&
            expected.lineNumber != read.lineNumber)
            std::abort();
        for (std::int32_t i = 1; i <= reader.MeasurementCount; ++i) {
            const pelk::Measurement &a = plain.MeasurementTable.at(i);
            const pelk::Measurement &b = reader.MeasurementTable.at(i);
            if (std::bit_cast<std::uint64_t>(a.Timestamp) !=
                    std::bit_cast<std::uint64_t>(b.Timestamp) ||
                std::bit_cast<std::uint32_t>(a.Value) != std::bit_cast<std::uint32_t>(b.Value))
                std::abort();
        }
    }
    return 0;
}
