#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The list saved for a spreadsheet, opened by a real one: LibreOffice Calc, headless, reads the
# file pelk-cli writes with a French decimal comma, as a French user's Calc would. Every title
# must come back with its accents, every data cell as a number or a date (none left as text),
# and the cells, written out again, must be the ones saved.
#
# Usage: tests/results/spreadsheet_round_trip.sh PELK_CLI EXPORT
set -eu -o pipefail

cli=$1
export_file=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/pelk-calc.XXXXXX")
trap 'rm -rf "$work"' EXIT
calc() {
    HOME=$work timeout 300 soffice --headless "-env:UserInstallation=file://$work/profile" "$@" \
        > "$work/soffice.log" 2>&1 || { cat "$work/soffice.log"; exit 1; }
}

LC_ALL=fr_FR.UTF-8 "$cli" --format csv "$export_file" > "$work/liste.csv"
rows=$(($(wc -l < "$work/liste.csv") - 1))

# As a French Calc opens it: ';' between fields, '"' around texts, UTF-8, French numbers.
calc --infilter="CSV:59,34,76,1,,1036" --convert-to fods --outdir "$work" "$work/liste.csv"
strings=$(grep -o 'office:value-type="string"' "$work/liste.fods" | wc -l)
if [ "$strings" -ne 8 ]; then
    echo "FAIL: $strings text cells, where only the 8 titles are text"
    exit 1
fi
for title in "Relevés nuit" "Relevés jour" "Fenêtres complètes" "Heure Tn (UTC)"; do
    grep -q ">$title<" "$work/liste.fods" || { echo "FAIL: title '$title' not read back"; exit 1; }
done

calc --convert-to "csv:Text - txt - csv (StarCalc):59,34,76,1,,1036" --outdir "$work/back" \
    "$work/liste.fods"
# Cell by cell: the same text, the same number (Calc writes its own decimal point), or the same
# time with its seconds written out.
tail -c +4 "$work/liste.csv" | tr -d '\r' > "$work/saved.csv"
if ! awk -F';' 'NR == FNR { saved[FNR] = $0; next }
    {
        n = split(saved[FNR], want, ";")
        if (n != NF) { printf "line %d: %d cells, %d saved\n", FNR, NF, n; bad = 1; next }
        for (i = 1; i <= NF; i++) {
            w = want[i]; gsub(",", ".", w)
            if ($i == w || $i == w ":00" || ($i ~ /^-?[0-9.]+$/ && $i + 0 == w + 0)) continue
            printf "line %d cell %d: \"%s\" saved, \"%s\" read back\n", FNR, i, want[i], $i
            bad = 1
        }
    }
    END { if (FNR != length(saved)) { print "another number of lines"; bad = 1 } exit bad }' \
    "$work/saved.csv" "$work/back/liste.csv"; then
    echo "FAIL: the cells read back differ from those saved"
    exit 1
fi
echo "PASS: $rows rows saved by pelk-cli, read by LibreOffice Calc with every cell as saved"
