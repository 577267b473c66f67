#include "cli/cli_run.h"

#include "climate/load_pipeline.h"
#include "results/list_view.h"
#include "results/results_list.h"

#include <memory>
#include <optional>
#include <string>

namespace pelk {
namespace {

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
                             The order is the one that clicks on the
                             window's column header give.
  --help                     this text.

Exit status: 0 the table was written (the header line alone when the file holds
no readings); 1 the file could not be read (the reason on standard error);
2 a malformed line ("Mauvais format de fichier !  Utilisez l'export Excel" on
standard error, nothing on standard output); 64 a wrong command line.
)";

struct SortRequest {
    std::string column;     ///< a header text, compared without regard to case
    std::int16_t order = 0; ///< the list's SortOrder: 0 ascending, 1 descending
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

/// "COLUMN", "COLUMN:asc" or "COLUMN:desc"; the column is checked against the list's headers.
std::optional<SortRequest> ParseSortValue(std::string_view value) {
    SortRequest request;
    const std::size_t colon = value.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view direction = value.substr(colon + 1);
        if (EqualIgnoringCase(direction, "desc"))
            request.order = 1;
        else if (!EqualIgnoringCase(direction, "asc"))
            return std::nullopt;
        value = value.substr(0, colon);
    }
    for (const std::string_view known : {"Date", "Tn", "Tx"})
        if (EqualIgnoringCase(value, known))
            request.column = known;
    if (request.column.empty())
        return std::nullopt;
    return request;
}

/// Sorts as the window does: header clicks, a second one when the first gave the other direction.
void SortLikeTheWindow(ListView &list, const SortRequest &request, char localeSeparator) {
    for (std::int32_t c = 1; c <= list.columnCount(); ++c) {
        if (!EqualIgnoringCase(list.ColumnHeaders(c).Text, request.column))
            continue;
        Lv_ColumnClick(list, c, localeSeparator);
        if (list.SortOrder() != request.order)
            Lv_ColumnClick(list, c, localeSeparator);
        return;
    }
}

void WriteClipboardText(const ProgramTables &tables, const std::optional<SortRequest> &sort,
                        std::ostream &out) {
    ListView list;
    AddResultColumns(list);
    // As in the window, the list is filled only when the file held readings.
    if (tables.MeasurementCount != 0)
        FillResultsList(list, tables);
    if (sort)
        SortLikeTheWindow(list, *sort, tables.LocaleDecimalSeparator);
    out << ClipboardText(list, true, 1, -1, true);
}

} // namespace

int RunCli(std::span<const std::string_view> args, char localeSeparator, const ClockReading &clock,
           std::ostream &out, std::ostream &err) {
    std::string_view file;
    std::optional<SortRequest> sort;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return kExitOk;
        }
        if (arg == "--sort" || arg.starts_with("--sort=")) {
            std::string_view value;
            if (arg == "--sort") {
                if (i + 1 == args.size()) {
                    err << "pelk-cli: --sort needs a column (see pelk-cli --help)\n";
                    return kExitUsage;
                }
                value = args[++i];
            } else {
                value = arg.substr(std::string_view("--sort=").size());
            }
            sort = ParseSortValue(value);
            if (!sort) {
                err << "pelk-cli: bad --sort value '" << value
                    << "': use Date, Tn or Tx, optionally followed by :asc or :desc\n";
                return kExitUsage;
            }
            continue;
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
        WriteClipboardText(*tables, sort, out);
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
