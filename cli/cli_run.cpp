#include "cli/cli_run.h"

#include "climate/load_pipeline.h"

#include <memory>
#include <string>

namespace pelk {
namespace {

constexpr std::string_view kBadFormatMessage =
    "Mauvais format de fichier !  Utilisez l'export Excel";

constexpr std::string_view kHelp =
    R"(Usage: pelk-cli [--sort COLUMN[:asc|:desc]] FILE

Reads a temperature logger's tab-separated export (a header line, then lines of
"MM/DD/YYYY hh:mm<TAB>value") and writes, for every calendar day from the first
reading's day to the last's, the day, Tn (lowest reading from 18:00 UTC the day
before to 18:00 UTC) and Tx (highest reading from 06:00 UTC to 06:00 UTC the next
day), exactly as the Pelk window copies them to the clipboard:
  Date<TAB>Tn<TAB>Tx<TAB><CR><LF>, then one "day<TAB>Tn<TAB>Tx<CR><LF>" line a day.

Numbers use the decimal separator of the locale in LC_ALL, LC_NUMERIC or LANG;
the UTC offset (0, 1 or 2 hours) is that of the local zone (TZ) right now.

  --sort COLUMN[:asc|:desc]  order the lines by Date, Tn or Tx (any case),
                             numerically for Tn and Tx; ascending by default.
  --help                     this text.

Exit status: 0 the table was written (the header line alone when the file holds
no readings); 1 the file could not be read (the reason on standard error);
2 a malformed line ("Mauvais format de fichier !  Utilisez l'export Excel" on
standard error, nothing on standard output); 64 a wrong command line.
)";

void WriteClipboardText(const ProgramTables &tables, std::ostream &out) {
    std::string text = "Date\tTn\tTx\t\r\n";
    for (std::int16_t i = 1; i <= tables.DayCount; ++i) {
        const DayRow &row = tables.DayTable.at(i);
        text += row.DayLabel + '\t' + row.Tn + '\t' + row.Tx + "\r\n";
    }
    out << text;
}

} // namespace

int RunCli(std::span<const std::string_view> args, char localeSeparator, const ClockReading &clock,
           std::ostream &out, std::ostream &err) {
    std::string_view file;
    for (const std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return kExitOk;
        }
        if (arg.starts_with("-") || !file.empty()) {
            err << "pelk-cli: unexpected argument '" << arg << "' (see pelk-cli --help)\n";
            return kExitUsage;
        }
        file = arg;
    }
    if (file.empty()) {
        err << "pelk-cli: no file given (see pelk-cli --help)\n";
        return kExitUsage;
    }

    const auto tables = std::make_unique<ProgramTables>();
    PrepareLoad(*tables, localeSeparator, clock);
    const ReadResult result = LoadExport(std::string(file), *tables);
    switch (result.status) {
    case ReadResult::Status::Loaded:
        WriteClipboardText(*tables, out);
        return kExitOk;
    case ReadResult::Status::BadFormat:
        err << kBadFormatMessage << '\n';
        return kExitBadFormat;
    case ReadResult::Status::CannotOpen:
    case ReadResult::Status::ReadFailed:
        break;
    }
    err << "pelk-cli: cannot read '" << file << "': " << result.reason << '\n';
    return kExitCannotRead;
}

} // namespace pelk
