#!/usr/bin/env python3
"""Writes the Windows program's icon and cursor from the XPM pictures the Qt
dialog uses, so that both dialogs show the same images:

    xpm-to-ico.py icon OUT.ico IMAGE.xpm...      one image per XPM
    xpm-to-ico.py cursor OUT.cur X Y IMAGE.xpm   hot spot at X, Y

Every image is 16 colours (4 bits a pixel) with a transparency mask for the
XPM's "None"."""
import re
import struct
import sys


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', open(path).read())
    width, height, count, chars = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + count]:
        key, rest = line[:chars], line[chars:].split()
        colours[key] = None if rest[-1].lower() == "none" else int(rest[-1][1:], 16)
    rows = [[colours[row[x * chars:(x + 1) * chars]] for x in range(width)]
            for row in strings[1 + count:1 + count + height]]
    return width, height, rows


def dib(width, height, rows):
    palette = sorted({c for row in rows for c in row if c is not None})
    palette = ([0] + [c for c in palette if c != 0])[:16]
    palette += [0] * (16 - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF, c >> 16, 0) for c in palette)
    pixels = b""
    mask = b""
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            pair = [index.get(row[x + i], 0) if row[x + i] is not None else 0 for i in (0, 1)]
            line.append(pair[0] << 4 | pair[1])
        pixels += bytes(line) + b"\0" * (-len(line) % 4)
        bits = bytearray((width + 7) // 8)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits) + b"\0" * (-len(bits) % 4)
    return header + colours + pixels + mask


def write(path, kind, images):
    out = struct.pack("<HHH", 0, 1 if kind == "icon" else 2, len(images))
    offset = 6 + 16 * len(images)
    bodies = []
    for width, height, rows, hot in images:
        body = dib(width, height, rows)
        planes, bits = (1, 4) if kind == "icon" else hot
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, planes, bits, len(body), offset)
        offset += len(body)
        bodies.append(body)
    open(path, "wb").write(out + b"".join(bodies))


def main(argv):
    kind, out = argv[1], argv[2]
    if kind == "icon":
        write(out, kind, [read_xpm(p) + (None,) for p in argv[3:]])
    else:
        write(out, kind, [read_xpm(argv[5]) + ((int(argv[3]), int(argv[4])),)])


if __name__ == "__main__":
    main(sys.argv)
