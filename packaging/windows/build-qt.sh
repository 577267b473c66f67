#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a lean shared Qt 6 for x86_64-w64-mingw32 from Debian's own qt6-base sources, once: into
# a cache folder outside the tree named by a hash of the options, which later runs find ready.
# Prints that folder on standard output; its progress goes to standard error.
#
#   packaging/windows/build-qt.sh            (PELK_QT_CACHE, default ~/.cache/pelk)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${PELK_QT_CACHE:-$HOME/.cache/pelk}
jobs=${JOBS:-$(nproc)}

# What makes this Qt: the choices below, and the toolchain they are built with. Some are needed,
# not only lean: Debian's tarball lacks wintab.h (tablet events), and dynamic OpenGL or Direct2D
# without DirectWrite break the Windows plugin's build.
options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF -DINPUT_opengl=no -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF
    -DFEATURE_printsupport=ON -DFEATURE_testlib=ON
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
)
hash=$( (printf '%s\n' "${options[@]}"; cat "$here/mingw-qt.cmake") | sha256sum | cut -c1-12)
prefix=$cache/qt-6.4.2-mingw-$hash
if [ -f "$prefix/.built" ]; then
    echo "Qt for Windows: ready in $prefix" >&2
    echo "$prefix"
    exit 0
fi

sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
# The sources come from the same suites as the packages: a deb-src entry beside each deb one.
if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "Qt for Windows: adding deb-src entries for apt-get source" >&2
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] || continue
        sed 's/^Types: deb$/Types: deb-src/' "$list" |
            $sudo tee "/etc/apt/sources.list.d/pelk-src-$(basename "$list")" >/dev/null
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            $sudo tee /etc/apt/sources.list.d/pelk-src.list >/dev/null
    fi
    $sudo apt-get update -qq
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pelk-qt.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
echo "Qt for Windows: fetching qt6-base's sources into $work" >&2
(cd "$work" && apt-get source -qq qt6-base >/dev/null 2>&1)
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
echo "Qt for Windows: configuring ($(($(date +%s) - start)) s)" >&2
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-qt.cmake" -DCMAKE_INSTALL_PREFIX="$prefix.part" \
    "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
echo "Qt for Windows: building with $jobs jobs, about half an hour on two cores ($(($(date +%s) - start)) s)" >&2
# Ninja's progress, a line a hundred steps, so that a long build shows it is alive.
cmake --build "$work/build" -j "$jobs" 2>&1 | tee "$work/build.log" |
    awk '/^\[[0-9]+\/[0-9]+\]/ { gsub(/[][]/, "", $1); split($1, n, "/"); if (n[1] % 100 == 0) print "  step " n[1] " of " n[2] > "/dev/stderr"; fflush() }'
[ "${PIPESTATUS[0]}" -eq 0 ] || { grep -m 20 -B 2 -A 8 "error" "$work/build.log" >&2; exit 1; }
rm -rf "$prefix.part"
cmake --install "$work/build" >/dev/null
mv "$prefix.part" "$prefix"
touch "$prefix/.built"
echo "Qt for Windows: built in $(($(date +%s) - start)) s, in $prefix" >&2
echo "$prefix"
