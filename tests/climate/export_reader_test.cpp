// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/export_reader.h"

#include "climate/locale_conversions.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <tuple>

namespace pelk {
namespace {

using Status = ReadResult::Status;

// A load in a few words: "none", "2, last 20080315145000 = 3" or "bad line 3".
std::string Outcome(const ReadResult &r, const ProgramTables &tables) {
    const std::int32_t count = tables.MeasurementCount;
    if (r.status != Status::Loaded)
        return "bad line " + std::to_string(r.lineNumber) + (count != 0 ? ", readings kept" : "");
    if (count == 0)
        return "none";
    const Measurement &last = tables.MeasurementTable.at(count);
    return std::to_string(count) + ", last " + FormatDateKey(last.Timestamp) + " = " +
           NumberToText(last.Value, ',');
}

// Two readings of the same bytes tell the same in every respect.
::testing::AssertionResult SameReading(const ReadResult &a, const ProgramTables &aTables,
                                       const ReadResult &b, const ProgramTables &bTables) {
    auto told = [](const ReadResult &r, const ProgramTables &t) {
        return std::tuple(r.status, r.lineNumber, r.fault, r.lineText, r.readingsAfterEnd,
                          r.firstLineAfterEnd, t.MeasurementCount);
    };
    if (told(a, aTables) != told(b, bTables))
        return ::testing::AssertionFailure()
               << "line " << a.lineNumber << " against " << b.lineNumber << ", "
               << aTables.MeasurementCount << " readings against " << bTables.MeasurementCount;
    for (std::int32_t i = 1; i <= aTables.MeasurementCount; ++i) {
        const Measurement &x = aTables.MeasurementTable.at(i), &y = bTables.MeasurementTable.at(i);
        if (x.Timestamp != y.Timestamp ||
            std::bit_cast<std::uint32_t>(x.Value) != std::bit_cast<std::uint32_t>(y.Value) ||
            a.readingLines.lineOf(i) != b.readingLines.lineOf(i))
            return ::testing::AssertionFailure() << "reading " << i << " differs";
    }
    return ::testing::AssertionSuccess();
}

std::unique_ptr<ProgramTables> CommaTables() {
    auto tables = std::make_unique<ProgramTables>();
    SetDecimalSeparators(*tables, ',');
    return tables;
}

class ExportReaderTest : public ::testing::Test {
  protected:
    testing::ScratchDir scratch_;
    std::unique_ptr<ProgramTables> tables_ = CommaTables();
    std::unique_ptr<ProgramTables> pieces_ = CommaTables();
};

// First in the file, so that the peak memory of other tests cannot hide an increase.
TEST_F(ExportReaderTest, a_line_without_end_is_read_in_bounded_memory) {
    auto peakMemory = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
    };
    const std::string chunk(1 << 16, '7');
    const std::int64_t before = peakMemory();
    // An endless header, then an endless data line, of 8 MiB each.
    for (const auto &[prefix, status] :
         {std::pair{"", Status::Loaded}, std::pair{"Date\r\n", Status::BadFormat}}) {
        const auto file = scratch_.write("endless.txt", prefix);
        std::ofstream out(file, std::ios::binary | std::ios::app);
        for (int i = 0; i < 128; ++i)
            out << chunk << std::flush;
        EXPECT_EQ(ReadExport(file, *tables_).status, status);
        EXPECT_EQ(tables_->MeasurementCount, 0);
    }
    // One block and one line at most are held.
    EXPECT_LT(peakMemory() - before, std::int64_t{4} << 20);
}

// A text in UTF-16 with its byte-order mark.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// The same text as UTF-8 and as UTF-16: `u8"" TEXT` and `u"" TEXT` are one literal's two forms.
#define TWINS(text, outcome)                                                                       \
    {reinterpret_cast<const char *>(u8"" text)}, Utf16Bytes(u"" text, false),                      \
        Utf16Bytes(u"" text, true), outcome

TEST_F(ExportReaderTest, files_load_alike_from_disk_and_in_pieces_of_any_size) {
    const std::string filler(kMaxDataLineLength - 17, '0');
    std::vector<std::pair<std::string, std::string>> cases = {
        // The header is never parsed, a line with an empty first field is skipped, an empty line
        // (CR CR LF holds one) ends the data.
        {"03/15/2008 14:30\tx\r\n03/15/2008 14:30\t1\r\n\t x\r\n03/15/2008 14:40\t2\r\n\r\nx",
         "2, last 20080315144000 = 2"},
        {"Date\r\n03/15/2008 14:30\t1\r\r\n03/15/2008 14:40\t2\r\n", "1, last 20080315143000 = 1"},
        {"Date\n\t\n03/15/2008 14:30:59\t 7 \tx\n\n03/15/2008 14:40\t2",
         "1, last 20080315143000 = 7"},
        {"\r\n03/15/2008 14:30\t1", "1, last 20080315143000 = 1"}, // an empty header is one
        {"", "none"},
        {"Date\tValeur", "none"},
        {"Date\r\n\r\n03/15/2008 14:30\t1", "none"},
        // A blank line is not empty; one malformed line voids the whole load.
        {"h\r\n03/15/2008 14:30\t1\r\n   \r\n", "bad line 3"},
        {"h\n03/15/2008 14:30\t1\n03/15/2008 14:40;2\n03/15/2008 14:50\t3\n", "bad line 3"},
        {std::string("Date\r\n\0\0\0\0", 10), "bad line 2"},
        {std::string("Date\r\n03/15/2008 14:30\t1\0\r\n", 27), "bad line 2"},
        {std::string("Date\r\n03/15/2008\0 14:30\t1\r\n", 27), "bad line 2"},
        {"h\r\n01/01/0001 00:00\t1\r\n", "1, last 00010101000000 = 1"},
        {"h\r\n12/31/9999 23:59\t-1,5\r\n", "1, last 99991231235900 = -1,5"},
        {"h\r\n01/01/0000 00:00\t1\r\n", "bad line 2"},
        {"h\r\n01/01/10000 00:00\t1\r\n", "bad line 2"},
        // The longest data line loads and one byte more is refused; a long header is no matter.
        {"h\r\n03/15/2008 14:30\t" + filler + "\r\n", "1, last 20080315143000 = 0"},
        {"h\r\n03/15/2008 14:30\t" + filler + "0\r\n03/15/2008 14:40\t2", "bad line 2"},
        {std::string(2 * kMaxDataLineLength + 7, 'h') + "\r\n03/15/2008 14:30\t1",
         "1, last 20080315143000 = 1"},
    };
    for (const std::string end : {"\r\n", "\r", "\n"})
        cases.emplace_back("Date" + end + "03/15/2008 14:30\t1,5" + end + "03/15/2008 14:50\t3" +
                               end,
                           "2, last 20080315145000 = 3");
    // A UTF-8 byte-order mark is part of the header; a file too short to hold a UTF-16 one.
    cases.emplace_back("\xEF\xBB\xBF"
                       "Date\r\n03/15/2008 14:30\t1",
                       "1, last 20080315143000 = 1");
    cases.emplace_back("\xFF", "none");
    // UTF-16 files in either byte order load as their UTF-8 twin.
    const std::tuple<std::string, std::string, std::string, std::string> twins[] = {
        {TWINS("Date\tTempérature 🌡\r\n03/15/2008 14:30\t12,5\r\n3/15/2008 2:40 PM\t-1\r\n",
               "2, last 20080315144000 = -1")},
        {TWINS("Date\n03/15/2008 14:30\t1\n03/15/2008 14:31\t12 °C\n", "bad line 3")},
        {TWINS("", "none")}};
    for (const auto &[utf8, littleEndian, bigEndian, outcome] : twins)
        for (const std::string &bytes : {utf8, littleEndian, bigEndian})
            cases.emplace_back(bytes, outcome);

    for (const auto &[bytes, outcome] : cases) {
        const std::string shown = ::testing::PrintToString(bytes.substr(0, 60));
        const ReadResult r = ReadExport(scratch_.write("export.txt", bytes), *tables_);
        EXPECT_EQ(Outcome(r, *tables_), outcome) << shown;
        // A pipe or a slow disk hands bytes over in pieces; a CR LF or a long line cut between
        // two of them must change nothing.
        const auto whole = tables_->MeasurementTable.first(tables_->MeasurementCount);
        for (std::size_t piece = 1; piece <= 24; ++piece) {
            ASSERT_EQ(Outcome(ReadExportBytes(bytes, *pieces_, piece), *pieces_),
                      Outcome(r, *tables_))
                << shown << " in pieces of " << piece;
            const auto cut = pieces_->MeasurementTable.first(pieces_->MeasurementCount);
            ASSERT_TRUE(std::equal(
                whole.begin(), whole.end(), cut.begin(),
                [](auto &a, auto &b) { return a.Timestamp == b.Timestamp && a.Value == b.Value; }))
                << shown << " in pieces of " << piece;
        }
    }
}

// Random files of every kind of line, read in two pieces cut at each line start in turn, in blocks
// of other sizes than the whole.
TEST_F(ExportReaderTest, two_pieces_read_what_one_piece_reads) {
    const std::string fine[] = {"03/15/2008 14:30\t1,5", "3/16/2008 2:40:07 PM\t-2.25\tx",
                                "03/17/2008 00:00\t7", "\t x" /* skipped */};
    const std::string ends[] = {"\r\n", "\n", "\r"};
    const std::string bad[] = {"", /* the data's end */
                               "03/15/2008 14:30;2",
                               "15/03/2008 14:30\t1",
                               "03/15/2008 14:30\tx",
                               std::string("03/15/2008\0 14:30\t1", 20),
                               "03/15/2008 14:30\t" + std::string(kMaxDataLineLength, '1')};
    std::mt19937 random(2008);
    auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    for (int file = 0; file < 300; ++file) {
        std::string bytes = pick(4) == 0 ? std::string(2 * kMaxDataLineLength + 7, 'h') : "Date";
        const std::size_t lines = 1 + pick(30), badLines = pick(3);
        for (std::size_t i = 0; i < lines; ++i) {
            bytes += ends[pick(3)];
            bytes +=
                pick(lines) < badLines ? bad[pick(std::size(bad))] : fine[pick(std::size(fine))];
        }
        if (pick(2) == 0)
            bytes += ends[pick(3)];
        const ReadResult whole = ReadExportBytes(bytes, *tables_, 1 + pick(40));
        const std::size_t blockSize = 1 + pick(40);
        // Room for the readings or not, which reads the file again in one piece.
        const auto laterTop = static_cast<std::int32_t>(1 + pick(2 * lines));
        for (std::size_t cut = NextLineStart(bytes, 0); cut != std::string::npos;
             cut = NextLineStart(bytes, cut))
            ASSERT_TRUE(SameReading(
                whole, *tables_,
                ReadExportBytesInTwoPieces(bytes, cut, *pieces_, blockSize, laterTop), *pieces_))
                << ::testing::PrintToString(bytes) << " cut at " << cut;
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
    bytes += "\tx\r\n"; // a skipped line uses no index
    // A file just large enough to be read in two pieces, far from filling the table, its first
    // half of long lines: it holds fewer readings than the lines near its middle suggest.
    std::string uneven = "Date\tValeur\r\n";
    while (uneven.size() < 9 << 19)
        uneven += "01/01/2008 00:00\t1,5\t" + std::string(200, 'x') + "\r\n";
    const std::size_t from = NextLineStart(bytes, 0);
    uneven += bytes.substr(from, NextLineStart(bytes, 9 << 19) - from);
    EXPECT_TRUE(SameReading(ReadExportBytes(uneven, *tables_), *tables_,
                            ReadExport(scratch_.write("uneven.txt", uneven), *pieces_), *pieces_));
    const ReadResult full = ReadExportBytes(bytes, *tables_);
    EXPECT_EQ(Outcome(full, *tables_), "1000000, last 20080123103900 = 29,5");
    // A file this large is read in two pieces, which fill the table exactly between them.
    EXPECT_TRUE(SameReading(full, *tables_,
                            ReadExport(scratch_.write("million.txt", bytes), *pieces_), *pieces_));
    const std::size_t oneMore = bytes.size();
    bytes += "12/31/2008 23:59\t1\r\n";
    const ReadResult r = ReadExportBytes(bytes, *tables_);
    EXPECT_EQ(Outcome(r, *tables_), "bad line 1000003");
    EXPECT_EQ(r.fault, LineFault::TooManyReadings);
    EXPECT_EQ(r.lineText, "12/31/2008 23:59\t1");
    // The reading one too many in either piece, and starting the later one.
    EXPECT_TRUE(SameReading(r, *tables_, ReadExport(scratch_.write("million.txt", bytes), *pieces_),
                            *pieces_));
    for (const std::size_t cut : {oneMore, NextLineStart(bytes, NextLineStart(bytes, 0))})
        EXPECT_TRUE(
            SameReading(r, *tables_, ReadExportBytesInTwoPieces(bytes, cut, *pieces_), *pieces_))
            << "cut at " << cut;
}

// A UTF-16 file past the two-piece size read from disk: its byte offsets are not its text's, so
// it is read in one piece and loads as its UTF-8 twin, in either byte order.
TEST_F(ExportReaderTest, a_large_utf16_file_reads_from_disk_as_its_utf8_twin) {
    std::string utf8 = "Date\tTempérature\r\n";
    std::u16string text = u"Date\tTempérature\r\n";
    char line[64];
    for (int i = 0; utf8.size() < 9 << 19; ++i) { // twice as long in UTF-16: past 8 MiB
        std::snprintf(line, sizeof line, "%02d/%02d/2008 %02d:%02d\t%d,5\r\n", 1 + i / 40320 % 12,
                      1 + i / 1440 % 28, i % 1440 / 60, i % 60, i % 50 - 20);
        utf8 += line;
        text.append(line, line + std::strlen(line));
    }
    const ReadResult r = ReadExportBytes(utf8, *tables_);
    ASSERT_EQ(r.status, Status::Loaded);
    for (const bool bigEndian : {false, true}) {
        const std::string bytes = Utf16Bytes(text, bigEndian);
        ASSERT_GT(bytes.size(), std::size_t{8} << 20);
        EXPECT_TRUE(SameReading(r, *tables_,
                                ReadExport(scratch_.write("utf16.txt", bytes), *pieces_), *pieces_))
            << (bigEndian ? "big" : "little") << " endian";
    }
}

TEST_F(ExportReaderTest, a_refused_file_tells_its_line_what_is_wrong_and_the_text) {
    const std::string eighty(80, 'x');
    std::string eightyE; // é, two bytes in UTF-8
    for (int i = 0; i < 80; ++i)
        eightyE += "\xC3\xA9";
    const std::tuple<std::string, LineFault, std::int64_t, std::string> cases[] = {
        {"h\r\n03/15/2008 14:30\t1\r\n03/15/2008 14:40;2\r\n", LineFault::NoTab, 3,
         "03/15/2008 14:40;2"},
        {"h\n\t\n15/03/2008 14:30\t1\n", LineFault::NotADate, 3, "15/03/2008 14:30\t1"},
        {"h\n03/15/2008 14:30\tdix\n", LineFault::NotANumber, 2, "03/15/2008 14:30\tdix"},
        {"h\n03/15/2008 14:30\t" + std::string(kMaxDataLineLength, '1'), LineFault::LineTooLong, 2,
         "03/15/2008 14:30\t" + std::string(63, '1')},
        // Cut to 80 characters, a UTF-8 sequence counting as one; no control byte but TAB shown.
        {"h\n" + eighty + "yz\n", LineFault::NoTab, 2, eighty},
        {"h\n" + eightyE + "\xC3\xA9\n", LineFault::NoTab, 2, eightyE},
        // A lone surrogate, and an odd last byte, of a UTF-16 file stand as U+FFFD.
        {std::string("\xFF\xFEh\0\n\0x\0\x00\xD8y\0z", 13), LineFault::NoTab, 2,
         "x\xEF\xBF\xBDy\xEF\xBF\xBD"},
        {"h\n\x1B[2J\x01\x7F\tx\n", LineFault::NotADate, 2, "?[2J??\tx"},
    };
    for (const auto &[bytes, fault, line, text] : cases) {
        const ReadResult r = ReadExportBytes(bytes, *tables_, 7);
        EXPECT_EQ(r.status, Status::BadFormat) << text;
        EXPECT_EQ(r.fault, fault) << text;
        EXPECT_EQ(r.lineNumber, line) << text;
        EXPECT_EQ(r.lineText, text);
    }
}

TEST_F(ExportReaderTest, what_cannot_be_opened_or_read) {
    const std::filesystem::path dir = scratch_.path();
    const auto file = scratch_.write("file.txt", "Date\r\n03/15/2008 14:30\t1\r\n");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::vector<std::pair<std::filesystem::path, Status>> cases = {
        {"/proc/self/mem", Status::ReadFailed}, // opens, but address 0 cannot be read
        {dir / "pipe", Status::Loaded}};        // a pipe without writer reads as empty
    // A directory, nothing, a file taken for a folder, a device that never ends, no name (a
    // cancelled dialog).
    for (const auto &path : {dir, dir / "missing", file / "inside",
                             std::filesystem::path("/dev/zero"), std::filesystem::path()})
        cases.emplace_back(path, Status::CannotOpen);
    ::alarm(60); // a read that waits for ever ends the run here instead of hanging it
    for (const auto &[path, status] : cases) {
        const ReadResult r = ReadExport(path, *tables_);
        EXPECT_EQ(r.status, status) << path;
        EXPECT_EQ(r.reason.empty(), status == Status::Loaded) << path;
        EXPECT_EQ(tables_->MeasurementCount, 0) << path;
    }
    ::alarm(0);
}

} // namespace
} // namespace pelk
