#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes pelk.png, the window's 16 by 16 icon: a thermometer between a red arrow up (Tx) and a
blue arrow down (Tn). A paletted PNG (256-colour type) written with the standard library only,
so that the icon can be made again anywhere: python3 make_icon.py"""

import pathlib
import struct
import zlib

PICTURE = [
    ".......KK.......",
    "..R...KWWK......",
    ".RRR..KWWKKK....",
    "RRRRR.KWWK......",
    "..R...KWWKKK....",
    "..R...KWWK......",
    "..R...KRRKKK....",
    "......KRRK......",
    "..B...KRRKKK....",
    "..B...KRRK......",
    "..B...KRRKKK....",
    "BBBBBKRRRRK.....",
    ".BBBKRRRRRRK....",
    "..B.KRRRRRRK....",
    ".....KRRRRK.....",
    "......KKKK......",
]

# Index 0 is transparent.
PALETTE = {
    ".": (0, 0, 0),
    "K": (64, 48, 40),
    "W": (255, 255, 255),
    "R": (214, 40, 32),
    "B": (40, 96, 216),
}


def chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main() -> None:
    assert len(PICTURE) == 16 and all(len(row) == 16 for row in PICTURE)
    keys = list(PALETTE)
    rows = b"".join(b"\0" + bytes(keys.index(c) for c in row) for row in PICTURE)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(PALETTE[k]) for k in keys))
    png += chunk(b"tRNS", b"\0")
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    (pathlib.Path(__file__).parent / "pelk.png").write_bytes(png)


if __name__ == "__main__":
    main()
