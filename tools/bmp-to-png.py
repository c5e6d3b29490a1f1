#!/usr/bin/env python3
"""Converts 24-bit BMP screenshots to PNG, and with --compare reports how far two pictures differ."""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise ValueError(f"{path}: {bits}-bit BMP, only 24-bit is read")
    row_bytes = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        src = y if height < 0 else abs(height) - 1 - y
        row = data[offset + src * row_bytes: offset + src * row_bytes + width * 3]
        rows.append(bytes(b for i in range(0, len(row), 3) for b in (row[i + 2], row[i + 1], row[i])))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def read_png(path):
    data = open(path, "rb").read()
    pos, idat, width, height, kind = 8, b"", 0, 0, 2
    while pos < len(data):
        length, = struct.unpack_from(">I", data, pos)
        tag = data[pos + 4: pos + 8]
        body = data[pos + 8: pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack_from(">IIBB", body)
            if depth != 8 or kind not in (2, 6):
                raise ValueError(f"{path}: only 8-bit RGB/RGBA PNG is read")
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 3 if kind == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1: (y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        previous = line
        rows.append(bytes(line[i + k] for i in range(0, stride, bpp) for k in range(3)))
    return width, height, rows


def compare(a, b):
    (wa, ha, ra), (wb, hb, rb) = read_png(a), read_png(b)
    if (wa, ha) != (wb, hb):
        print(f"{a} vs {b}: sizes differ {wa}x{ha} / {wb}x{hb}")
        return
    differing = sum(1 for y in range(ha) for x in range(wa) if ra[y][3 * x: 3 * x + 3] != rb[y][3 * x: 3 * x + 3])
    print(f"{a} vs {b}: {differing} of {wa * ha} pixels differ ({100.0 * differing / (wa * ha):.2f}%)")


if __name__ == "__main__":
    if sys.argv[1:2] == ["--compare"]:
        compare(sys.argv[2], sys.argv[3])
    else:
        for bmp in sys.argv[1:]:
            write_png(bmp[:-4] + ".png", *read_bmp(bmp))
