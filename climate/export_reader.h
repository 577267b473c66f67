/// \file
/// Reading a whole export file into the measurement table: the header line is dropped, every
/// following line up to the first empty one goes to the line parser. Lines end at CR, CR LF or LF.
/// The file is read in large blocks and no line is copied; memory stays bounded whatever the file
/// holds, because a line longer than any real export line is refused rather than gathered.
#pragma once

#include "climate/tables.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pelk {

/// Longest data line accepted; real lines are a few dozen bytes.
inline constexpr std::size_t kMaxDataLineLength = 4096;

struct ReadResult {
    enum class Status {
        Loaded,     ///< MeasurementCount holds the number of readings stored (maybe 0)
        CannotOpen, ///< the file could not be opened; nothing stored
        ReadFailed, ///< reading stopped on an error; nothing kept
        BadFormat   ///< a malformed data line; nothing kept
    };
    Status status = Status::Loaded;
    std::string reason;            ///< the system's reason, for CannotOpen and ReadFailed
    std::int64_t lineNumber = 0;   ///< 1-based file line of the malformed line, for BadFormat
};

/// Cuts a byte stream, fed in blocks, into lines. A line longer than `maxLineLength` is handed over
/// cut to its first `maxLineLength` bytes with `overlong` set, so no more than that is ever held.
class LineSplitter {
  public:
    /// Returns false to stop: no further line is handed over.
    using LineHandler = std::function<bool(std::string_view line, bool overlong)>;

    LineSplitter(std::size_t maxLineLength, LineHandler handler);

    /// Feeds the next block; false once the handler has asked to stop.
    bool feed(std::string_view block);
    /// Hands over the last line when it had no terminator.
    void finish();

  private:
    bool emit(std::string_view line, bool overlong);

    std::size_t maxLineLength_;
    LineHandler handler_;
    std::string pending_; // start of a line that continues in the next block
    bool pendingOverlong_ = false;
    bool afterCarriageReturn_ = false; // a LF right after a CR ends nothing
    bool stopped_ = false;
};

/// Reads the export at `path` into `tables` (whose separators are already set) and sets
/// MeasurementCount. On any failure MeasurementCount is 0, so no partial load is ever used.
ReadResult ReadExport(const std::filesystem::path &path, ProgramTables &tables);

} // namespace pelk
