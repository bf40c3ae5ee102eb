#!/usr/bin/env python3
"""Writes the seed inputs of the bitmap and preset fuzz targets into
tests/fuzz/corpus/dib and tests/fuzz/corpus/preset: small files of every
form the readers take, so that mutations start past the header checks.
(The JPEG seeds in corpus/jpeg were written by the program's own encoder.)

usage: make_seeds.py [corpus folder]
"""

import os
import struct
import sys


def bmp(width, height, bits, rows, table=(), compression=0, masks=(), file_form=True):
    """A bitmap: rows bottom-up as bytes (padded here), a colour table of
    0x00RRGGBB values, optional masks for bit fields."""
    if compression in (1, 2):
        bits_data = b"".join(rows)
    else:
        stride = (width * bits + 31) // 32 * 4
        bits_data = b"".join(r.ljust(stride, b"\0") for r in rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(bits_data), 2835, 2835,
                       len(table), 0)
    extra = b"".join(struct.pack("<I", m) for m in masks) + b"".join(struct.pack("<I", c) for c in table)
    data = info + extra + bits_data
    if not file_form:
        return data
    return b"BM" + struct.pack("<IHHI", 14 + len(data), 0, 0, 14 + len(info) + len(extra)) + data


def dib_seeds():
    grey4 = [0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF]
    return {
        "rgb24.bmp": bmp(3, 2, 24, [b"\x00\x00\xff\x00\xff\x00\xff\x00\x00", b"\xff\xff\xff\x80\x80\x80\x00\x00\x00"]),
        "topdown24.bmp": bmp(2, -2, 24, [b"\x10\x20\x30\x40\x50\x60", b"\x70\x80\x90\xa0\xb0\xc0"]),
        "rgb32.bmp": bmp(2, 2, 32, [b"\x01\x02\x03\x00\x04\x05\x06\x00", b"\x07\x08\x09\x00\x0a\x0b\x0c\x00"]),
        "fields565.bmp": bmp(2, 2, 16, [b"\x1f\x00\xe0\x07", b"\x00\xf8\xff\xff"], compression=3,
                             masks=(0xF800, 0x07E0, 0x001F)),
        "pal8.bmp": bmp(4, 2, 8, [b"\x00\x01\x02\x03", b"\x03\x02\x01\x00"], table=grey4),
        "pal4.bmp": bmp(4, 2, 4, [b"\x01\x23", b"\x32\x10"], table=grey4),
        "mono.bmp": bmp(8, 2, 1, [b"\xaa", b"\x55"], table=[0x000000, 0xFFFFFF]),
        # Runs, a literal, an end of line and the end of the picture.
        "rle8.bmp": bmp(4, 2, 8, [b"\x04\x01\x00\x00", b"\x00\x04\x00\x01\x02\x03\x00\x01"], table=grey4,
                        compression=1),
        "rle4.bmp": bmp(4, 2, 4, [b"\x04\x12\x00\x00", b"\x00\x04\x01\x23\x00\x01"], table=grey4, compression=2),
        # The data form: no file header (clipboard, embedded pictures).
        "data8.dib": bmp(4, 2, 8, [b"\x00\x01\x02\x03", b"\x03\x02\x01\x00"], table=grey4, file_form=False),
    }


def preset(version=3, types=(1, 2, 0), lfo_type=2, filter_type=8788, stereo=3097, note=12):
    """A ".SYN" preset with the given oscillator types (all three on)."""
    body = b"SYNTH" + struct.pack("<hh", 0, version)
    for i in range(4):
        kind = types[i] if i < 3 else lfo_type
        words = [0, 50, 0 if i < 3 else 12, 255, 0, 0, 0, 0, 0, kind]
        name = b"NA".ljust(200, b"\0")
        body += struct.pack("<10h", *words) + name
    for i in range(3):
        body += struct.pack("<11h", 5, 40, 10, 0, 0, 255, 180, 90, 0, 0, 0 if i == 0 else 1)
    body += struct.pack("<7h", 64, 64, 20, -128, -128, 0, 0)  # filter
    body += struct.pack("<h", note) + struct.pack("<3h", 0, 0, 0)
    body += struct.pack("<3h", filter_type, 1, stereo)
    if version >= 1:
        body += struct.pack("<2h", 1, 0)  # distortion, half speed
    if version >= 2:
        body += struct.pack("<h", 1)  # normalise
    return body


def preset_seeds():
    return {
        "plain.syn": preset(),
        "noise.syn": preset(types=(3, 0, 2), filter_type=8789, stereo=3100),
        "nofilter.syn": preset(types=(0, 0, 0), filter_type=8787, stereo=3104, note=24),
        "version0.syn": preset(version=0),
    }


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    for folder, seeds in (("dib", dib_seeds()), ("preset", preset_seeds())):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(root, folder, name), "wb") as f:
                f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
