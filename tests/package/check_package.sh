#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user gets it: the files it holds, and that Debian's own checkers
# (desktop-file-validate, appstreamcli, lintian) find no error in them.
set -u
build="$1"
deb=$(ls "$build"/pelk_*_amd64.deb 2>/dev/null | head -1)
fail=0
failed() { echo "FAIL: $*"; fail=1; }
[ -n "$deb" ] || { echo "FAIL: no package in $build"; echo "0 passed, 1 failed"; exit 1; }

listing=$(dpkg-deb -c "$deb")
for file in ./usr/bin/pelk ./usr/bin/pelk-cli ./usr/share/applications/io.github.pelk.Pelk.desktop \
    ./usr/share/metainfo/io.github.pelk.Pelk.metainfo.xml ./usr/share/man/man1/pelk.1.gz \
    ./usr/share/man/man1/pelk-cli.1.gz ./usr/share/doc/pelk/exemple-export.txt \
    ./usr/share/doc/pelk/copyright ./usr/share/icons/hicolor/scalable/apps/pelk.svg; do
    grep -q " $file\$" <<<"$listing" || failed "$file missing from the package"
done
for size in 16 32 48 64 128 256; do
    grep -q " ./usr/share/icons/hicolor/${size}x${size}/apps/pelk.png\$" <<<"$listing" ||
        failed "${size}x${size} icon missing"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "fonts-wine" <<<"$depends" || failed "Depends lacks fonts-wine: $depends"
grep -q "libqt6widgets6" <<<"$depends" || failed "Depends lacks the Qt libraries: $depends"
# The chart is drawn with Qt Widgets alone.
! grep -q "libqt6charts" <<<"$depends" || failed "Depends still names Qt Charts: $depends"

tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
for size in 32 256; do
    file "$tmp/usr/share/icons/hicolor/${size}x${size}/apps/pelk.png" | grep -q "$size x $size" ||
        failed "the ${size}x${size} icon is no PNG of that size"
done
desktop-file-validate "$tmp/usr/share/applications/io.github.pelk.Pelk.desktop" || failed "desktop-file-validate"
appstreamcli validate --no-net "$tmp/usr/share/metainfo/io.github.pelk.Pelk.metainfo.xml" ||
    failed "appstreamcli validate"
zcat "$tmp/usr/share/man/man1/pelk-cli.1.gz" | grep -q "details" ||
    failed "the pelk-cli man page does not come from its --help"
man -l "$tmp/usr/share/man/man1/pelk.1.gz" >/dev/null 2>&1 || zcat "$tmp/usr/share/man/man1/pelk.1.gz" | grep -q "^.TH PELK" ||
    failed "the pelk man page does not read"
"$tmp/usr/bin/pelk-cli" --version | grep -qx "pelk-cli $(dpkg-deb -f "$deb" Version)" ||
    failed "pelk-cli --version does not give the package's version"

lintian_out=$(lintian --no-tag-display-limit "$deb" 2>&1)
echo "$lintian_out"
grep -q "^E: " <<<"$lintian_out" && failed "lintian reports errors"

[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
