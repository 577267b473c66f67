#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real binary, the environment as a user sets it: locale and zone decide the output.
set -u
cli="$1"
data="$(dirname "$0")/data"
fail=0
check() { # name expected actual
    if [ "$2" != "$3" ]; then echo "FAIL: $1: expected '$2', got '$3'"; fail=1; fi
}

out=$(TZ=XXX-1 LANG=fr_FR.UTF-8 LC_ALL= LC_NUMERIC= "$cli" "$data/export.txt" | od -An -c)
check "worked example, French, one hour ahead" "$(od -An -c <"$data/expected-fr.txt")" "$out"

# Two hours ahead moves the windows: the day window opens at 08:00.
out=$(TZ=XXX-2 LANG=C "$cli" "$data/export.txt" | tr -d '\r' | sed -n 2p)
check "two hours ahead" "$(printf '2008-03-05\t2.5\t12.5')" "$out"

# The separator comes from the locale data: en_DK writes a decimal comma, de_CH a point.
out=$(TZ=UTC0 LC_ALL=en_DK.UTF-8 "$cli" "$data/export.txt" | tr -d '\r' | sed -n 2p)
check "en_DK decimal comma" "$(printf '2008-03-05\t2,5\t12,5')" "$out"
out=$(TZ=UTC0 LC_ALL= LC_NUMERIC=de_CH.UTF-8 LANG=fr_FR.UTF-8 "$cli" "$data/export.txt" | tr -d '\r' | sed -n 2p)
check "de_CH decimal point" "$(printf '2008-03-05\t2.5\t12.5')" "$out"

"$cli" "$data/none.txt" >/dev/null 2>&1; check "missing file status" 1 "$?"

[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
