#include "climate/export_reader.h"

#include "climate/locale_conversions.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

class ExportReaderTest : public ::testing::Test {
  protected:
    void SetUp() override { SetDecimalSeparators(*tables_, ','); }

    ReadResult Read(const std::string &bytes) {
        return ReadExport(scratch_.write("export.txt", bytes), *tables_);
    }

    std::string DateKey(std::int32_t i) const {
        return FormatDateKey(tables_->MeasurementTable.at(i).Timestamp);
    }

    testing::ScratchDir scratch_;
    std::unique_ptr<ProgramTables> tables_ = std::make_unique<ProgramTables>();
};

TEST_F(ExportReaderTest, every_line_end_ends_a_line) {
    for (const char *end : {"\r\n", "\r", "\n"}) {
        const std::string e = end;
        const ReadResult r = Read("Date\tValue" + e + "03/15/2008 14:30\t1,5" + e +
                                  "03/15/2008 14:40\t2" + e + "03/15/2008 14:50\t3");
        EXPECT_EQ(r.status, ReadResult::Status::Loaded);
        EXPECT_EQ(tables_->MeasurementCount, 3) << "line end " << int(end[0]);
        EXPECT_EQ(DateKey(3), "20080315145000");
        EXPECT_EQ(tables_->MeasurementTable.at(1).Value, 1.5f);
    }
}

TEST_F(ExportReaderTest, header_is_never_parsed_and_an_empty_line_ends_the_data) {
    const ReadResult r = Read("not a date at all\r\n03/15/2008 14:30\t1\r\n\t skipped\r\n"
                              "03/15/2008 14:40\t2\r\n\r\ngarbage after the end\r\n");
    EXPECT_EQ(r.status, ReadResult::Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 2);
    EXPECT_EQ(DateKey(2), "20080315144000");
}

TEST_F(ExportReaderTest, nothing_to_read) {
    for (const char *bytes : {"", "header only", "header\r\n", "header\r\n\r\n03/15/2008 14:30\t1",
                              "header\n\nx"}) {
        const ReadResult r = Read(bytes);
        EXPECT_EQ(r.status, ReadResult::Status::Loaded) << bytes;
        EXPECT_EQ(tables_->MeasurementCount, 0) << bytes;
    }
}

TEST_F(ExportReaderTest, blank_line_is_not_empty) {
    const ReadResult r = Read("h\r\n03/15/2008 14:30\t1\r\n   \r\n");
    EXPECT_EQ(r.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(r.lineNumber, 3);
    EXPECT_EQ(tables_->MeasurementCount, 0);
}

TEST_F(ExportReaderTest, a_malformed_line_voids_the_whole_load) {
    const ReadResult r = Read("h\n03/15/2008 14:30\t1\n03/15/2008 14:40;2\n03/15/2008 14:50\t3\n");
    EXPECT_EQ(r.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(r.lineNumber, 3);
    EXPECT_EQ(tables_->MeasurementCount, 0);
}

TEST_F(ExportReaderTest, files_that_cannot_be_opened) {
    EXPECT_EQ(ReadExport(scratch_.path() / "missing.txt", *tables_).status, ReadResult::Status::CannotOpen);
    const ReadResult r = ReadExport(scratch_.path(), *tables_);
    EXPECT_EQ(r.status, ReadResult::Status::CannotOpen);
    EXPECT_FALSE(r.reason.empty());
}

TEST_F(ExportReaderTest, a_million_readings_fit_and_one_more_does_not) {
    std::string bytes = "Date\tValeur\r\n";
    bytes.reserve(26'000'000);
    char line[64];
    for (int i = 0; i < 1'000'000; ++i) {
        const int minutes = i % 1440;
        const int day = 1 + i / 1440 % 28;
        const int month = 1 + i / (1440 * 28) % 12;
        std::snprintf(line, sizeof line, "%02d/%02d/2008 %02d:%02d\t%d,5\r\n", month, day,
                      minutes / 60, minutes % 60, i % 50 - 20);
        bytes += line;
    }
    // An empty first field uses no index.
    bytes += "\tskipped\r\n";
    ReadResult r = Read(bytes);
    EXPECT_EQ(r.status, ReadResult::Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 1'000'000);
    EXPECT_EQ(tables_->MeasurementTable.at(1'000'000).Value, 29.5f);

    bytes += "12/31/2008 23:59\t1\r\n";
    r = Read(bytes);
    EXPECT_EQ(r.status, ReadResult::Status::BadFormat);
    EXPECT_EQ(r.lineNumber, 1'000'003);
    EXPECT_EQ(tables_->MeasurementCount, 0);
}

TEST_F(ExportReaderTest, overlong_lines) {
    const std::string longHeader(3 << 20, 'h');
    EXPECT_EQ(Read(longHeader + "\n03/15/2008 14:30\t1\n").status, ReadResult::Status::Loaded);
    EXPECT_EQ(tables_->MeasurementCount, 1);
    const std::string longData = "03/15/2008 14:30\t1\t" + std::string(kMaxDataLineLength, 'x');
    EXPECT_EQ(Read("h\n" + longData + "\n").status, ReadResult::Status::BadFormat);
    const std::string longest = "03/15/2008 14:30\t1\t" + std::string(kMaxDataLineLength - 19, 'x');
    EXPECT_EQ(Read("h\n" + longest + "\n").status, ReadResult::Status::Loaded);
}

} // namespace
} // namespace pelk
