#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# pelk-cli end to end on a 1,000,000-reading export: its time against `cat FILE` and against its
# own start-up, measured in the same run, the time per line that this leaves, and the peak
# memory; then a 100 MB file without a line end. Prints figures; fails on nothing but a missing
# pelk-cli.
#
# Usage: bench/cli.sh [PATH/TO/pelk-cli]   (default build/release/cli/pelk-cli)
set -u

CLI=${1:-build/release/cli/pelk-cli}
READINGS=${READINGS:-1000000}
RUNS=${RUNS:-15}
if [ ! -x "$CLI" ]; then
    echo "bench/cli.sh: no pelk-cli at '$CLI' (build the release preset first)" >&2
    exit 1
fi
CLI=$(cd "$(dirname "$CLI")" && pwd)/$(basename "$CLI")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pelk-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
EXPORT=$WORK/export.txt


# One reading a minute from 1 January 2008, month-first, CR LF, as the loggers write them.
LC_ALL=C awk -v n="$READINGS" 'BEGIN {
    printf "Date\tTemperature (C)\r\n"
    split("31 28 31 30 31 30 31 31 30 31 30 31", length_of, " ")
    y = 2008; m = 1; d = 1; minute = 0; srand(2008)
    for (i = 0; i < n; i++) {
        printf "%02d/%02d/%04d %02d:%02d\t%.2f\r\n", m, d, y, int(minute / 60), minute % 60,
            rand() * 50 - 15
        if (++minute == 1440) {
            minute = 0
            last = length_of[m] + (m == 2 && y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))
            if (++d > last) { d = 1; if (++m > 12) { m = 1; y++ } }
        }
    }
}' > "$EXPORT"
BYTES=$(stat -c %s "$EXPORT")
echo "export: $READINGS readings, $BYTES bytes ($(tail -n 1 "$EXPORT" | cut -f 1 | tr -d '\r') last)"
"$CLI" "$EXPORT" > "$WORK/out.txt" || echo "pelk-cli failed on the export (exit $?)"
echo "pelk-cli wrote $(($(wc -l < "$WORK/out.txt") - 1)) day rows"

