#include "cli/cli_run.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace pelk {
namespace {

constexpr ClockReading kOneHourAhead{0, 11, 10};

// The two days of readings every three hours from which the window's list is worked out by hand.
const char *const kTwoDays = "Date\tValeur\r\n"
                             "03/05/2008 00:00\t4.0\r\n03/05/2008 03:00\t3.0\r\n"
                             "03/05/2008 06:00\t2.5\r\n03/05/2008 09:00\t6.0\r\n"
                             "03/05/2008 12:00\t11.0\r\n03/05/2008 15:00\t12.5\r\n"
                             "03/05/2008 18:00\t9.0\r\n03/05/2008 21:00\t7.0\r\n"
                             "03/06/2008 00:00\t5.5\r\n03/06/2008 03:00\t4.5\r\n"
                             "03/06/2008 06:00\t4.0\r\n03/06/2008 09:00\t8.0\r\n"
                             "03/06/2008 12:00\t14.0\r\n03/06/2008 15:00\t15.5\r\n"
                             "03/06/2008 18:00\t12.0\r\n03/06/2008 21:00\t10.0\r\n";

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
  protected:
    std::string Write(const std::string &bytes) const {
        return scratch_.write("export.txt", bytes).string();
    }

    static CliRun Run(std::vector<std::string_view> args, char separator = ',') {
        std::ostringstream out, err;
        const int status = RunCli(args, separator, kOneHourAhead, out, err);
        return {status, out.str(), err.str()};
    }

    testing::ScratchDir scratch_;
};

TEST_F(CliTest, prints_the_clipboard_text_of_the_list) {
    const std::string file = Write(kTwoDays);
    const CliRun run = Run({file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n2008-03-05\t2,5\t12,5\r\n2008-03-06\t4\t15,5\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({file}, '.').out,
              "Date\tTn\tTx\t\r\n2008-03-05\t2.5\t12.5\r\n2008-03-06\t4\t15.5\r\n");
    EXPECT_EQ(Run({Write("h\r\n03/05/2008 12:00\t4.5\r\n")}).out, // a single day
              "Date\tTn\tTx\t\r\n2008-03-05\t4,5\t4,5\r\n");
}

TEST_F(CliTest, no_readings_gives_the_header_alone) {
    for (const char *bytes : {"", "header\r\n", "header\r\n\r\n03/05/2008 00:00\t4\r\n"}) {
        const CliRun run = Run({Write(bytes)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "Date\tTn\tTx\t\r\n");
    }
}

TEST_F(CliTest, malformed_file_says_so_and_prints_nothing) {
    using namespace std::string_literals;
    for (const std::string &bytes : {"h\r\n03/05/2008 00:00;4\r\n"s,
                                     "h\r\n03/05/2008 00:00\t4\r\nx\r\n"s, "h\r\n\0\0\0\r\n"s}) {
        const CliRun run = Run({Write(bytes)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Mauvais format de fichier !  Utilisez l'export Excel\n");
    }
}

TEST_F(CliTest, unreadable_file_names_the_file_and_the_reason) {
    const std::string missing = (scratch_.path() / "missing.txt").string();
    const CliRun run = Run({missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(missing), std::string::npos);
    EXPECT_NE(run.err.find("No such file"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(Run({scratch_.path().string()}).status, 1);
    EXPECT_EQ(Run({"/proc/self/mem"}).status, 1); // opens, but cannot be read
}

TEST_F(CliTest, command_line) {
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Mauvais format de fichier !  Utilisez l'export Excel"),
              std::string::npos);
    EXPECT_EQ(Run({}).status, kExitUsage);
    EXPECT_EQ(Run({"a", "b"}).status, kExitUsage);
    EXPECT_EQ(Run({"-x"}).status, kExitUsage);
    EXPECT_EQ(Run({"-h"}).out, help.out);
}

} // namespace
} // namespace pelk
