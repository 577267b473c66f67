// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Storage for the program's fixed tables: one block of value-initialised entries. Entries whose
/// zero bytes are their value-initialised state (the readings) come from zeroed pages that the
/// system backs only when first written, so that a table of a million readings costs what a file
/// fills of it, not its capacity. Others (the day rows, which hold texts) are constructed in a
/// block that is aligned and, when large, offered for huge pages. Either way the entries are there,
/// value-initialised, for the whole life of the table.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

namespace pelk {

/// Raw storage of at least `bytes` bytes, aligned for any entry type; throws std::bad_alloc.
void *AllocateTableBlock(std::size_t bytes);
void FreeTableBlock(void *block) noexcept;

/// Zeroed storage whose pages are backed when first written; page aligned.
void *AllocateZeroedTableBlock(std::size_t bytes);
void FreeZeroedTableBlock(void *block, std::size_t bytes) noexcept;
/// The first `bytes` of such a block will be filled soon: large stretches get huge pages.
void PrepareZeroedTableBlock(void *block, std::size_t bytes) noexcept;

/// A large block allocated elsewhere (a vector's storage) that is about to be filled: the whole
/// huge pages inside it are offered for huge pages, so that filling it costs a handful of page
/// faults instead of one per 4 KiB.
void PrepareLargeBlock(void *block, std::size_t bytes) noexcept;

struct TableBlockDeleter {
    void operator()(char *block) const noexcept { FreeTableBlock(block); }
};
/// Bytes that are not zeroed first (a read fills them), a large block on huge pages.
using LargeBytes = std::unique_ptr<char[], TableBlockDeleter>;
inline LargeBytes AllocateLargeBytes(std::size_t bytes) {
    return LargeBytes(static_cast<char *>(AllocateTableBlock(bytes)));
}

/// Whether zero bytes are a value-initialised T that needs no constructing or destroying.
template <typename T>
inline constexpr bool kZeroBytesAreValueInitialised =
    std::is_trivially_copyable_v<T> &&std::is_trivially_destructible_v<T> &&std::is_aggregate_v<T>;

template <typename T> class TableStorageDeleter {
  public:
    explicit TableStorageDeleter(std::size_t count = 0) : count_(count) {}
    void operator()(T *items) const noexcept {
        if constexpr (kZeroBytesAreValueInitialised<T>) {
            FreeZeroedTableBlock(items, count_ * sizeof(T));
        } else {
            std::destroy_n(items, count_);
            FreeTableBlock(items);
        }
    }

  private:
    std::size_t count_;
};

template <typename T> using TableStorage = std::unique_ptr<T[], TableStorageDeleter<T>>;

/// `count` value-initialised entries.
template <typename T> TableStorage<T> AllocateTableStorage(std::size_t count) {
    if constexpr (kZeroBytesAreValueInitialised<T>) {
        // An aggregate of numbers begins its life in storage the system hands out zeroed.
        return TableStorage<T>(static_cast<T *>(AllocateZeroedTableBlock(count * sizeof(T))),
                               TableStorageDeleter<T>(count));
    }
    void *block = AllocateTableBlock(count * sizeof(T));
    T *items = static_cast<T *>(block);
    try {
        std::uninitialized_value_construct_n(items, count);
    } catch (...) {
        FreeTableBlock(block);
        throw;
    }
    return TableStorage<T>(items, TableStorageDeleter<T>(count));
}

} // namespace pelk
