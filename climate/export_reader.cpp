#include "climate/export_reader.h"

#include "climate/export_parser.h"
#include "climate/platform.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

namespace pelk {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

std::string SystemReason(int error) {
    return std::strerror(error);
}

ReadResult Failure(ReadResult::Status status, std::string reason) {
    ReadResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

} // namespace

// Eight bytes at a time, since lines are short and both terminators are searched at once.
const char *FindLineEnd(const char *p, const char *const end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighBits = 0x8080808080808080;
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            const std::uint64_t cr = word ^ (kOnes * '\r');
            const std::uint64_t lf = word ^ (kOnes * '\n');
            // High bit set in each byte that is 0 in cr or lf; the lowest one is exact (only
            // bytes above a true match can be flagged wrongly).
            const std::uint64_t hits = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighBits;
            if (hits != 0)
                return p + std::countr_zero(hits) / 8;
            p += sizeof word;
        }
    }
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

ExportLoader::ExportLoader(ProgramTables &tables)
    : tables_(tables), splitter_(kMaxDataLineLength, LineTaker{this}) {
    tables_.MeasurementCount = 0;
}

bool ExportLoader::takeLine(std::string_view line, bool overlong) {
    ++lineNumber_;
    if (lineNumber_ == 1)
        return true; // the column header, never parsed
    if (afterEnd_) {
        noteLineAfterEnd(line, overlong);
        return true;
    }
    if (line.empty() && !overlong) {
        afterEnd_ = true; // an empty line ends the data
        return true;
    }
    const LineOutcome outcome =
        overlong ? LineOutcome::Malformed
                 : StoreExportLine(line, nextMeasurementIndex_, tables_, lineMemory_);
    if (outcome == LineOutcome::Malformed) {
        result_.status = ReadResult::Status::BadFormat;
        result_.lineNumber = lineNumber_;
        return false;
    }
    if (outcome == LineOutcome::Skipped)
        result_.readingLines.noteSkippedLine(nextMeasurementIndex_ - 1);
    return true;
}

void ExportLoader::noteLineAfterEnd(std::string_view line, bool overlong) {
    Measurement reading;
    if (overlong ||
        ReadExportLine(line, tables_.LocaleDecimalSeparator, tables_.AlternateDecimalSeparator,
                       lineMemory_, reading) != LineOutcome::Stored)
        return;
    if (result_.readingsAfterEnd++ == 0)
        result_.firstLineAfterEnd = lineNumber_;
}

void ReadingLines::noteSkippedLine(std::int32_t readingsSoFar) {
    if (!runs_.empty() && runs_.back().readingsBefore == readingsSoFar) {
        ++runs_.back().skippedUpToHere;
        return;
    }
    const std::int64_t before = runs_.empty() ? 0 : runs_.back().skippedUpToHere;
    runs_.push_back({readingsSoFar, before + 1});
}

void ReadingLines::noteReversed(std::int32_t readingCount) {
    reversedCount_ = reversedCount_ == 0 ? readingCount : 0;
}

std::int64_t ReadingLines::lineOf(std::int32_t index) const {
    if (reversedCount_ != 0)
        index = reversedCount_ + 1 - index;
    // The last run that comes before reading `index`.
    const auto after = std::partition_point(runs_.begin(), runs_.end(), [&](const SkippedRun &run) {
        return run.readingsBefore < index;
    });
    const std::int64_t skipped = after == runs_.begin() ? 0 : std::prev(after)->skippedUpToHere;
    return std::int64_t{index} + 1 + skipped;
}

ReadResult ExportLoader::finish() {
    splitter_.finish();
    tables_.MeasurementCount =
        result_.status == ReadResult::Status::Loaded ? nextMeasurementIndex_ - 1 : 0;
    return result_;
}

ReadResult ReadExport(const std::filesystem::path &path, ProgramTables &tables) {
    tables.MeasurementCount = 0;
    platform::InputFile file(path);
    if (!file.isOpen())
        return Failure(ReadResult::Status::CannotOpen, SystemReason(errno));
    switch (file.kind()) {
    case platform::FileKind::Directory:
        return Failure(ReadResult::Status::CannotOpen, SystemReason(EISDIR));
    case platform::FileKind::CharacterDevice:
        return Failure(ReadResult::Status::CannotOpen, "a device, not a file");
    case platform::FileKind::Regular:
    case platform::FileKind::Other:
        break;
    }

    ExportLoader loader(tables);
    const auto block = std::make_unique_for_overwrite<char[]>(kBlockSize);
    for (;;) {
        const long count = file.read(block.get(), kBlockSize);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            tables.MeasurementCount = 0; // what was read so far is no load
            return Failure(ReadResult::Status::ReadFailed, SystemReason(errno));
        }
        if (count == 0 || !loader.feed({block.get(), static_cast<std::size_t>(count)}))
            break;
    }
    return loader.finish();
}

ReadResult ReadExportBytes(std::string_view bytes, ProgramTables &tables, std::size_t blockSize) {
    ExportLoader loader(tables);
    blockSize = std::max<std::size_t>(blockSize, 1);
    for (std::size_t at = 0; at < bytes.size(); at += blockSize)
        if (!loader.feed(bytes.substr(at, blockSize)))
            break;
    return loader.finish();
}

} // namespace pelk
