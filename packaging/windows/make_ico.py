#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Packs PNG pictures into one Windows .ico (each entry kept as PNG, as Windows Vista and later
read them), with the standard library only:

    make_ico.py OUT.ico IN.png...

pelk.ico is made so from the window's 16 by 16 app/pelk.png and the drawing app/icons/pelk.svg
rendered at 32, 48 and 256 (render_icon, built with the Linux tree)."""

import struct
import sys
from pathlib import Path


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit("not a PNG")
    return struct.unpack(">II", data[16:24])


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    pictures = [Path(name).read_bytes() for name in sys.argv[2:]]
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    directory, body = b"", b""
    for data in pictures:
        width, height = png_size(data)
        # 0 stands for 256 in the one-byte width and height.
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                                 offset + len(body))
        body += data
    Path(sys.argv[1]).write_bytes(header + directory + body)


if __name__ == "__main__":
    main()
