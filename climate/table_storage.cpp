// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/table_storage.h"

#include "climate/platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pelk {
void *AllocateTableBlock(std::size_t bytes) {
    // Small blocks as any allocation; large ones on huge-page boundaries, offered for them.
    return platform::AllocateAligned(
        bytes < 2 * platform::kHugePageBytes ? alignof(std::max_align_t) : platform::kHugePageBytes,
        bytes);
}

void FreeTableBlock(void *block) noexcept {
    platform::FreeAligned(block);
}

void *AllocateZeroedTableBlock(std::size_t bytes) {
    return platform::AllocateZeroedPages(bytes);
}

void FreeZeroedTableBlock(void *block, std::size_t bytes) noexcept {
    platform::FreeZeroedPages(block, bytes);
}

void PrepareZeroedTableBlock(void *block, std::size_t bytes) noexcept {
    // Worth it from a megabyte on: the first huge page then costs one fault instead of 512.
    if (bytes >= (std::size_t{1} << 20))
        platform::AdviseHugePages(block, std::min(bytes, platform::kHugePageBytes));
}

void PrepareLargeBlock(void *block, std::size_t bytes) noexcept {
    if (bytes < 2 * platform::kHugePageBytes)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + platform::kHugePageBytes - 1) / platform::kHugePageBytes *
                                 platform::kHugePageBytes;
    const std::uintptr_t last =
        (start + bytes) / platform::kHugePageBytes * platform::kHugePageBytes;
    if (last > first)
        platform::AdviseHugePages(reinterpret_cast<void *>(first), last - first);
}

} // namespace pelk
