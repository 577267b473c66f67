// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Reading a whole export file into the measurement table: the header line is dropped, every
/// following line up to the first empty one goes to the line parser. Lines end at CR, CR LF or LF.
/// A file that starts with a UTF-16 byte-order mark (either order) is read as the same text in
/// UTF-8 would be; any other file byte for byte.
/// The file is read in large blocks and no line is copied; memory stays bounded whatever the file
/// holds, because a line longer than any real export line is refused rather than gathered.
/// A large file is read in two pieces at once, cut at a line start, with the very outcome of a
/// reading in one piece.
#pragma once

#include "climate/export_parser.h"
#include "climate/tables.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelk {

/// What the user is told when a file is refused for a malformed line.
inline constexpr char kBadFormatMessage[] = "Mauvais format de fichier !  Utilisez l'export Excel";

/// Longest data line accepted; real lines are a few dozen bytes.
inline constexpr std::size_t kMaxDataLineLength = 4096;

/// How much of a refused line is shown: enough to recognise it, short enough for one line.
inline constexpr std::size_t kShownLineCharacters = 80;

/// A refused line as it is shown: its first kShownLineCharacters characters (UTF-8 sequences
/// count as one), each control character but TAB written as "?", so that no byte of the file
/// can steer a terminal.
std::string ShownLineText(std::string_view line);

/// The file line of each stored reading, without a number kept per reading: only the runs of
/// skipped lines (empty first field) between readings are remembered, which real files hardly
/// have.
class ReadingLines {
  public:
    /// One more line skipped after `readingsSoFar` readings were stored.
    void noteSkippedLine(std::int32_t readingsSoFar);
    /// The file line of the first reading when no line before it is skipped: 2, under the
    /// header, unless said otherwise.
    void setFirstLine(std::int64_t line) { firstLine_ = line; }
    /// The table was turned end for end after loading `readingCount` readings.
    void noteReversed(std::int32_t readingCount);
    /// The 1-based file line of table entry `index`.
    std::int64_t lineOf(std::int32_t index) const;
    /// Of entries `a` and `b`, the line that comes first in the file. Given the first and the
    /// last of some readings in table order, the first of them in the file, where the table is in
    /// the file's order or its reverse (a file written newest first).
    std::int64_t earlierLineOf(std::int32_t a, std::int32_t b) const {
        return std::min(lineOf(a), lineOf(b));
    }
    /// The skipped lines of a later piece of the same file, read after `readingsBefore` readings.
    void append(const ReadingLines &later, std::int32_t readingsBefore);
    /// The line of every entry, for a table whose readings were put into time order.
    void setEveryLine(std::vector<std::int64_t> lineOfEntry) {
        everyLine_ = std::move(lineOfEntry);
    }

  private:
    struct SkippedRun {
        std::int32_t readingsBefore = 0;  ///< the run comes after this many readings
        std::int64_t skippedUpToHere = 0; ///< skipped lines up to the run's end
    };
    std::vector<SkippedRun> runs_;
    std::int64_t firstLine_ = 2;
    std::int32_t reversedCount_ = 0;      ///< 0: table in file order
    std::vector<std::int64_t> everyLine_; ///< when set, entry i's line at i - 1
};

struct ReadResult {
    enum class Status {
        Loaded,     ///< MeasurementCount holds the number of readings stored (maybe 0)
        CannotOpen, ///< the file could not be opened; nothing stored
        ReadFailed, ///< reading stopped on an error; nothing kept
        BadFormat   ///< a malformed data line; nothing kept
    };
    Status status = Status::Loaded;
    std::string reason;                ///< the system's reason, for CannotOpen and ReadFailed
    std::int64_t lineNumber = 0;       ///< 1-based file line of the malformed line, for BadFormat
    LineFault fault = LineFault::None; ///< what is wrong with that line, for BadFormat
    std::string lineText;              ///< that line as ShownLineText gives it, for BadFormat

    /// Valid readings after the first empty line, where the data ends: not loaded.
    std::int32_t readingsAfterEnd = 0;
    std::int64_t firstLineAfterEnd = 0; ///< the file line of the first of them; 0 when none
    ReadingLines readingLines;
};

/// The first CR or LF in [p, end), or end.
const char *FindLineEnd(const char *p, const char *end);

