// Files that no logger writes, through the whole load: each gives the rows or the bad-format
// end (or cannot be read), never a crash, a hang, unbounded memory or a partial table presented
// as complete.
#include "climate/load_pipeline.h"

#include "climate/daily_extremes.h"
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
#include <thread>

namespace pelk {
namespace {

using Status = ReadResult::Status;

// Peak resident memory of this process so far, in bytes.
std::int64_t PeakMemory() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

class HostileFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { SetDecimalSeparators(*tables_, ','); }

    ReadResult Load(const std::string &bytes) {
        return LoadExport(scratch_.write("export.txt", bytes), *tables_);
    }

    // Writes `count` copies of `piece` without ever holding them all.
    std::filesystem::path WriteRepeated(const std::string &prefix, const std::string &piece,
                                        std::size_t count, const std::string &suffix = {}) {
        const std::filesystem::path file = scratch_.path() / "big.txt";
        std::ofstream out(file, std::ios::binary);
        out << prefix;
        std::string chunk;
        for (int i = 0; i < 4096 / static_cast<int>(piece.size()) + 1; ++i)
            chunk += piece;
        const std::size_t perChunk = chunk.size() / piece.size();
        std::size_t written = 0;
        for (; written + perChunk <= count; written += perChunk)
            out << chunk;
        for (; written < count; ++written)
            out << piece;
        out << suffix;
        return file;
    }

    std::vector<std::vector<std::string>> Rows() const {
        std::vector<std::vector<std::string>> rows;
        for (std::int16_t i = 1; i <= tables_->DayCount; ++i) {
            const DayRow &row = tables_->DayTable.at(i);
            rows.push_back({row.DayLabel, row.Tn, row.Tx});
        }
        return rows;
    }

    // Nothing that a failed load left behind may look like a result.
    void ExpectNothingShown() const {
        EXPECT_EQ(tables_->MeasurementCount, 0);
        EXPECT_EQ(tables_->DayCount, 0);
    }

