// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/export_reader.h"

#include "climate/export_parser.h"
#include "climate/platform.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <future>
#include <iterator>
#include <limits>
#include <locale>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace pelk {
namespace {

constexpr std::size_t kBlockSize = 1 << 18;

// Entries a piece claims at a time: few claims, and little left unused when a piece ends.
constexpr std::int32_t kRoomClaim = 1 << 14;

// Below this size (some 350,000 readings), starting a second piece costs about what it saves:
// mostly the fresh memory that the later piece and the join touch.
constexpr long long kTwoPieceFileSize = 8 << 20;

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

bool StartsWithUtf16Mark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// Blocks of bytes already in memory.
struct MemoryBlocks {
    std::string_view bytes;
    std::size_t blockSize;

    std::optional<std::string_view> operator()() {
        const std::string_view block = bytes.substr(0, blockSize);
        bytes.remove_prefix(block.size());
        return block;
    }
};

// Blocks read from a file, no more than `left` bytes in all; nullopt on an error (errno tells).
struct FileBlocks {
    platform::InputFile &file;
    unsigned long long left = std::numeric_limits<unsigned long long>::max();
    std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kBlockSize);

    std::optional<std::string_view> operator()() {
        for (;;) {
            const long count =
                file.read(buffer.get(), std::min<unsigned long long>(kBlockSize, left));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                return std::nullopt;
            left -= static_cast<unsigned long long>(count);
            return std::string_view(buffer.get(), static_cast<std::size_t>(count));
        }
    }
};

// Feeds `loader` until the end, the loader's stop or a read error, which it returns.
template <typename NextBlock>
std::optional<ReadResult> FeedAll(ExportLoader &loader, NextBlock &nextBlock) {
    for (;;) {
        const std::optional<std::string_view> block = nextBlock();
        if (!block)
            return Failure(ReadResult::Status::ReadFailed, SystemReason(errno));
        if (block->empty() || !loader.feed(*block))
            return std::nullopt;
    }
}

template <typename NextBlock> ReadResult ReadWhole(ProgramTables &tables, NextBlock nextBlock) {
    ExportLoader loader(tables);
    if (auto failure = FeedAll(loader, nextBlock)) {
        tables.MeasurementCount = 0; // what was read so far is no load
        return *failure;
    }
    return loader.finish();
}

// What the join needs of one piece.
struct PieceOutcome {
    ReadResult result;
    std::int32_t stored = 0;
    std::int64_t lines = 0;
    bool stoppedForRoom = false;
    bool pastDataEnd = false;
};

template <typename NextBlock>
PieceOutcome ReadPiece(ProgramTables &tables, ExportLoader::Piece piece, TableRoom &room,
                       NextBlock nextBlock) {
    ExportLoader loader(tables, piece, room);
    if (auto failure = FeedAll(loader, nextBlock))
        return {std::move(*failure)};
    ReadResult result = loader.finish();
    return {std::move(result), loader.storedCount(), loader.linesRead(), loader.stoppedForRoom(),
            loader.pastDataEnd()};
}

// The outcome of reading the file in one piece, from its two pieces; nullopt when they cannot
// tell it exactly: a piece stopped for want of room (the file holds more readings than judged, or
// than the table holds, whose refused line only a reading in order finds), or the data ended in
// the first piece (the later one's lines are then only counted, which it did not do).
std::optional<ReadResult> JoinPieces(PieceOutcome first, PieceOutcome later, std::int32_t top,
                                     ProgramTables &tables) {
    if (first.result.status != ReadResult::Status::Loaded)
        return std::move(first.result); // the first bad line or failure in file order decides
    if (first.stoppedForRoom || first.pastDataEnd || later.stoppedForRoom)
        return std::nullopt;
    ReadResult result = std::move(later.result);
    if (result.status == ReadResult::Status::ReadFailed)
        return result;
    const std::int64_t linesBefore = first.lines - 1; // the later piece's first line was 2
    if (result.status == ReadResult::Status::BadFormat)
        result.lineNumber += linesBefore;
    if (result.firstLineAfterEnd != 0)
        result.firstLineAfterEnd += linesBefore;
    first.result.readingLines.append(result.readingLines, first.stored);
    result.readingLines = std::move(first.result.readingLines);
    if (result.status == ReadResult::Status::Loaded) {
        // The later readings, stored downwards from the top, go right after the first.
        auto &table = tables.MeasurementTable;
        const auto stored = table.entries(top - later.stored + 1, later.stored);
        std::reverse(stored.begin(), stored.end());
        const auto place = table.entries(first.stored + 1, later.stored);
        if (place.data() != stored.data())
            std::copy(stored.begin(), stored.end(), place.begin()); // moves towards the start
        tables.MeasurementCount = first.stored + later.stored;
    }
    return result;
}

