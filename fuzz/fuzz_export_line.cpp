// SPDX-License-Identifier: GPL-3.0-or-later
// One line through both parsers: they must take the same decision and store the same bits.
// The first byte chooses the separators and the index, the rest is the line.
#include "climate/export_parser.h"

#include <bit>
#include <cstdlib>
#include <memory>

namespace {

struct Setup {
    char locale;
    char alternate;
};

constexpr Setup kSetups[] = {{',', '.'}, {'.', ','}, {',', '\0'}, {'.', '\0'}, {';', '\0'}};
constexpr std::int32_t kIndices[] = {1, 2, 1'000'000, 1'000'001, 0};

pelk::ProgramTables &Tables(int which) {
    // Kept between runs: 16 MB each, too much to build for every input.
    static auto *const tables = new pelk::ProgramTables[2];
    return tables[which];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    const Setup setup = kSetups[data[0] % 5];
    const std::int32_t index = kIndices[data[0] / 5 % 5];
    const std::string_view line(reinterpret_cast<const char *>(data + 1), size - 1);

    pelk::ProgramTables &reference = Tables(0);
    pelk::ProgramTables &fast = Tables(1);
    for (pelk::ProgramTables *tables : {&reference, &fast}) {
        tables->LocaleDecimalSeparator = setup.locale;
        tables->AlternateDecimalSeparator = setup.alternate;
        if (pelk::MeasurementTableType::contains(index))
            tables->MeasurementTable.at(index) = {-1.0, -1.0f};
    }
    std::string referenceLine(line);
    std::int32_t referenceIndex = index;
    std::int32_t fastIndex = index;
    const auto expected = pelk::ParseExportLine(referenceLine, referenceIndex, reference);
    const auto actual = pelk::StoreExportLine(line, fastIndex, fast);
    if (expected != actual || referenceIndex != fastIndex)
        std::abort();
    // A malformed line voids the whole load: what it left in its entry is no effect.
    if (expected == pelk::LineOutcome::Stored) {
        const pelk::Measurement &a = reference.MeasurementTable.at(index);
        const pelk::Measurement &b = fast.MeasurementTable.at(index);
        if (std::bit_cast<std::uint64_t>(a.Timestamp) !=
                std::bit_cast<std::uint64_t>(b.Timestamp) ||
            std::bit_cast<std::uint32_t>(a.Value) != std::bit_cast<std::uint32_t>(b.Value))
            std::abort();
    }
    return 0;
}