/// Cuts a byte stream, fed in blocks, into lines, handed to `handler(line, overlong)`, which
/// returns false to stop: no further line is handed over. A line longer than `maxLineLength` is
/// handed over, cut to its first `maxLineLength` bytes with `overlong` set, as soon as it is known
/// to be too long; the rest of it is skipped without being held or handed over. So no more than
/// `maxLineLength` bytes are ever held, and a line that never ends costs no memory. The handler
/// is a template parameter so that the per-line call costs nothing.
template <typename LineHandler> class LineSplitter {
  public:
    LineSplitter(std::size_t maxLineLength, LineHandler handler)
        : maxLineLength_(maxLineLength), handler_(std::move(handler)) {
        pending_.reserve(maxLineLength_);
    }

    /// Feeds the next block; false once the handler has asked to stop.
    bool feed(std::string_view block) {
        const char *const end = block.data() + block.size();
        const char *p = block.data();
        if (afterCarriageReturn_ && p != end) {
            afterCarriageReturn_ = false;
            if (*p == '\n')
                ++p;
        }
        while (!stopped_ && p != end) {
            const char *const lineEnd = FindLineEnd(p, end);
            if (lineEnd == end) {
                hold({p, static_cast<std::size_t>(end - p)});
                break;
            }
            take({p, static_cast<std::size_t>(lineEnd - p)});
            p = lineEnd + 1;
            if (*lineEnd == '\r') {
                if (p == end)
                    afterCarriageReturn_ = true;
                else if (*p == '\n')
                    ++p;
            }
        }
        return !stopped_;
    }

    /// Hands over the last line when it had no terminator.
    void finish() {
        if (!skippingOverlong_ && !pending_.empty())
            emit(pending_, false);
        pending_.clear();
        skippingOverlong_ = false;
    }

  private:
    void emit(std::string_view line, bool overlong) {
        if (!stopped_ && !handler_(line, overlong))
            stopped_ = true;
    }

    // A line's start that continues in the next block.
    void hold(std::string_view piece) {
        if (skippingOverlong_)
            return;
        const std::size_t room = maxLineLength_ - pending_.size();
        if (piece.size() <= room) {
            pending_.append(piece);
            return;
        }
        // Too long already, whatever follows: hand it over now and skip the rest of it.
        pending_.append(piece.substr(0, room));
        emit(pending_, true);
        pending_.clear();
        skippingOverlong_ = true;
    }

    // A line's end, its terminator just found.
    void take(std::string_view piece) {
        if (skippingOverlong_) {
            skippingOverlong_ = false;
            return;
        }
        if (pending_.empty()) {
            const bool overlong = piece.size() > maxLineLength_;
            emit(overlong ? piece.substr(0, maxLineLength_) : piece, overlong);
            return;
        }
        const std::size_t room = maxLineLength_ - pending_.size();
        const bool overlong = piece.size() > room;
        pending_.append(piece.substr(0, room));
        emit(pending_, overlong);
        pending_.clear();
    }

    std::size_t maxLineLength_;
    LineHandler handler_;
    std::string pending_;              // capacity reserved once: holding never allocates
    bool skippingOverlong_ = false;    // inside a line already handed over as overlong
    bool afterCarriageReturn_ = false; // a LF right after a CR ends nothing
    bool stopped_ = false;
};

/// UTF-16 bytes, fed in blocks, as UTF-8 text. A unit or a surrogate pair cut between two blocks
/// waits for the next one; what is no UTF-16 (a lone surrogate, an odd last byte) becomes U+FFFD.
class Utf16Decoder {
  public:
    void setBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
    /// The UTF-8 text of `bytes` and of what waited; valid until the next call.
    std::string_view decode(std::string_view bytes);
    /// What still waits, after the last block.
    std::string_view finish();

  private:
    bool bigEndian_ = false;
    std::optional<char> oddByte_; // the first byte of a unit cut between blocks
    std::u16string units_;        // a high surrogate waiting for its pair, then the block's units
    std::string text_;
};

/// The measurement table's free entries, shared by the pieces of one file read at once: the first
/// piece fills the table from its start, the later one from its end downwards, each in room it
/// has claimed, so that neither needs to know how many readings the other holds.
class TableRoom {
  public:
    /// Entries 1 to `top` shared by `pieces` pieces; the later one fills them from `top` down.
    explicit TableRoom(std::int32_t pieces, std::int32_t top = MeasurementTableType::capacity())
        : unclaimed_(top), top_(top), busy_(pieces) {}
    std::int32_t top() const { return top_; }
    /// Up to `wanted` more entries. When none is free, waits for another piece to give some back
    /// or to wait too; 0 then means the table is full, and the piece stops.
    std::int32_t claim(std::int32_t wanted);
    /// A piece that stops for any other reason gives back what it claimed and left unused.
    void giveBack(std::int32_t unused);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int32_t unclaimed_;
    const std::int32_t top_;
    std::int32_t busy_; // pieces still reading and not waiting for room
};

