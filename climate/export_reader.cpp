#include "climate/export_reader.h"

#include "climate/export_parser.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace pelk {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

std::string SystemReason(int error) { return std::strerror(error); }

} // namespace

LineSplitter::LineSplitter(std::size_t maxLineLength, LineHandler handler)
    : maxLineLength_(maxLineLength), handler_(std::move(handler)) {}

bool LineSplitter::emit(std::string_view line, bool overlong) {
    if (!stopped_ && !handler_(line, overlong))
        stopped_ = true;
    return !stopped_;
}

bool LineSplitter::feed(std::string_view block) {
    std::size_t pos = 0;
    if (afterCarriageReturn_ && !block.empty()) {
        afterCarriageReturn_ = false;
        if (block[0] == '\n')
            pos = 1;
    }
    while (!stopped_ && pos < block.size()) {
        const std::size_t end = block.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            const std::string_view tail = block.substr(pos);
            const std::size_t room = maxLineLength_ - std::min(maxLineLength_, pending_.size());
            pending_.append(tail.substr(0, room));
            pendingOverlong_ = pendingOverlong_ || tail.size() > room;
            return true;
        }
        std::string_view line = block.substr(pos, end - pos);
        bool overlong = line.size() > maxLineLength_;
        if (!pending_.empty() || pendingOverlong_) {
            const std::size_t room = maxLineLength_ - std::min(maxLineLength_, pending_.size());
            pending_.append(line.substr(0, room));
            overlong = pendingOverlong_ || line.size() > room;
            line = pending_;
        } else if (overlong) {
            line = line.substr(0, maxLineLength_);
        }
        emit(line, overlong);
        pending_.clear();
        pendingOverlong_ = false;
        pos = end + 1;
        if (block[end] == '\r') {
            if (pos < block.size()) {
                if (block[pos] == '\n')
                    ++pos;
            } else {
                afterCarriageReturn_ = true;
            }
        }
    }
    return !stopped_;
}

void LineSplitter::finish() {
    if (!pending_.empty() || pendingOverlong_)
        emit(pending_, pendingOverlong_);
    pending_.clear();
    pendingOverlong_ = false;
}

ReadResult ReadExport(const std::filesystem::path &path, ProgramTables &tables) {
    tables.MeasurementCount = 0;
    ReadResult result;
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return {ReadResult::Status::CannotOpen, SystemReason(errno), 0};
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && S_ISDIR(info.st_mode))
        return {ReadResult::Status::CannotOpen, SystemReason(EISDIR), 0};

    std::int32_t nextMeasurementIndex = 1;
    std::int64_t lineNumber = 0;
    LineSplitter splitter(kMaxDataLineLength, [&](std::string_view line, bool overlong) {
        ++lineNumber;
        if (lineNumber == 1)
            return true; // the column header, never parsed
        if (line.empty() && !overlong)
            return false; // an empty line ends the data
        if (overlong || StoreExportLine(line, nextMeasurementIndex, tables) == LineOutcome::Malformed) {
            result = {ReadResult::Status::BadFormat, {}, lineNumber};
            return false;
        }
        return true;
    });

    const auto block = std::make_unique<char[]>(kBlockSize);
    for (;;) {
        const ssize_t count = ::read(file.get(), block.get(), kBlockSize);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return {ReadResult::Status::ReadFailed, SystemReason(errno), lineNumber};
        }
        if (count == 0) {
            splitter.finish();
            break;
        }
        if (!splitter.feed({block.get(), static_cast<std::size_t>(count)}))
            break;
    }
    if (result.status == ReadResult::Status::Loaded)
        tables.MeasurementCount = nextMeasurementIndex - 1;
    return result;
}

} // namespace pelk
