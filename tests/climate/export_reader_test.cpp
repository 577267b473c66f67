#include "climate/export_reader.h"

#include "climate/locale_conversions.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <future>
#include <limits>
#include <thread>

namespace pelk {
namespace {

using Status = ReadResult::Status;

class ExportReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDecimalSeparators(*tables_, ',');
        SetDecimalSeparators(*pieces_, ',');
    }

    // `count` copies of `piece` after `prefix`, never held all at once.
    std::filesystem::path WriteRepeated(const std::string &prefix, const std::string &piece,
                                        std::size_t count) {
        const auto file = scratch_.write("big.txt", prefix);
        std::ofstream out(file, std::ios::binary | std::ios::app);
        for (std::size_t i = 0; i < count; ++i)
            out << piece;
        return file;
    }

    testing::ScratchDir scratch_;
    std::unique_ptr<ProgramTables> tables_ = std::make_unique<ProgramTables>();
    std::unique_ptr<ProgramTables> pieces_ = std::make_unique<ProgramTables>();
};

// First in the file, so that the peak memory of other tests cannot hide an increase.
TEST_F(ExportReaderTest, a_line_without_end_is_read_in_bounded_memory) {
    auto peakMemory = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
    };
    const std::int64_t before = peakMemory();
    // An endless header, then an endless data line, of 8 MiB each.
    for (const auto &[prefix, status] :
         {std::pair{"", Status::Loaded}, std::pair{"Date\r\n", Status::BadFormat}}) {
        const auto file = WriteRepeated(prefix, std::string(1 << 16, '7'), 128);
        EXPECT_EQ(ReadExport(file, *tables_).status, status);
        EXPECT_EQ(tables_->MeasurementCount, 0);
    }
    // One block and one line at most are held.
    EXPECT_LT(peakMemory() - before, std::int64_t{4} << 20);
}