/// Everything that ReadExport does once the file is open, fed block by block, so that bytes from
/// memory (tests, fuzzing) go through the very same steps as bytes from a file.
class ExportLoader {
  public:
    enum class Piece {
        Whole, ///< the whole file: a reading beyond the table's capacity refuses it
        First, ///< the file up to a line start: a full table only stops the piece
        Later  ///< the rest of the file, from that line start: no header, stored from the end
    };

    /// `tables` must outlive the loader; its separators are already set.
    explicit ExportLoader(ProgramTables &tables);
    /// A piece of a file read in pieces, claiming its entries from `room`, which must outlive it.
    ExportLoader(ProgramTables &tables, Piece piece, TableRoom &room);
    ExportLoader(const ExportLoader &) = delete;
    ExportLoader &operator=(const ExportLoader &) = delete;
    ~ExportLoader();

    /// False once reading may stop: a line was malformed, or a piece found the table full. After
    /// the first empty line, where the data ends, the rest is still read, to tell how many
    /// readings it holds.
    bool feed(std::string_view block) {
        return encoding_ == Encoding::Bytes ? splitter_.feed(block) : feedMarked(block);
    }
    /// After the last block: the outcome; for a whole file, with MeasurementCount set (0 unless
    /// Loaded). The line numbers of a Later piece count from its first line as line 2.
    ReadResult finish();

    /// What a piece leaves for joining it to the others.
    std::int32_t storedCount() const { return storedCount_; }
    std::int64_t linesRead() const { return lineNumber_; }
    bool stoppedForRoom() const { return stoppedForRoom_; }
    bool pastDataEnd() const { return afterEnd_; }

  private:
    struct LineTaker {
        ExportLoader *loader;
        bool operator()(std::string_view line, bool overlong) const {
            return loader->takeLine(line, overlong);
        }
    };

    enum class Encoding { Undecided, Bytes, Utf16 };

    bool feedMarked(std::string_view block);
    bool takeLine(std::string_view line, bool overlong);
    bool store(std::string_view line, const Measurement &reading);
    bool refuse(std::string_view line, LineFault fault);
    void noteLineAfterEnd(std::string_view line, bool overlong);
    void stopClaiming();

    ProgramTables &tables_;
    Piece piece_ = Piece::Whole;
    TableRoom ownRoom_{1};
    TableRoom &room_;
    std::int32_t roomLeft_ = 0; // claimed entries not yet filled
    bool claiming_ = true;      // not yet stopped, nor given back what is unused
    bool stoppedForRoom_ = false;
    std::int32_t nextIndex_ = 1; // where the next reading goes
    std::int32_t indexStep_ = 1; // -1 when filling from the end
    std::int32_t storedCount_ = 0;
    std::int64_t lineNumber_ = 0;
    ExportLineMemory lineMemory_;
    bool afterEnd_ = false; // past the first empty line: lines are only checked, never stored
    Encoding encoding_ = Encoding::Undecided;
    std::string firstBytes_; // held until they tell whether a byte-order mark opens the file
    Utf16Decoder utf16_;
    ReadResult result_;
    LineSplitter<LineTaker> splitter_;
};

/// Reads the export at `path` into `tables` (whose separators are already set) and sets
/// MeasurementCount. On any failure MeasurementCount is 0, so no partial load is ever used.
/// Character devices (a terminal, /dev/zero) are refused as CannotOpen: no export is one, and
/// some never end.
ReadResult ReadExport(const std::filesystem::path &path, ProgramTables &tables);

/// The same as ReadExport for an export already in memory, fed in blocks of `blockSize` bytes.
ReadResult ReadExportBytes(std::string_view bytes, ProgramTables &tables,
                           std::size_t blockSize = std::size_t{1} << 20);

/// Where the line after the one that holds byte `from` starts (a CR LF ends one line), or npos
/// when that line has no end.
std::size_t NextLineStart(std::string_view bytes, std::size_t from);

/// The same as ReadExportBytes, read in two pieces at once, cut at `cut`, a line start
/// (NextLineStart) after the header, the later piece filling the table from entry `laterTop`
/// down. UTF-16 files are for one piece only.
ReadResult ReadExportBytesInTwoPieces(std::string_view bytes, std::size_t cut,
                                      ProgramTables &tables,
                                      std::size_t blockSize = std::size_t{1} << 20,
                                      std::int32_t laterTop = MeasurementTableType::capacity());

} // namespace pelk