template <typename FirstBlocks, typename LaterBlocks>
std::optional<ReadResult> ReadTwoPieces(ProgramTables &tables, FirstBlocks first, LaterBlocks later,
                                        std::int32_t laterTop) {
    tables.MeasurementCount = 0;
    TableRoom room(2, std::clamp(laterTop, 1, MeasurementTableType::capacity()));
    std::future<PieceOutcome> laterOutcome;
    try {
        laterOutcome = std::async(std::launch::async, [&] {
            return ReadPiece(tables, ExportLoader::Piece::Later, room, std::move(later));
        });
    } catch (const std::system_error &) {
        return std::nullopt; // no thread to be had: one piece will do
    }
    PieceOutcome firstOutcome =
        ReadPiece(tables, ExportLoader::Piece::First, room, std::move(first));
    return JoinPieces(std::move(firstOutcome), laterOutcome.get(), room.top(), tables);
}

// How many readings a file of `size` bytes holds, judged from a sample of its lines, with room to
// spare. The later piece fills the table downwards from there, so that the join moves its
// readings a short way, mostly over memory already in use; a file that holds more is read again
// in one piece.
std::int32_t LaterPieceTop(std::string_view sample, long long size) {
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = NextLineStart(sample, at)) != std::string_view::npos;)
        ++lines;
    const double readings = static_cast<double>(size) * static_cast<double>(lines) /
                            static_cast<double>(std::max<std::size_t>(sample.size(), 1));
    return static_cast<std::int32_t>(
        std::min<double>(MeasurementTableType::capacity(), readings * 1.125 + kRoomClaim));
}

struct LaterPiece {
    long long start = 0; // a line start near the file's middle
    std::int32_t top = 0;
};

// Where the later piece of the file starts, with `later` open on the file and placed there;
// nullopt when the file is better read in one piece.
std::optional<LaterPiece> PlaceLaterPiece(platform::InputFile &later, long long size) {
    if (!later.isOpen() || later.kind() != platform::FileKind::Regular ||
        std::thread::hardware_concurrency() < 2)
        return std::nullopt;
    char mark[2];
    if (later.read(mark, 2) != 2 || StartsWithUtf16Mark({mark, 2}))
        return std::nullopt;
    const long long middle = size / 2;
    std::vector<char> near(4 * kMaxDataLineLength);
    if (!later.seek(middle))
        return std::nullopt;
    const long count = later.read(near.data(), near.size());
    if (count <= 0)
        return std::nullopt;
    const std::string_view sample(near.data(), static_cast<std::size_t>(count));
    const std::size_t start = NextLineStart(sample, 0);
    // No line end near the middle, or a CR last, which a LF beyond may follow.
    if (start >= sample.size() || !later.seek(middle + static_cast<long long>(start)))
        return std::nullopt;
    return LaterPiece{middle + static_cast<long long>(start), LaterPieceTop(sample, size)};
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

std::size_t NextLineStart(std::string_view bytes, std::size_t from) {
    if (from >= bytes.size())
        return std::string_view::npos;
    const char *const end = bytes.data() + bytes.size();
    const char *const lineEnd = FindLineEnd(bytes.data() + from, end);
    if (lineEnd == end)
        return std::string_view::npos;
    const std::size_t at = static_cast<std::size_t>(lineEnd - bytes.data());
    return *lineEnd == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? at + 2 : at + 1;
}

std::int32_t TableRoom::claim(std::int32_t wanted) {
    std::unique_lock lock(mutex_);
    if (unclaimed_ == 0) {
        --busy_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return unclaimed_ > 0 || busy_ == 0; });
        if (unclaimed_ == 0)
            return 0;
        ++busy_;
    }
    // Less at a time as the table fills, so that little sits unused in one piece while the
    // other needs it.
    const std::int32_t taken = std::min(wanted, std::max(1, unclaimed_ / 2));
    unclaimed_ -= taken;
    return taken;
}

void TableRoom::giveBack(std::int32_t unused) {
    const std::lock_guard lock(mutex_);
    unclaimed_ += unused;
    --busy_;
    changed_.notify_all();
}

ExportLoader::ExportLoader(ProgramTables &tables) : ExportLoader(tables, Piece::Whole, ownRoom_) {}

ExportLoader::ExportLoader(ProgramTables &tables, Piece piece, TableRoom &room)
    : tables_(tables), piece_(piece), room_(room), splitter_(kMaxDataLineLength, LineTaker{this}) {
    if (piece_ == Piece::Whole)
        tables_.MeasurementCount = 0;
    if (piece_ == Piece::Later) {
        lineNumber_ = 1; // the header is the first piece's
        encoding_ = Encoding::Bytes;
        nextIndex_ = room.top();
        indexStep_ = -1;
    }
}

