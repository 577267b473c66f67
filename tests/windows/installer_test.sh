#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer under Wine: a silent install into Program Files with a Start-menu entry, the
# installed pelk.exe opening the sample export in its window, then a silent uninstall that
# leaves nothing of Pelk behind.
#
#   installer_test.sh SETUP_EXE
set -euo pipefail
setup=$1
work=$(mktemp -d)
cleanup() {
    [ -n "${pelk:-}" ] && kill "$pelk" 2>/dev/null || true
    stop_wine_screen
    rm -rf "$work"
}
trap cleanup EXIT
failed() { echo "FAIL: $*"; exit 1; }
WINEPREFIX=$work/wine
source "$(dirname "$0")/wine_screen.sh"

started=$(date +%s)
timeout 120 wine "$setup" /S
timeout 60 wineserver -w
echo "installed in $(($(date +%s) - started)) s"
folder="$WINEPREFIX/drive_c/Program Files/Pelk"
for file in pelk.exe pelk-cli.exe Qt6Widgets.dll platforms/qwindows.dll exemple-export.txt \
    LICENCE.txt uninstall.exe; do
    [ -f "$folder/$file" ] || failed "$file not installed"
done
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Pelk/Pelk.lnk' | head -n 1)
[ -n "$menu" ] || failed "no Start-menu entry"

timeout 60 wine "C:\\Program Files\\Pelk\\pelk.exe" "C:\\Program Files\\Pelk\\exemple-export.txt" \
    >/dev/null 2>&1 &
pelk=$!
window=""
for _ in $(seq 40); do
    window=$(xdotool search --name '^PELK$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 1
done
[ -n "$window" ] || failed "the installed pelk.exe shows no window"
kill "$pelk" 2>/dev/null || true
pelk=""
timeout 30 wineserver -k || true

timeout 120 wine "C:\\Program Files\\Pelk\\uninstall.exe" /S
timeout 60 wineserver -w # the uninstaller returns before it has finished
[ ! -e "$folder" ] || failed "uninstall left $(find "$folder" | head -n 5)"
[ ! -e "$menu" ] || failed "uninstall left the Start-menu entry"
echo "PASS: installed, started and uninstalled under Wine"
