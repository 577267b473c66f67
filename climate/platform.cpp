// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/platform.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pelk::platform {

#ifdef _WIN32

void RefreshTimeZone() {
    ::_tzset();
}

bool LocalTime(std::time_t instant, std::tm &out) {
    return ::localtime_s(&out, &instant) == 0;
}

bool UtcTime(std::time_t instant, std::tm &out) {
    return ::gmtime_s(&out, &instant) == 0;
}

long ZoneOffsetSeconds(std::time_t instant) {
    std::tm local{};
    if (!LocalTime(instant, local))
        return 0;
    // The local clock's reading taken as UTC, less the instant: how far ahead the zone is.
    return static_cast<long>(::_mkgmtime(&local) - instant);
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

InputFile::InputFile(const std::filesystem::path &path)
    : fd_(::_wopen(path.c_str(), _O_RDONLY | _O_BINARY)) {}

InputFile::~InputFile() {
    if (fd_ >= 0)
        ::_close(fd_);
}

FileKind InputFile::kind() const {
    struct _stat64 info {};
    if (::_fstat64(fd_, &info) != 0)
        return FileKind::Other;
    if ((info.st_mode & _S_IFMT) == _S_IFDIR)
        return FileKind::Directory;
    if ((info.st_mode & _S_IFMT) == _S_IFCHR)
        return FileKind::CharacterDevice;
    return (info.st_mode & _S_IFMT) == _S_IFREG ? FileKind::Regular : FileKind::Other;
}

long long InputFile::size() const {
    struct _stat64 info {};
    if (::_fstat64(fd_, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)
        return -1;
    return static_cast<long long>(info.st_size);
}

long InputFile::read(char *buffer, std::size_t size) {
    return ::_read(fd_, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}

bool InputFile::seek(long long offset) {
    return ::_lseeki64(fd_, offset, SEEK_SET) >= 0;
}

void *AllocateAligned(std::size_t alignment, std::size_t bytes) {
    void *block = ::_aligned_malloc(bytes == 0 ? 1 : bytes, alignment);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void FreeAligned(void *block) noexcept {
    ::_aligned_free(block);
}

void *AllocateZeroedPages(std::size_t bytes) {
    void *block =
        ::VirtualAlloc(nullptr, bytes == 0 ? 1 : bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void FreeZeroedPages(void *block, std::size_t) noexcept {
    ::VirtualFree(block, 0, MEM_RELEASE);
}

void AdviseHugePages(void *, std::size_t) noexcept {}

#else

void RefreshTimeZone() {
    ::tzset();
}

bool LocalTime(std::time_t instant, std::tm &out) {
    return ::localtime_r(&instant, &out) != nullptr;
}

bool UtcTime(std::time_t instant, std::tm &out) {
    return ::gmtime_r(&instant, &out) != nullptr;
}

long ZoneOffsetSeconds(std::time_t instant) {
    std::tm local{};
    return LocalTime(instant, local) ? local.tm_gmtoff : 0;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8)); // file names are bytes here
}

InputFile::InputFile(const std::filesystem::path &path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    if (fd_ < 0)
        return;
    // Reading blocks again as usual.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        errno = error;
    }
}

InputFile::~InputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileKind InputFile::kind() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return FileKind::Other;
    if (S_ISDIR(info.st_mode))
        return FileKind::Directory;
    if (S_ISCHR(info.st_mode))
        return FileKind::CharacterDevice;
    return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other;
}

long long InputFile::size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<long long>(info.st_size);
}

long InputFile::read(char *buffer, std::size_t size) {
    return static_cast<long>(::read(fd_, buffer, size));
}

bool InputFile::seek(long long offset) {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

void *AllocateAligned(std::size_t alignment, std::size_t bytes) {
    const std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    void *block = std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
    if (block == nullptr)
        throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (alignment >= kHugePageBytes)
        ::madvise(block, rounded, MADV_HUGEPAGE); // advice only: plain pages do as well, if slower
#endif
    return block;
}

void FreeAligned(void *block) noexcept {
    std::free(block);
}

namespace {

// A large block is reserved in whole huge pages, its last one too, so that filling its end (where
// the later piece of a file goes) costs one page fault instead of hundreds.
std::size_t ReservedBytes(std::size_t bytes) {
    return bytes < 2 * kHugePageBytes
               ? bytes
               : (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

} // namespace

void *AllocateZeroedPages(std::size_t bytes) {
    if (bytes < 2 * kHugePageBytes) {
        void *block = ::mmap(nullptr, bytes == 0 ? 1 : bytes, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        return block;
    }
    // On a 2 MiB boundary and offered for huge pages: a million readings then cost a handful of
    // page faults instead of four thousand, the most of a load's time on virtual machines.
    const std::size_t reserved = ReservedBytes(bytes);
    const std::size_t mapped = reserved + kHugePageBytes;
    void *area =
        ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    if (aligned != start)
        ::munmap(area, aligned - start);
    const std::uintptr_t kept = aligned + reserved;
    const std::uintptr_t end = start + mapped;
    if (end > kept)
        ::munmap(reinterpret_cast<void *>(kept), end - kept);
    // Not the first huge page: a usual file fills a few hundred kilobytes, which plain pages hold
    // without taking 2 MiB. A large file asks for it too (AdviseHugePages) before filling it.
    AdviseHugePages(reinterpret_cast<void *>(aligned + kHugePageBytes), reserved - kHugePageBytes);
    return reinterpret_cast<void *>(aligned);
}

void AdviseHugePages(void *block, std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    ::madvise(block, bytes, MADV_HUGEPAGE); // advice only: plain pages do as well, if slower
#else
    (void)block;
    (void)bytes;
#endif
}

void FreeZeroedPages(void *block, std::size_t bytes) noexcept {
    ::munmap(block, bytes == 0 ? 1 : ReservedBytes(bytes));
}

#endif

} // namespace pelk::platform
