# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tests that show Windows programs under Wine: a virtual screen of their own and
# a Wine session of their own on it, in WINEPREFIX (else a new prefix in the caller's $work), with Wine's fonts
# where Windows keeps them: this Wine does not find its own otherwise, and every text would be
# drawn in a symbol font. Wine hands its clipboard to the X display of the session's first
# program, so the session is begun afresh on this screen. stop_wine_screen ends both.
#
#   work=$(mktemp -d); source wine_screen.sh; ...; stop_wine_screen
start_wine_screen() {
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
    wine_screen_pid=$!
    export DISPLAY=$display WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX=${WINEPREFIX:-$work/wine}
    mkdir -p "$WINEPREFIX"
    wineserver -k 2>/dev/null || true
    timeout 120 wine wineboot --init >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

stop_wine_screen() {
    wineserver -k 2>/dev/null || true
    [ -n "${wine_screen_pid:-}" ] && kill "$wine_screen_pid" 2>/dev/null || true
}

start_wine_screen