ExportLoader::~ExportLoader() {
    stopClaiming();
}

void ExportLoader::stopClaiming() {
    if (claiming_)
        room_.giveBack(roomLeft_);
    claiming_ = false;
    roomLeft_ = 0;
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
        if (StartsWithUtf16Mark(firstBytes_)) {
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
    stopClaiming();
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
        stopClaiming();
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
        result_.readingLines.noteSkippedLine(storedCount_);
        return true;
    }
    return store(line, reading);
}

bool ExportLoader::store(std::string_view line, const Measurement &reading) {
    if (roomLeft_ == 0) {
        roomLeft_ = claiming_ ? room_.claim(kRoomClaim) : 0;
        if (roomLeft_ == 0) {
            claiming_ = false; // the room gave none: nothing to give back
            if (piece_ == Piece::Whole)
                return refuse(line, LineFault::TooManyReadings);
            stoppedForRoom_ = true;
            return false;
        }
    }
    --roomLeft_;
    tables_.MeasurementTable.at(nextIndex_) = reading;
    nextIndex_ += indexStep_;
    ++storedCount_;
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

void ReadingLines::append(const ReadingLines &later, std::int32_t readingsBefore) {
    const std::int64_t skippedBefore = runs_.empty() ? 0 : runs_.back().skippedUpToHere;
    for (const SkippedRun &run : later.runs_) {
        const SkippedRun moved{readingsBefore + run.readingsBefore,
                               skippedBefore + run.skippedUpToHere};
        if (!runs_.empty() && runs_.back().readingsBefore == moved.readingsBefore)
            runs_.back() = moved;
        else
            runs_.push_back(moved);
    }
}

void ReadingLines::noteReversed(std::int32_t readingCount) {
    reversedCount_ = reversedCount_ == 0 ? readingCount : 0;
}

std::int64_t ReadingLines::lineOf(std::int32_t index) const {
    if (!everyLine_.empty())
        return index >= 1 && static_cast<std::size_t>(index) <= everyLine_.size()
                   ? everyLine_[static_cast<std::size_t>(index) - 1]
                   : 0;
    if (reversedCount_ != 0)
        index = reversedCount_ + 1 - index;
    // The last run that comes before reading `index`.
    const auto after = std::partition_point(runs_.begin(), runs_.end(), [&](const SkippedRun &run) {
        return run.readingsBefore < index;
    });
    const std::int64_t skipped = after == runs_.begin() ? 0 : std::prev(after)->skippedUpToHere;
    return std::int64_t{index} + firstLine_ - 1 + skipped;
}

ReadResult ExportLoader::finish() {
    if (encoding_ == Encoding::Undecided)
        splitter_.feed(firstBytes_); // a file of one byte
    else if (encoding_ == Encoding::Utf16)
        splitter_.feed(utf16_.finish());
    splitter_.finish();
    stopClaiming();
    if (piece_ == Piece::Whole)
        tables_.MeasurementCount = result_.status == ReadResult::Status::Loaded ? storedCount_ : 0;
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
    const long long size = file.size();
    tables.MeasurementTable.expectEntries(size / 20);

    if (size >= kTwoPieceFileSize) {
        platform::InputFile laterFile(path);
        if (const auto piece = PlaceLaterPiece(laterFile, size)) {
            if (auto result = ReadTwoPieces(
                    tables, FileBlocks{file, static_cast<unsigned long long>(piece->start)},
                    FileBlocks{laterFile}, piece->top))
                return *result;
            if (!file.seek(0))
                return Failure(ReadResult::Status::ReadFailed, SystemReason(errno));
        }
    }
    return ReadWhole(tables, FileBlocks{file});
}

ReadResult ReadExportBytes(std::string_view bytes, ProgramTables &tables, std::size_t blockSize) {
    return ReadWhole(tables, MemoryBlocks{bytes, std::max<std::size_t>(blockSize, 1)});
}

ReadResult ReadExportBytesInTwoPieces(std::string_view bytes, std::size_t cut,
                                      ProgramTables &tables, std::size_t blockSize,
                                      std::int32_t laterTop) {
    blockSize = std::max<std::size_t>(blockSize, 1);
    if (!StartsWithUtf16Mark(bytes) && cut > 0 && cut <= bytes.size())
        if (auto result = ReadTwoPieces(tables, MemoryBlocks{bytes.substr(0, cut), blockSize},
                                        MemoryBlocks{bytes.substr(cut), blockSize}, laterTop))
            return *result;
    return ReadExportBytes(bytes, tables, blockSize);
}

} // namespace pelk
