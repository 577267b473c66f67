#include "climate/table_storage.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pelk {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void *AllocateTableBlock(std::size_t bytes) {
    if (bytes < 2 * kHugePage) {
        void *block = std::malloc(bytes == 0 ? 1 : bytes);
        if (block == nullptr)
            throw std::bad_alloc();
        return block;
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void *block = std::aligned_alloc(kHugePage, rounded);
    if (block == nullptr)
        throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::madvise(block, rounded, MADV_HUGEPAGE); // advice only: plain pages do as well, if slower
#endif
    return block;
}

void FreeTableBlock(void *block) noexcept {
    std::free(block);
}

} // namespace pelk
