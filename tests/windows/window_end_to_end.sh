#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# pelk.exe under Wine on a virtual screen: it opens the sample export named on its command line
# (under a name with accents),
# its copy button puts the list on the clipboard, and that list is the Linux pelk-cli's.
#
#   window_end_to_end.sh PELK_EXE SAMPLE LINUX_PELK_CLI
set -euo pipefail
exe=$1 sample=$2 linux_cli=$3
for tool in Xvfb xdotool xclip wine; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
work=$(mktemp -d)
cleanup() {
    [ -n "${pelk:-}" ] && kill "$pelk" 2>/dev/null || true
    stop_wine_screen
    rm -rf "$work"
}
trap cleanup EXIT
# Both programs on the same clock and decimal separator, with file names in UTF-8 as Linux
# users' are: Wine then hands pelk.exe a Unicode command line and a Windows code page.
export TZ=UTC0 LANG=C.UTF-8 LC_ALL=
source "$(dirname "$0")/wine_screen.sh"

echo "sentinel" | xclip -selection clipboard
# Under a name with accents, as French users name their files, and a letter that no Windows
# code page of theirs holds.
accented="$work/données été Ω.txt"
cp "$sample" "$accented"
timeout 120 wine "$exe" "$accented" >/dev/null 2>&1 &
pelk=$!
window=""
for _ in $(seq 60); do
    window=$(xdotool search --name '^PELK$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 1
done
[ -n "$window" ] || { echo "FAIL: no PELK window under Wine"; exit 1; }
"$linux_cli" "$sample" 2>/dev/null | tr -d '\r' >"$work/linux.txt"
# The copy button, at its place in the window's client area, pressed until the list is there:
# the window shows before its list is filled, and Wine hands the clipboard over in its time.
for _ in $(seq 10); do
    sleep 2
    xdotool mousemove --window "$window" 89 463 click 1
    sleep 1
    xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >"$work/window.txt" || true
    cmp -s "$work/window.txt" "$work/linux.txt" && break
done
if ! cmp -s "$work/window.txt" "$work/linux.txt"; then
    echo "FAIL: the window's list under Wine differs from pelk-cli's"
    diff "$work/linux.txt" "$work/window.txt" | head -n 20
    exit 1
fi
echo "PASS: pelk.exe under Wine lists $(($(wc -l <"$work/window.txt") - 1)) days, as pelk-cli does"