# The median over RUNS pairs of the ratio of command A's time to command B's, each pair run in
# turn, so that a drifting machine moves both.
paired_ratio() {
    local i ratios=() a b
    for ((i = 0; i < RUNS; i++)); do
        a=$(RUNS=1 median_ms "$1")
        b=$(RUNS=1 median_ms "$2")
        ratios+=($(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", a / b }'))
    done
    printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END { print r[int((NR + 1) / 2)] }'
}

# Median wall time in milliseconds of a command, over RUNS runs after 3 warm-up runs.
median_ms() {
    if command -v hyperfine > /dev/null; then
        hyperfine -N --warmup 3 --runs "$RUNS" --export-csv "$WORK/t.csv" "$1" > /dev/null 2>&1
        awk -F, 'NR == 2 { printf "%.2f", $4 * 1000 }' "$WORK/t.csv"
    else
        local i times=()
        for i in 1 2 3; do $1 > /dev/null 2>&1; done
        for ((i = 0; i < RUNS; i++)); do
            local start end
            start=$(date +%s%N)
            $1 > /dev/null 2>&1
            end=$(date +%s%N)
            times+=($(((end - start) / 1000)))
        done
        printf '%s\n' "${times[@]}" | sort -n |
            awk '{ t[NR] = $1 } END { printf "%.2f", t[int((NR + 1) / 2)] / 1000 }'
    fi
}

echo
echo "median of $RUNS runs, same machine, same run:"
T_CAT=$(median_ms "cat $EXPORT")
T_START=$(median_ms "$CLI --help")
T_CLI=$(median_ms "$CLI $EXPORT")
HEADER_ONLY=$WORK/header-only.txt
printf 'Date\tTemperature (C)\r\n' > "$HEADER_ONLY"
T_HEADER=$(median_ms "$CLI $HEADER_ONLY")
awk -v cat="$T_CAT" -v start="$T_START" -v cli="$T_CLI" -v header="$T_HEADER" -v n="$READINGS" 'BEGIN {
    printf "  cat FILE >/dev/null          %8.2f ms\n", cat
    printf "  pelk-cli --help (start-up)   %8.2f ms\n", start
    printf "  pelk-cli FILE                %8.2f ms\n", cli
    printf "  pelk-cli / (cat + start-up)  %8.2f x   (target: at most 2)\n", cli / (cat + start)
    printf "  pelk-cli HEADER-ONLY FILE    %8.2f ms\n", header
    printf "  header-only / start-up       %8.2f x   (target: at most 1.5)\n", header / start
    printf "  (pelk-cli - start-up) / line %8.1f ns  (reading, parsing, days, output; target for parsing: under 100)\n",
        (cli - start) * 1e6 / n
}'

# The same readings as a ';' file with the date and time in two fields: recognised, not the export
# form. Each run of it is paired with a run of the export, so that a drifting machine moves both.
CSV=$WORK/same-readings.csv
LC_ALL=C awk 'NR == 1 { printf "Date;Heure;Temperature (C)\r\n"; next }
    { sub(/\r$/, ""); split($0, f, "\t"); split(f[1], dt, " ");
      printf "%s;%s;%s\r\n", dt[1], dt[2], f[2] }' "$EXPORT" > "$CSV"
if cmp -s <("$CLI" "$EXPORT" 2> /dev/null) <("$CLI" "$CSV" 2> /dev/null); then
    printf '  the same readings as a recognised CSV / the export, paired: median %s x   (target: at most 2)\n' \
        "$(paired_ratio "$CLI $CSV" "$CLI $EXPORT")"
else
    echo "  the recognised CSV did not give the export's rows"
fi

# The same readings as ten downloads of 100,000 readings each, read as one record, paired with
# the one file.
PARTS=()
tail -n +2 "$EXPORT" | split -l $((READINGS / 10)) -d - "$WORK/part"
for part in "$WORK"/part[0-9][0-9]; do
    { head -n 1 "$EXPORT"; cat "$part"; } > "$part.txt"
    PARTS+=("$part.txt")
done
if cmp -s <("$CLI" "$EXPORT" 2> /dev/null) <("$CLI" "${PARTS[@]}" 2> /dev/null); then
    printf '  %d files of %d readings as one record / the one file, paired: median %s x   (target: at most 1.3)\n' \
        "${#PARTS[@]}" $((READINGS / 10)) "$(paired_ratio "$CLI ${PARTS[*]}" "$CLI $EXPORT")"
else
    echo "  the ten downloads did not give the one file's rows"
fi

BENCH_PARSE=$(dirname "$CLI")/../bench/bench_parse
if [ -x "$BENCH_PARSE" ]; then
    "$BENCH_PARSE" --benchmark_filter='BM_ReadExport_file/1000000' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true 2> /dev/null |
        awk '/_median/ { printf "  reader alone (bench_parse, median of 5): %s %s for 1,000,000 lines = %.1f ns per line\n", $2, $3, $2 * ($3 == "ms" ? 1e6 : 1e3) / 1e6 }'
fi

peak_memory() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -v "$@" 2>&1 > /dev/null |
            awk -F': ' '/Maximum resident/ { kb = $2 } /Elapsed/ { t = $2 } /Exit status/ { s = $2 }
                END { printf "%.1f MiB peak, %s wall, exit %s", kb / 1024, t, s }'
    else
        echo "(no /usr/bin/time: apt-get install time)"
    fi
}
echo
echo "peak memory:"
echo "  pelk-cli FILE (target: at most 22 MiB): $(peak_memory "$CLI" "$EXPORT")"
SAMPLE=$(dirname "$0")/../app/sample/exemple-export.txt
echo "  pelk-cli on the sample export, 4,000 readings (target: under 6 MiB): $(peak_memory "$CLI" "$SAMPLE")"

# 100 MB and not one line end: all of it is the header line, so nothing is loaded; after a header
# line, it is a data line too long to be one, refused at once.
ENDLESS=$WORK/endless.txt
head -c 104857600 /dev/zero | tr '\0' 'a' > "$ENDLESS"
echo "  100 MB without a line end:           $(peak_memory "$CLI" "$ENDLESS")"
{ printf 'Date\tValeur\r\n'; head -c 104857600 /dev/zero | tr '\0' '7'; } > "$ENDLESS"
echo "  header, then 100 MB without line end: $(peak_memory "$CLI" "$ENDLESS")"
exit 0
