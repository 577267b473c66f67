#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# pelk-cli.exe under Wine gives the very bytes of the Linux pelk-cli: on the sample export, on the
# same file under a name with accents, and on a file large enough to be read in two pieces at once,
# in French and in English.
set -u
wine="$1"; exe=$(realpath "$2"); linux="${3:+$(realpath "$3")}"
here=$(dirname "$0")
sample="$here/../../app/sample/exemple-export.txt"
fail=0
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
cp "$sample" "$tmp/données été.txt"
files=("$sample" "$tmp/données été.txt")
if [ -n "$linux" ]; then
    LC_ALL=C awk 'BEGIN { printf "Date\tValeur\r\n"; for (i = 0; i < 400000; i++)
        printf "%02d/%02d/2008 %02d:%02d\t%.1f\r\n", 1 + int(i / 40320) % 12, 1 + int(i / 1440) % 28,
            int(i % 1440 / 60), i % 60, i % 500 / 10 - 20 }' > "$tmp/large.txt"
    files+=("$tmp/large.txt")
fi
for lang in fr_FR.UTF-8 C; do
    for file in "${files[@]}"; do
        got=$(cd "$(dirname "$file")" && LANG=$lang TZ=UTC0 "$wine" "$exe" "$(basename "$file")" | od -An -c)
        if [ -n "$linux" ]; then
            want=$(LANG=$lang LC_ALL= LC_NUMERIC= TZ=UTC0 "$linux" "$file" | od -An -c)
        else
            want=$(od -An -c <"$here/data/exemple-export-$lang.txt" 2>/dev/null)
        fi
        if [ -z "$got" ] || [ "$got" != "$want" ]; then
            echo "FAIL: $(basename "$file") with LANG=$lang differs"; fail=1
        fi
    done
done
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