    testing::ScratchDir scratch_;
    std::unique_ptr<ProgramTables> tables_ = std::make_unique<ProgramTables>();
};

// First in the file, so that the peak memory of other tests cannot hide an increase.
TEST_F(HostileFilesTest, lines_without_end_are_read_in_bounded_memory) {
    constexpr std::size_t kSize = 24 << 20;
    const std::int64_t before = PeakMemory();
    struct Case {
        std::string prefix;
        std::string suffix;
        Status status;
        std::int64_t lineNumber;
    };
    const Case cases[] = {
        {"", "", Status::Loaded, 0},                    // one endless header line
        {"Date\tValeur\r\n", "", Status::BadFormat, 2}, // one endless data line
        {"Date\tValeur\r\n03/15/2008 14:30\t1\r\n", "\r\n03/15/2008 14:40\t2\r\n",
         Status::BadFormat, 3},
    };
    for (const Case &c : cases) {
        const auto file = WriteRepeated(c.prefix, "0123456789abcdef", kSize / 16, c.suffix);
        const ReadResult r = LoadExport(file, *tables_);
        EXPECT_EQ(r.status, c.status) << c.prefix.size();
        EXPECT_EQ(r.lineNumber, c.lineNumber);
        ExpectNothingShown();
    }
    // The reader holds one block and one line at most; the files are far larger.
    EXPECT_LT(PeakMemory() - before, std::int64_t{8} << 20);
}

TEST_F(HostileFilesTest, empty_and_header_only_files_load_nothing) {
    for (const char *bytes : {"", "Date\tValeur", "Date\tValeur\r\n", "\r\n", "\r\n\r\n"}) {
        const ReadResult r = Load(bytes);
        EXPECT_EQ(r.status, Status::Loaded) << bytes;
        ExpectNothingShown();
    }
}

TEST_F(HostileFilesTest, binary_data_is_a_bad_format) {
    std::string bytes = "Date\tValeur\r\n";
    for (int i = 0; i < 4000; ++i)
        bytes += static_cast<char>(i * 7919 % 256);
    const std::string cases[] = {
        bytes,
        std::string("Date\r\n\0\0\0\0", 10),
        std::string("Date\r\n03/15/2008 14:30\t1\0\r\n", 27),
        std::string("Date\r\n03/15/2008\0 14:30\t1\r\n", 27),
        std::string("\0\0\0\0\r\n\0\t\0", 9),
    };
    for (const std::string &file : cases) {
        EXPECT_EQ(Load(file).status, Status::BadFormat) << file.size();
        ExpectNothingShown();
    }
}

TEST_F(HostileFilesTest, utf16_text_is_a_bad_format) {
    const std::string text = "Date\tValeur\r\n03/15/2008 14:30\t12,5\r\n";
    std::string littleEndian = "\xFF\xFE";
    std::string bigEndian = "\xFE\xFF";
    for (const char c : text) {
        littleEndian += c;
        littleEndian += '\0';
        bigEndian += '\0';
        bigEndian += c;
    }
    for (const std::string &file : {littleEndian, bigEndian}) {
        EXPECT_EQ(Load(file).status, Status::BadFormat);
        ExpectNothingShown();
    }
}

TEST_F(HostileFilesTest, what_cannot_be_opened_or_read) {
    const auto file = scratch_.write("file.txt", "Date\r\n03/15/2008 14:30\t1\r\n");
    std::filesystem::create_symlink(scratch_.path() / "nowhere", scratch_.path() / "dangling");
    std::filesystem::create_symlink(scratch_.path() / "loop", scratch_.path() / "loop");
    const std::filesystem::path paths[] = {
        scratch_.path(),                          // a directory
        scratch_.path() / "missing.txt",          // nothing there
        file / "inside",                          // a file taken for a folder
        scratch_.path() / "dangling",             // a link to nothing
        scratch_.path() / "loop",                 // a link to itself
        scratch_.path() / std::string(5000, 'x'), // a name too long
        "/dev/zero",                              // a device that never ends
        "",                                       // no name at all (a cancelled dialog)
    };
    for (const auto &path : paths) {
        const ReadResult r = LoadExport(path, *tables_);
        EXPECT_EQ(r.status, Status::CannotOpen) << path;
        EXPECT_FALSE(r.reason.empty()) << path;
        ExpectNothingShown();
    }
}

TEST_F(HostileFilesTest, a_named_pipe_without_writer_reads_as_empty) {
    const auto fifo = scratch_.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] { return LoadExport(fifo, *tables_); });
    if (load.wait_for(std::chrono::seconds(60)) == std::future_status::timeout) {
        // Unblock the reader before failing, so that the test ends.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        ADD_FAILURE() << "reading a pipe without writer waits for one";
    }
    EXPECT_EQ(load.get().status, Status::Loaded);
    ExpectNothingShown();
}

