/// \file
/// Storage for the program's fixed tables: one block of value-initialised entries. A block of
/// several megabytes is aligned and, on Linux, offered to the kernel for 2 MiB pages, so that
/// filling a million readings costs a handful of page faults instead of four thousand (most of
/// the time of a whole load, on virtual machines above all). Nothing else changes: the entries
/// are there, zeroed, for the whole life of the table.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace pelk {

/// Raw storage of at least `bytes` bytes, aligned for any entry type; throws std::bad_alloc.
void *AllocateTableBlock(std::size_t bytes);
void FreeTableBlock(void *block) noexcept;

template <typename T> class TableStorageDeleter {
  public:
    explicit TableStorageDeleter(std::size_t count = 0) : count_(count) {}
    void operator()(T *items) const noexcept {
        std::destroy_n(items, count_);
        FreeTableBlock(items);
    }

  private:
    std::size_t count_;
};

template <typename T> using TableStorage = std::unique_ptr<T[], TableStorageDeleter<T>>;

/// `count` value-initialised entries.
template <typename T> TableStorage<T> AllocateTableStorage(std::size_t count) {
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
