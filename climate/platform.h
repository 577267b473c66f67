// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The few calls the core makes to the operating system, each in one function so that the core
/// builds on Linux and on Windows alike: the clock's zone, file input with paths in any script,
/// and aligned memory. Everything else in climate/ is plain standard C++.
#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <string_view>

namespace pelk::platform {

/// Reads the zone from TZ again (or from the system, without TZ).
void RefreshTimeZone();
/// The local and the universal broken-down time of `instant`; false when it has none.
bool LocalTime(std::time_t instant, std::tm &out);
bool UtcTime(std::time_t instant, std::tm &out);
/// Seconds the local zone is ahead of UTC at `instant`.
long ZoneOffsetSeconds(std::time_t instant);

/// A path from UTF-8 text, whatever the system's own encoding of file names.
std::filesystem::path PathFromUtf8(std::string_view utf8);

enum class FileKind { Regular, Directory, CharacterDevice, Other };

/// A file opened for reading, closed when it goes. Never blocks at the opening, so that a named
/// pipe without a writer reads as empty instead of waiting for ever.
class InputFile {
  public:
    /// On failure, isOpen() is false and errno tells why.
    explicit InputFile(const std::filesystem::path &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    bool isOpen() const { return fd_ >= 0; }
    FileKind kind() const;
    /// Bytes in the file, when it is a regular one; -1 otherwise.
    long long size() const;
    /// Up to `size` bytes; 0 at the end, -1 on an error (errno tells which; EINTR: try again).
    long read(char *buffer, std::size_t size);
    /// Goes on reading from byte `offset`; false on an error (errno tells which).
    bool seek(long long offset);

  private:
    int fd_ = -1;
};

/// The size of a huge page, where the system has them.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

/// `bytes` of storage aligned to `alignment` (a power of two), and its release; large blocks are
/// offered to the system for huge pages where it has them.
void *AllocateAligned(std::size_t alignment, std::size_t bytes);
void FreeAligned(void *block) noexcept;

/// `bytes` of zeroed storage straight from the system, which gives each page its memory only when
/// it is first touched: a large table costs what is filled, not its capacity. Page aligned.
void *AllocateZeroedPages(std::size_t bytes);
void FreeZeroedPages(void *block, std::size_t bytes) noexcept;
/// Asks for huge pages for [block, block + bytes) of such storage, where the system has them.
void AdviseHugePages(void *block, std::size_t bytes) noexcept;

} // namespace pelk::platform
