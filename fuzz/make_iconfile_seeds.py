#!/usr/bin/env python3
"""Writes the seed icon files of fuzz_iconfile into seeds/iconfile/.

Small pictures (16 x 16) drawn here, one file per colour depth the reader
handles (16 bits both as 5-5-5 and as 5-6-5 bit fields), one with a PNG-compressed image, one with several images and one of
type 0, so that the fuzzer starts from every path through the decoder.
Run it again only to change the seeds; its output is committed.
"""
import os
import struct
import zlib

SIZE = 16
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "iconfile")


def picture(x, y):
    """A ring on a diagonal gradient: (r, g, b, a)."""
    d = (x - 7.5) ** 2 + (y - 7.5) ** 2
    a = 255 if d < 56 else (128 if d < 64 else 0)
    return (x * 16, y * 16, 255 - x * 8, a)


def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


def dib(bpp, masks=None):
    table = []
    if bpp <= 8:
        n = 1 << bpp
        table = [((i * 97) & 255, (i * 57) & 255, (i * 31) & 255) for i in range(n)]
    fields = bpp == 16 and masks is not None
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, bpp, 3 if fields else 0, 0, 0, 0, 0, 0)
    body = struct.pack("<III", *masks) if fields else b""
    body += b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in table)
    for y in reversed(range(SIZE)):
        row = bytearray(row_bytes(SIZE, bpp))
        for x in range(SIZE):
            r, g, b, a = picture(x, y)
            if bpp <= 8:
                index = (x + y) % len(table)
                if bpp == 8:
                    row[x] = index
                else:
                    per = 8 // bpp
                    shift = 8 - bpp * (x % per + 1)
                    row[x // per] |= index << shift
            elif bpp == 16:
                if masks is None:  # 5-5-5
                    v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)
                else:  # 5-6-5
                    v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)
                row[2 * x:2 * x + 2] = struct.pack("<H", v)
            elif bpp == 24:
                row[3 * x:3 * x + 3] = bytes((b, g, r))
            else:
                row[4 * x:4 * x + 4] = bytes((b, g, r, a))
        body += bytes(row)
    for y in reversed(range(SIZE)):
        row = bytearray(row_bytes(SIZE, 1))
        for x in range(SIZE):
            if picture(x, y)[3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        body += bytes(row)
    return header + body


def png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + b"".join(bytes(picture(x, y)) for x in range(SIZE)) for y in range(SIZE))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_file(images, kind=1):
    """images: list of (colour key, bpp, bytes)."""
    head = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for key, bpp, data in images:
        entries += struct.pack("<BBHHHII", SIZE, SIZE, key, 1, bpp, len(data), offset)
        offset += len(data)
    return head + entries + b"".join(data for _, _, data in images)


def main():
    os.makedirs(OUT, exist_ok=True)
    seeds = {f"bpp{bpp}.ico": icon_file([(2 ** bpp if bpp <= 8 else 0, bpp, dib(bpp))])
             for bpp in (1, 4, 8, 24, 32)}
    seeds["bpp16.ico"] = icon_file([(0, 16, dib(16))])
    seeds["bpp16-565.ico"] = icon_file([(0, 16, dib(16, (0xF800, 0x07E0, 0x001F)))])
    seeds["png.ico"] = icon_file([(0, 32, png())])
    seeds["multi.ico"] = icon_file([(16, 4, dib(4)), (0, 32, dib(32)), (0, 32, png())])
    seeds["type0.ico"] = struct.pack("<HHH", 0, 0, 0)
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
