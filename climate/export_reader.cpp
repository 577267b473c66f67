// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/export_reader.h"

#include "climate/export_parser.h"
#include "climate/platform.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <locale>
#include <memory>

namespace pelk {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

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

std::string ShownLineText(std::string_view line) {
    std::string shown;
    std::size_t characters = 0;
    for (const char c : line) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continuation && ++characters > kShownLineCharacters)
            break;
        const bool control = (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
        shown += control ? '?' : c;
    }
    return shown;
}

std::string_view Utf16Decoder::decode(std::string_view bytes) {
    auto unit = [&](char first, char second) {
        const auto a = static_cast<unsigned char>(first);
        const auto b = static_cast<unsigned char>(second);
        return static_cast<char16_t>(bigEndian_ ? a << 8 | b : b << 8 | a);
    };
    if (oddByte_ && !bytes.empty()) {
        units_ += unit(*oddByte_, bytes[0]);
        oddByte_.reset();
        bytes.remove_prefix(1);
    }
    for (; bytes.size() >= 2; bytes.remove_prefix(2))
        units_ += unit(bytes[0], bytes[1]);
    if (!bytes.empty())
        oddByte_ = bytes[0];

    using Codecvt = std::codecvt<char16_t, char8_t, std::mbstate_t>;
    const auto &codecvt = std::use_facet<Codecvt>(std::locale::classic());
    // Three bytes a unit at most: a pair of units gives four, a unit alone or U+FFFD three.
    text_.resize(units_.size() * 3);
    auto *const out = reinterpret_cast<char8_t *>(text_.data());
    const char16_t *from = units_.data();
    const char16_t *const end = from + units_.size();
    char8_t *to = out;
    for (;;) {
        std::mbstate_t state{};
        const char16_t *fromNext = nullptr;
        char8_t *toNext = nullptr;
        const auto result = codecvt.out(state, from, end, fromNext, to, out + text_.size(), toNext);
        from = fromNext;
        to = toNext;
        if (result != Codecvt::error)
            break; // all done, but a high surrogate at the end, which waits for its pair
        for (const char byte : kReplacementCharacter)
            *to++ = static_cast<char8_t>(byte);
        ++from; // the unit that is no UTF-16
    }
    units_.erase(0, static_cast<std::size_t>(from - units_.data()));
    text_.resize(static_cast<std::size_t>(to - out));
    return text_;
}

std::string_view Utf16Decoder::finish() {
    text_.clear();
    if (!units_.empty() || oddByte_)
        text_ = kReplacementCharacter;
    units_.clear();
    oddByte_.reset();
    return text_;
}

bool ExportLoader::feedMarked(std::string_view block) {
    if (encoding_ == Encoding::Undecided) {
        const std::size_t taken = std::min(block.size(), 2 - firstBytes_.size());
        firstBytes_.append(block.substr(0, taken));
        block.remove_prefix(taken);
        if (firstBytes_.size() < 2)
            return true;
        if (firstBytes_ == "\xFF\xFE" || firstBytes_ == "\xFE\xFF") {
            encoding_ = Encoding::Utf16; // the mark itself is no text
            utf16_.setBigEndian(firstBytes_[0] == '\xFE');
        } else {
            encoding_ = Encoding::Bytes;
            return splitter_.feed(firstBytes_) && splitter_.feed(block);
        }
    }
    return splitter_.feed(utf16_.decode(block));
}

bool ExportLoader::refuse(std::string_view line, LineFault fault) {
    result_.status = ReadResult::Status::BadFormat;
    result_.lineNumber = lineNumber_;
    result_.fault = fault;
    result_.lineText = ShownLineText(line);
    return false;
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
    if (overlong)
        return refuse(line, LineFault::LineTooLong);
    Measurement reading;
    LineFault fault = LineFault::None;
    const LineOutcome outcome =
        ReadExportLine(line, tables_.LocaleDecimalSeparator, tables_.AlternateDecimalSeparator,
                       tables_.ValueField, lineMemory_, reading, fault);
    if (outcome == LineOutcome::Malformed)
        return refuse(line, fault);
    if (outcome == LineOutcome::Skipped) {
        result_.readingLines.noteSkippedLine(nextMeasurementIndex_ - 1);
        return true;
    }
    if (!MeasurementTableType::contains(nextMeasurementIndex_))
        return refuse(line, LineFault::TooManyReadings);
    tables_.MeasurementTable.at(nextMeasurementIndex_++) = reading;
    return true;
}

void ExportLoader::noteLineAfterEnd(std::string_view line, bool overlong) {
    Measurement reading;
    LineFault fault = LineFault::None;
    if (overlong ||
        ReadExportLine(line, tables_.LocaleDecimalSeparator, tables_.AlternateDecimalSeparator,
                       tables_.ValueField, lineMemory_, reading, fault) != LineOutcome::Stored)
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
    if (encoding_ == Encoding::Undecided)
        splitter_.feed(firstBytes_); // a file of one byte
    else if (encoding_ == Encoding::Utf16)
        splitter_.feed(utf16_.finish());
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

    // A data line takes some twenty bytes: a large file gets its table ready at once.
    tables.MeasurementTable.expectEntries(file.size() / 20);

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
