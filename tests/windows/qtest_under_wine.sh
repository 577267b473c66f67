#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a QtTest suite built for Windows under Wine, offscreen, and tells its result as QtTest
# wrote it. Its report goes to a file: Wine hands a console program's standard output to CTest
# unreliably. Wine passes on no QT_* variable, so the platform is named on the command line.
# Wine sometimes leaves the process standing after its tests have finished: then the suite's
# own report decides, and the hang is said.
# With --screen, the suite runs on Windows' own platform on a virtual screen, with Wine's fonts:
# what offscreen cannot show, such as the faces Windows draws the controls in.
#
#   qtest_under_wine.sh [--screen] SUITE.exe [TEST FUNCTION...]
set -uo pipefail
platform=(-platform offscreen)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$1" = --screen ]; then
    shift
    platform=()
    source "$(dirname "$0")/wine_screen.sh"
    trap 'stop_wine_screen; rm -rf "$work"' EXIT
fi
suite=$1
shift
report=$work/report.txt
timeout 120 wine "$suite" "${platform[@]}" -o "$(winepath -w "$report" 2>/dev/null)",txt "$@"
status=$?
cat "$report"
if [ "$status" -eq 124 ]; then
    if grep -q "^Totals: [0-9]* passed, 0 failed" "$report" &&
        grep -q "^\*\*\*\*\*\*\*\*\* Finished testing" "$report"; then
        echo "(the suite finished and passed; Wine did not end its process, so it was stopped)"
        exit 0
    fi
    echo "TIMEOUT: the suite did not finish in 120 s"
fi
grep -q "^Totals: " "$report" || { echo "FAIL: no report from the suite"; exit 1; }
exit "$status"
