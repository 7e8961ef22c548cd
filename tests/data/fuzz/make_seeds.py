#!/usr/bin/env python3
"""Writes the seed files of the fuzz targets (fuzz/targets.txt) into the
folders beside this script. Run it again after changing it; the seeds are
small files made byte by byte from the formats the readers take."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


def bmp(w, h, bits, compression=0, table=b"", pixels=b"", header_size=40, extra=b"", clr_used=0):
    info = struct.pack("<IiiHHIIiiII", header_size, w, h, 1, bits, compression, len(pixels), 2835, 2835,
                       clr_used, 0) + extra
    info += b"\0" * (header_size - len(info))
    off = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + table + pixels


def palette(*colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def dib_seeds():
    seeds = {
        "mono.bmp": bmp(8, 2, 1, table=palette((0, 0, 0), (255, 255, 255)), pixels=b"\xAA\0\0\0\x55\0\0\0"),
        "pal4.bmp": bmp(4, 1, 4, table=palette((0, 0, 0), (255, 0, 0)), pixels=b"\x01\x10\0\0", clr_used=2),
        "pal8.bmp": bmp(2, 2, 8, table=palette((0, 0, 255), (0, 255, 0)), pixels=b"\0\1\0\0\1\0\0\0", clr_used=2),
        "rle8.bmp": bmp(4, 2, 8, 1, palette((0, 0, 0), (9, 9, 9)), b"\x04\x01\x00\x00\x02\x00\x00\x02\x01\x01\x00\x01",
                        clr_used=2),
        "rle4.bmp": bmp(4, 1, 4, 2, palette((0, 0, 0), (9, 9, 9)), b"\x04\x10\x00\x01", clr_used=2),
        "rgb24.bmp": bmp(1, 2, 24, pixels=b"\x10\x20\x30\0\x40\x50\x60\0"),
        "rgb16-fields56.bmp": bmp(2, 1, 16, 3, pixels=b"\x1F\0\xE0\x07", header_size=56,
                                  extra=struct.pack("<IIII", 0xF800, 0x07E0, 0x001F, 0)),
        "rgb32-topdown.bmp": bmp(1, -2, 32, pixels=b"\1\2\3\0\4\5\6\0"),
        "core.bmp": b"BM" + struct.pack("<IHHI", 14 + 12 + 6 + 4, 0, 0, 32)
                    + struct.pack("<IHHHH", 12, 2, 1, 1, 1) + b"\0\0\0\xff\xff\xff" + b"\x80\0\0\0",
        # 27 bytes: an OS/2 header whose one pixel follows at once (no
        # colour table); turning it must write a bitmap the reader takes.
        "core-no-table.bmp": b"BM" + struct.pack("<IHHI", 27, 0, 0, 26) + struct.pack("<IHHHH", 12, 1, 1, 1, 8)
                             + b"\x05",
        # 1 x 1 RLE8 whose deltas run far past the picture before a run and
        # an absolute run (the column counter must stop at the edge).
        "rle8-far-deltas.bmp": bmp(1, 1, 8, 1, palette((0, 0, 0), (9, 9, 9)),
                                   b"\x00\x02\xff\x00" * 64 + b"\x01\x01\x00\x03\x01\x01\x01\x00\x00\x01",
                                   clr_used=2),
        "rle4-far-deltas.bmp": bmp(1, 1, 4, 2, palette((0, 0, 0), (9, 9, 9)),
                                   b"\x00\x02\xff\x00" * 64 + b"\x02\x11\x00\x01", clr_used=2),
    }
    for name, data in seeds.items():
        put("dib", name, data)
    return seeds


def jpeg_gray8x8():
    """A baseline 8 x 8 grey JPEG: one block, DC difference 0, end of block,
    with one-code Huffman tables."""
    def seg(marker, body):
        return struct.pack(">BBH", 0xFF, marker, len(body) + 2) + body
    dqt = seg(0xDB, b"\x00" + b"\x01" * 64)
    sof = seg(0xC0, struct.pack(">BHHB", 8, 8, 8, 1) + b"\x01\x11\x00")
    one_code = bytes([1] + [0] * 15) + b"\x00"
    dht = seg(0xC4, b"\x00" + one_code) + seg(0xC4, b"\x10" + one_code)
    sos = seg(0xDA, b"\x01\x01\x00\x00\x3F\x00")
    return b"\xFF\xD8" + dqt + sof + dht + sos + b"\x3F" + b"\xFF\xD9"


def ini(lines):
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


def pages_recording():
    """Two pages: pen, brush, a rectangle, a line, text, a polygon, a bitmap."""
    records = []

    def rec(op, body=b""):
        records.append(struct.pack("<BI", op, len(body)) + body)

    def s(text):
        b = text.encode("utf-8")
        return struct.pack("<I", len(b)) + b

    rec(2, struct.pack("<iiiBd", 0, 0, 4, 0, 2.0))
    rec(3, struct.pack("<iii", 0xFFFFFF, 0, -1))
    rec(4, s("Liberation Sans") + struct.pack("<dBBBi", 12.0, 1, 0, 0, 0))
    rec(6, struct.pack("<i6d", 0, 1.0, 1.0, 4.5, 3.0, 0, 0))
    rec(7, struct.pack("<4d", 1.0, 1.0, 4.5, 3.0))
    rec(10, struct.pack("<dd", 1.2, 1.5) + s("Card"))
    rec(8, struct.pack("<I6i", 3, 10, 10, 60, 10, 30, 50))
    picture = bmp(1, 1, 24, pixels=b"\x10\x20\x30\0")
    rec(30, struct.pack("<i", 1) + struct.pack("<I", len(picture)) + picture)
    rec(11, struct.pack("<4di", 1.0, 4.0, 2.0, 5.0, 1))
    rec(1)
    rec(6, struct.pack("<i6d", 1, 1.0, 1.0, 4.5, 3.0, 0, 0))
    header = b"BVPG" + struct.pack("<I7dII", 1, 600.0, 600.0, 0.25, 0.25, 0.25, 8.5, 11.0, 2, len(records))
    return header + b"".join(records)


def main():
    dibs = dib_seeds()
    put("jpeg", "gray8x8.jpg", jpeg_gray8x8())
    layout = ["[Layout]", "Height=2000", "Width=3500", "TopMargin=500", "LeftMargin=750", "HPitch=3500",
              "VPitch=2000", "PredefLayout=0", "Papersize=1", "Across=2", "Down=5", "UseMM=0"]
    put("companion", "ini.QRE", ini(["[Ini Data]", "ISINI=1", "Version=2", "[Background]",
                                     "File=/tmp/bg.bmp"] + layout + ["UsePortrait=1"]))
    put("companion", "old.QRE", ini(["C:\\ART\\SUNSET.BMP"]))
    put("settings", "QRD.INI", ini(["[Printer]", "TopMarginNudge=1", "LeftMarginNudge=-2",
                                    "ShowBottomMarginWarning=1", "[Default Font]", "Name=Arial", "Size=12",
                                    "Bold=1"] + layout + ["Portrait=0", "[Personal]", "Name=A. Person",
                                                          "Company=Brisvale", "[MRU]", "F0=/tmp/a.qrd"]))
    put("pages", "two-pages.bvpg", pages_recording())
    put("render", "bitmap", b"\x00" + dibs["pal8.bmp"])
    put("render", "bitmap-rotated", b"\x04" + dibs["rgb24.bmp"])
    put("render", "jpeg", b"\x02" + jpeg_gray8x8())
    put("render", "rle8-far-deltas", b"\x00" + dibs["rle8-far-deltas.bmp"])


if __name__ == "__main__":
    main()