TEST_F(HostileFilesTest, a_read_error_keeps_nothing) {
    // Opens as a regular file, but reading its start fails (address 0 is never mapped).
    if (!std::filesystem::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc here";
    const ReadResult r = LoadExport("/proc/self/mem", *tables_);
    EXPECT_EQ(r.status, Status::ReadFailed);
    EXPECT_FALSE(r.reason.empty());
    ExpectNothingShown();
}

TEST_F(HostileFilesTest, a_file_that_changes_while_read_ends_orderly) {
    // Another writer appends to the file or cuts it while it is read. Whatever the reader sees,
    // it ends with the readings it saw or with the bad-format end of a cut line; never a hang.
    const std::string line = "03/15/2008 14:30\t12,5\r\n";
    for (const bool grow : {true, false}) {
        const auto file = WriteRepeated("Date\tValeur\r\n", line, 400'000);
        std::atomic<bool> reading{true};
        std::thread writer([&] {
            if (grow) {
                std::ofstream out(file, std::ios::binary | std::ios::app);
                for (int i = 0; i < 200'000 && reading; ++i)
                    out << line << std::flush;
            } else {
                for (std::uintmax_t size = std::filesystem::file_size(file); size > 0 && reading;
                     size = size * 9 / 10)
                    std::filesystem::resize_file(file, size);
            }
        });
        const ReadResult r = LoadExport(file, *tables_);
        reading = false;
        writer.join();
        if (r.status == Status::Loaded) {
            for (std::int32_t i = 1; i <= tables_->MeasurementCount; ++i)
                ASSERT_EQ(tables_->MeasurementTable.at(i).Value, 12.5f) << i;
            EXPECT_EQ(tables_->DayCount, tables_->MeasurementCount == 0 ? 0 : 1);
        } else {
            EXPECT_EQ(r.status, Status::BadFormat) << (grow ? "growing" : "shrinking");
            ExpectNothingShown();
        }
        tables_ = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables_, ',');
    }
}

TEST_F(HostileFilesTest, bytes_arriving_in_any_pieces_load_alike) {
    // A pipe or a slow disk hands the bytes over in pieces of any size; a CR LF or a long line
    // cut between two pieces must not change the load.
    const std::string overlong(kMaxDataLineLength + 3, '9');
    struct Case {
        std::string bytes;
        Status status;
        std::int32_t readings;
    };
    const Case cases[] = {
        {"Date\r\n03/15/2008 14:30\t1,5\r\n03/15/2008 14:40\t2\r\r\n03/16/2008 14:40\t3\n\r\n",
         Status::Loaded, 2},
        {"Date\r03/15/2008 14:30\t1\r03/15/2008 14:40\t2.5", Status::Loaded, 2},
        {"Date\n\t\n03/15/2008 14:30:59\t 7 \tx\n\n03/15/2008 14:40\t2", Status::Loaded, 1},
        {"Date\r\n03/15/2008 14:30\t1\r\n" + overlong + "\r\n03/15/2008 14:40\t2\r\n",
         Status::BadFormat, 0},
        {overlong + overlong + "\r\n03/15/2008 14:30\t1", Status::Loaded, 1},
        {"Date\r\n03/15/2008 14:30\t1\r\n03/15/2008 14:40\t" +
             std::string(kMaxDataLineLength - 17, '0') + "\r\n",
         Status::Loaded, 2},
    };
    for (const auto &[bytes, status, readings] : cases) {
        auto whole = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*whole, ',');
        const ReadResult expected = ReadExportBytes(bytes, *whole, bytes.size());
        ASSERT_EQ(expected.status, status) << bytes.substr(0, 40);
        ASSERT_EQ(whole->MeasurementCount, readings) << bytes.substr(0, 40);
        for (std::size_t piece = 1; piece <= 40; ++piece) {
            SetDecimalSeparators(*tables_, ',');
            const ReadResult r = ReadExportBytes(bytes, *tables_, piece);
            ASSERT_EQ(r.status, expected.status) << "pieces of " << piece;
            ASSERT_EQ(r.lineNumber, expected.lineNumber) << "pieces of " << piece;
            ASSERT_EQ(tables_->MeasurementCount, whole->MeasurementCount) << "pieces of " << piece;
            for (std::int32_t i = 1; i <= whole->MeasurementCount; ++i) {
                ASSERT_EQ(tables_->MeasurementTable.at(i).Timestamp,
                          whole->MeasurementTable.at(i).Timestamp);
                ASSERT_EQ(tables_->MeasurementTable.at(i).Value,
                          whole->MeasurementTable.at(i).Value);
            }
        }
        // And a file read in its own blocks gives the same.
        const ReadResult fromFile = ReadExport(scratch_.write("pieces.txt", bytes), *tables_);
        EXPECT_EQ(fromFile.status, expected.status);
        EXPECT_EQ(tables_->MeasurementCount, whole->MeasurementCount);
    }
}

TEST_F(HostileFilesTest, a_million_readings_and_one_more) {
    std::string bytes = "Date\tValeur\r\n";
    bytes.reserve(26'000'000);
    char text[64];
    for (int i = 0; i < 1'000'000; ++i) {
        const int minutes = i % 1440;
        const int day = 1 + i / 1440 % 28;
        const int month = 1 + i / (1440 * 28) % 12;
        std::snprintf(text, sizeof text, "%02d/%02d/2008 %02d:%02d\t%d,5\r\n", month, day,
                      minutes / 60, minutes % 60, i % 50 - 20);
        bytes += text;
    }
    ReadResult r = Load(bytes);
    EXPECT_EQ(r.status, Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 1'000'000);
    // The readings run from January to December 2008 and back, so the last day comes first.
    EXPECT_GT(tables_->DayCount, 0);

    tables_ = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables_, ',');
    r = Load(bytes + "12/31/2008 23:59\t1\r\n");
    EXPECT_EQ(r.status, Status::BadFormat);
    EXPECT_EQ(r.lineNumber, 1'000'002);
    ExpectNothingShown();
}