TEST_F(ExportReaderTest, files_load_alike_from_disk_and_in_pieces_of_any_size) {
    struct Case {
        std::string bytes;
        Status status;
        std::int32_t count = 0;        // readings, when loaded
        std::int64_t badLine = 0;      // the malformed line, when refused
        const char *lastKey = nullptr; // the last reading's date-time, when checked
        float lastValue = 0;
    };
    auto lines = [](const std::string &end) {
        return "Date" + end + "03/15/2008 14:30\t1,5" + end + "03/15/2008 14:40\t2" + end +
               "03/15/2008 14:50\t3";
    };
    auto utf16 = [](bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : std::string("Date\tValeur\r\n03/15/2008 14:30\t12,5\r\n"))
            bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    const std::string filler(kMaxDataLineLength - 17, '0');
    std::vector<Case> cases = {
        {lines("\r\n"), Status::Loaded, 3, 0, "20080315145000", 3},
        {lines("\r"), Status::Loaded, 3, 0, "20080315145000", 3},
        {lines("\n"), Status::Loaded, 3, 0, "20080315145000", 3},
        // The header is never parsed, a line with an empty first field is skipped, an empty line
        // (CR CR LF holds one) ends the data.
        {"03/15/2008 14:30\tx\r\n03/15/2008 14:30\t1\r\n\t skipped\r\n03/15/2008 14:40\t2\r\n\r\nx",
         Status::Loaded, 2, 0, "20080315144000", 2},
        {"Date\r\n03/15/2008 14:30\t1\r\r\n03/15/2008 14:40\t2\r\n", Status::Loaded, 1},
        {"Date\n\t\n03/15/2008 14:30:59\t 7 \tx\n\n03/15/2008 14:40\t2", Status::Loaded, 1, 0,
         "20080315143000", 7},
        {"", Status::Loaded},
        {"Date\tValeur", Status::Loaded},
        {"\r\n\r\n", Status::Loaded},
        {"Date\r\n\r\n03/15/2008 14:30\t1", Status::Loaded},
        // A blank line is not empty; one malformed line voids the whole load.
        {"h\r\n03/15/2008 14:30\t1\r\n   \r\n", Status::BadFormat, 0, 3},
        {"h\n03/15/2008 14:30\t1\n03/15/2008 14:40;2\n03/15/2008 14:50\t3\n", Status::BadFormat, 0,
         3},
        {std::string("Date\r\n\0\0\0\0", 10), Status::BadFormat, 0, 2},
        {std::string("Date\r\n03/15/2008 14:30\t1\0\r\n", 27), Status::BadFormat, 0, 2},
        {std::string("Date\r\n03/15/2008\0 14:30\t1\r\n", 27), Status::BadFormat, 0, 2},
        {utf16(false), Status::BadFormat, 0, 2},
        {utf16(true), Status::BadFormat, 0, 2},
        {"h\r\n01/01/0001 00:00\t1\r\n", Status::Loaded, 1, 0, "00010101000000", 1},
        {"h\r\n12/31/9999 23:59\t-1,5\r\n", Status::Loaded, 1, 0, "99991231235900", -1.5f},
        {"h\r\n01/01/0000 00:00\t1\r\n", Status::BadFormat, 0, 2},
        {"h\r\n01/01/10000 00:00\t1\r\n", Status::BadFormat, 0, 2},
        // The longest data line loads and one byte more is refused; a long header is no matter.
        {"h\r\n03/15/2008 14:30\t" + filler + "\r\n", Status::Loaded, 1, 0, "20080315143000", 0},
        {"h\r\n03/15/2008 14:30\t" + filler + "0\r\n03/15/2008 14:40\t2", Status::BadFormat, 0, 2},
        {std::string(2 * kMaxDataLineLength + 7, 'h') + "\r\n03/15/2008 14:30\t1", Status::Loaded,
         1},
    };
    std::string binary = "Date\tValeur\r\n";
    for (int i = 0; i < 4000; ++i)
        binary += static_cast<char>(i * 7919 % 256);
    cases.push_back({binary, Status::BadFormat, 0, 2});
    constexpr float kMax = std::numeric_limits<float>::max();
    const std::pair<const char *, float> kInRange[] = {
        {"3.4028235e38", kMax},
        {"-3,4028235E38", -kMax},
        {"-0", -0.0f},
        {"1e-40", 1e-40f},
        {"1.4e-45", std::numeric_limits<float>::denorm_min()}};
    for (const auto &[text, value] : kInRange)
        cases.push_back({"h\r\n03/15/2008 12:00\t" + std::string(text), Status::Loaded, 1, 0,
                         "20080315120000", value});
    for (const char *text : {"3.4028236e38", "1e39", "-1e39", "1e309", "7e-46", "1e-400", "inf",
                             "-inf", "nan", "0x1p3"})
        cases.push_back({"h\r\n03/15/2008 12:00\t" + std::string(text), Status::BadFormat, 0, 2});

    for (const Case &c : cases) {
        const std::string shown = ::testing::PrintToString(c.bytes.substr(0, 60));
        const ReadResult r = ReadExport(scratch_.write("export.txt", c.bytes), *tables_);
        EXPECT_EQ(r.status, c.status) << shown;
        EXPECT_EQ(tables_->MeasurementCount, c.count) << shown;
        EXPECT_EQ(r.lineNumber, c.badLine) << shown;
        if (c.lastKey != nullptr && tables_->MeasurementCount == c.count) {
            const Measurement &last = tables_->MeasurementTable.at(c.count);
            EXPECT_EQ(FormatDateKey(last.Timestamp), c.lastKey) << shown;
            EXPECT_EQ(last.Value, c.lastValue) << shown;
        }
        // A pipe or a slow disk hands bytes over in pieces; a CR LF or a long line cut between
        // two of them must change nothing.
        for (std::size_t piece = 1; piece <= 24; ++piece) {
            const ReadResult p = ReadExportBytes(c.bytes, *pieces_, piece);
            ASSERT_EQ(p.status, r.status) << shown << " in pieces of " << piece;
            ASSERT_EQ(p.lineNumber, r.lineNumber) << shown << " in pieces of " << piece;
            ASSERT_EQ(pieces_->MeasurementCount, tables_->MeasurementCount) << shown;
            for (std::int32_t i = 1; i <= tables_->MeasurementCount; ++i) {
                ASSERT_EQ(pieces_->MeasurementTable.at(i).Timestamp,
                          tables_->MeasurementTable.at(i).Timestamp);
                ASSERT_EQ(pieces_->MeasurementTable.at(i).Value,
                          tables_->MeasurementTable.at(i).Value);
            }
        }
    }
}

