#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# pelk-cli.exe under Wine gives the very bytes of the Linux pelk-cli: on the sample export, and on
# the same file under a name with accents, in French and in English.
set -u
wine="$1"; exe=$(realpath "$2"); linux="${3:+$(realpath "$3")}"
here=$(dirname "$0")
sample="$here/../../app/sample/exemple-export.txt"
fail=0
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
cp "$sample" "$tmp/données été.txt"
for lang in fr_FR.UTF-8 C; do
    for file in "$sample" "$tmp/données été.txt"; do
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