TEST_F(HostileFilesTest, the_first_and_last_years_of_the_calendar) {
    struct Case {
        const char *bytes;
        std::vector<std::vector<std::string>> rows;
    };
    const Case cases[] = {
        {"h\r\n01/01/0001 00:00\t1,5\r\n", {{"0001-01-01", "1,5", "-100"}}},
        {"h\r\n12/31/9999 23:59\t-1,5\r\n", {{"9999-12-31", "100", "-1,5"}}},
        {"h\r\n01/01/0001 12:00\t1\r\n01/02/0001 12:00\t2\r\n",
         {{"0001-01-01", "1", "1"}, {"0001-01-02", "2", "2"}}},
    };
    for (const Case &c : cases) {
        tables_ = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables_, ',');
        EXPECT_EQ(Load(c.bytes).status, Status::Loaded) << c.bytes;
        EXPECT_EQ(Rows(), c.rows) << c.bytes;
    }
    // From year 1 to year 9999: the first 5000 days are listed.
    tables_ = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables_, ',');
    EXPECT_EQ(Load("h\r\n01/01/0001 12:00\t1\r\n12/31/9999 12:00\t2\r\n").status, Status::Loaded);
    ASSERT_EQ(tables_->DayCount, 5000);
    EXPECT_EQ(tables_->DayTable.at(5000).DayLabel, "0014-09-09");
    // Year 0 and year 10000 are no dates.
    for (const char *bytes : {"h\r\n01/01/0000 00:00\t1\r\n", "h\r\n01/01/10000 00:00\t1\r\n"}) {
        tables_ = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables_, ',');
        EXPECT_EQ(Load(bytes).status, Status::BadFormat) << bytes;
        ExpectNothingShown();
    }
}

TEST_F(HostileFilesTest, values_at_and_beyond_the_single_range) {
    const std::pair<const char *, const char *> loaded[] = {
        {"3.4028235e38", "3,402823E+38"},   // the largest single
        {"-3,4028235E38", "-3,402823E+38"}, // and its negative
        {"1.4e-45", "1,401298E-45"},        // the smallest above zero
        {"1e-40", "9,999946E-41"},          // below the normal range, kept as near as can be
        {"-0", "0"},
    };
    for (const auto &[value, text] : loaded) {
        tables_ = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables_, ',');
        const std::string bytes = std::string("h\r\n03/15/2008 12:00\t") + value + "\r\n";
        ASSERT_EQ(Load(bytes).status, Status::Loaded) << value;
        // 12:00 lies in both windows; the start values hide what is beyond them.
        const float stored = tables_->MeasurementTable.at(1).Value;
        EXPECT_EQ(Rows()[0][1], stored < 100 ? text : "100") << value;
        EXPECT_EQ(Rows()[0][2], stored > -100 ? text : "-100") << value;
    }
    for (const char *value : {"3.4028236e38", "1e39", "-1e39", "1e309", "7e-46", "1e-400", "inf",
                              "-inf", "nan", "1e", "0x1p3"}) {
        tables_ = std::make_unique<ProgramTables>();
        SetDecimalSeparators(*tables_, ',');
        const std::string bytes = std::string("h\r\n03/15/2008 12:00\t") + value + "\r\n";
        EXPECT_EQ(Load(bytes).status, Status::BadFormat) << value;
        ExpectNothingShown();
    }
}

} // namespace
} // namespace pelk