TEST_F(ExportReaderTest, a_million_readings_fit_and_one_more_does_not) {
    std::string bytes = "Date\tValeur\r\n";
    char line[64];
    for (int i = 0; i < 1'000'000; ++i) {
        std::snprintf(line, sizeof line, "%02d/%02d/2008 %02d:%02d\t%d,5\r\n", 1 + i / 40320 % 12,
                      1 + i / 1440 % 28, i % 1440 / 60, i % 60, i % 50 - 20);
        bytes += line;
    }
    bytes += "\tskipped\r\n"; // uses no index
    EXPECT_EQ(ReadExportBytes(bytes, *tables_).status, Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 1'000'000);
    EXPECT_EQ(tables_->MeasurementTable.at(1'000'000).Value, 29.5f);
    const ReadResult r = ReadExportBytes(bytes + "12/31/2008 23:59\t1\r\n", *tables_);
    EXPECT_EQ(r.status, Status::BadFormat);
    EXPECT_EQ(r.lineNumber, 1'000'003);
    EXPECT_EQ(tables_->MeasurementCount, 0);
}

TEST_F(ExportReaderTest, what_cannot_be_opened_or_read) {
    const std::filesystem::path dir = scratch_.path();
    const auto file = scratch_.write("file.txt", "Date\r\n03/15/2008 14:30\t1\r\n");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    std::filesystem::create_symlink(dir / "loop", dir / "loop");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::pair<std::filesystem::path, Status> cases[] = {
        {dir, Status::CannotOpen},
        {dir / "missing.txt", Status::CannotOpen},
        {file / "inside", Status::CannotOpen},
        {dir / "dangling", Status::CannotOpen},
        {dir / "loop", Status::CannotOpen},
        {dir / std::string(5000, 'x'), Status::CannotOpen},
        {"/dev/zero", Status::CannotOpen},      // a device that never ends
        {"", Status::CannotOpen},               // a cancelled dialog
        {"/proc/self/mem", Status::ReadFailed}, // opens, but address 0 cannot be read
        {dir / "pipe", Status::Loaded},         // a pipe without writer reads as empty
    };
    for (const auto &[path, status] : cases) {
        // In the background, so that a read waiting for ever fails the test instead of hanging it.
        auto load = std::async(std::launch::async,
                               [&tables = *tables_, &path] { return ReadExport(path, tables); });
        if (load.wait_for(std::chrono::seconds(60)) == std::future_status::timeout) {
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK)); // a writer lets it go
            ADD_FAILURE() << path << " waits";
        }
        const ReadResult r = load.get();
        EXPECT_EQ(r.status, status) << path;
        EXPECT_EQ(r.reason.empty(), status == Status::Loaded) << path;
        EXPECT_EQ(tables_->MeasurementCount, 0) << path;
    }
}

TEST_F(ExportReaderTest, a_file_that_changes_while_read_ends_orderly) {
    // Another program appends to the file or cuts it while it is read: the load ends, with the
    // readings it saw or with the bad-format end of a cut line, never hangs or keeps a part.
    const std::string line = "03/15/2008 14:30\t12,5\r\n";
    for (const bool grow : {true, false}) {
        const auto file = WriteRepeated("Date\tValeur\r\n", line, 400'000);
        std::atomic<bool> reading{true};
        std::thread writer([&] {
            std::ofstream out(file, std::ios::binary | std::ios::app);
            for (int i = 0; grow && reading && i < 200'000; ++i)
                out << line << std::flush;
            for (auto size = std::filesystem::file_size(file); !grow && reading && size > 0;
                 size = size * 9 / 10)
                std::filesystem::resize_file(file, size);
        });
        const ReadResult r = ReadExport(file, *tables_);
        reading = false;
        writer.join();
        EXPECT_TRUE(r.status == Status::Loaded || r.status == Status::BadFormat) << grow;
        EXPECT_TRUE(r.status == Status::Loaded || tables_->MeasurementCount == 0) << grow;
        for (std::int32_t i = 1; i <= tables_->MeasurementCount; ++i)
            ASSERT_EQ(tables_->MeasurementTable.at(i).Value, 12.5f) << i;
    }
}

} // namespace
} // namespace pelk
