#!/usr/bin/env python3
"""Seed files of the metafile and icon fuzz targets: small files that reach
most record kinds (figures, text, bitmaps, regions, clipping, paths, world
transforms) and each icon image kind. Run from anywhere; writes beside it."""
import os, shutil, struct, zlib

here = os.path.dirname(os.path.abspath(__file__))

def w16(*v): return b''.join(struct.pack('<h', x) for x in v)
def u32(*v): return b''.join(struct.pack('<I', x & 0xFFFFFFFF) for x in v)

def dib24(w, h):
    stride = (w * 3 + 3) & ~3
    rows = b''.join(b''.join(bytes([(x * 40) % 256, (y * 60) % 256, 128]) for x in range(w)).ljust(stride, b'\0')
                    for y in range(h))
    return u32(40, w, h) + struct.pack('<HH', 1, 24) + u32(0, len(rows), 0, 0, 0, 0) + rows

def wmf_record(fn, body):
    if len(body) % 2: body += b'\0'
    return u32(3 + len(body) // 2) + struct.pack('<H', fn) + body

def wmf():
    r = b''
    r += wmf_record(0x020B, w16(0, 0)) + wmf_record(0x020C, w16(200, 300))
    r += wmf_record(0x02FA, w16(0, 3, 0) + u32(0x000080))
    r += wmf_record(0x02FC, struct.pack('<H', 2) + u32(0x00FF00) + struct.pack('<H', 3))
    r += wmf_record(0x012D, w16(0)) + wmf_record(0x012D, w16(1))
    r += wmf_record(0x0418, w16(100, 120, 10, 10))
    r += wmf_record(0x061C, w16(20, 20, 180, 290, 110, 150))
    r += wmf_record(0x0817, w16(50, 250, 10, 150, 100, 290, 10, 150))
    r += wmf_record(0x081A, w16(150, 100, 150, 10, 190, 100, 110, 10))
    r += wmf_record(0x0324, w16(3, 10, 10, 50, 90, 90, 10))
    r += wmf_record(0x0538, w16(2, 3, 3, 0, 0, 20, 0, 0, 20, 5, 5, 15, 5, 5, 15))
    r += wmf_record(0x001E, b'') + wmf_record(0x0416, w16(150, 250, 50, 50))
    font = w16(-24, 0, 450, 0, 700) + bytes([1, 1, 0, 0, 0, 0, 0, 0]) + b'Arial'.ljust(32, b'\0')
    r += wmf_record(0x02FB, font) + wmf_record(0x012D, w16(2))
    r += wmf_record(0x012E, w16(24)) + wmf_record(0x0209, u32(0xFF0000))
    r += wmf_record(0x0A32, w16(100, 60, 4, 6, 50, 90, 200, 110) + b'Card' + w16(10, 10, 10, 10))
    r += wmf_record(0x0127, w16(-1))
    r += wmf_record(0x0F43, u32(0x00CC0020) + w16(0, 4, 4, 0, 0, 60, 60, 130, 220) + dib24(4, 4))
    r += wmf_record(0x06FF, w16(0, 6, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0) + w16(2, 0, 10, 0, 50, 2))
    r += wmf_record(0x012C, w16(3)) + wmf_record(0x0213, w16(199, 299)) + wmf_record(0x01F0, w16(1))
    body = r + u32(3) + struct.pack('<H', 0)
    header = struct.pack('<HHH', 1, 9, 0x300) + u32((18 + len(body)) // 2) + struct.pack('<H', 8) + u32(64) + struct.pack('<H', 0)
    ph = u32(0x9AC6CDD7) + w16(0, 0, 0, 300, 200, 96) + u32(0)
    s = 0
    for i in range(10): s ^= struct.unpack_from('<H', ph, 2 * i)[0]
    return ph + struct.pack('<H', s) + header + body

def emf_record(t, body):
    while len(body) % 4: body += b'\0'
    return u32(t, 8 + len(body)) + body

def emf():
    r = emf_record(17, u32(8)) + emf_record(9, u32(100, 100)) + emf_record(11, u32(1000, 1000))
    r += emf_record(36, struct.pack('<6f', 1, 0.2, -0.2, 1, 10, 0) + u32(4))
    r += emf_record(39, u32(1, 0, 0x0080FF, 0)) + emf_record(37, u32(1))
    r += emf_record(95, u32(2, 0, 0, 0, 0, 0x10000 | 0x2200, 3, 0, 0x000000, 0, 0)) + emf_record(37, u32(2))
    r += emf_record(59, b'') + emf_record(27, u32(10, 10))
    r += emf_record(88, u32(0, 0, 0, 0, 3) + w16(40, 0, 60, 40, 90, 10))
    r += emf_record(54, u32(50, 90)) + emf_record(61, b'') + emf_record(60, b'') + emf_record(63, u32(0, 0, 0, 0))
    r += emf_record(43, u32(5, 50, 40, 90)) + emf_record(45, u32(50, 50, 95, 95, 95, 70, 50, 70))
    r += emf_record(33, b'') + emf_record(75, u32(48, 5) + u32(32, 1, 1, 16, 0, 0, 500, 500) + u32(0, 0, 500, 500))
    font = u32(0xFFFFFFF0 & 0xFFFFFFFF) + u32(0, 0, 0, 400) + bytes([0, 0, 0, 0, 0, 0, 0, 0]) + 'Arial'.encode('utf-16-le').ljust(64, b'\0')
    r += emf_record(82, u32(3) + font) + emf_record(37, u32(3))
    text = u32(0, 0, 0, 0, 1, 0, 0, 20, 20, 2, 76, 0, 0, 0, 0, 0, 84) + 'Hi'.encode('utf-16-le') + u32(8, 8)
    r += emf_record(84, text) + emf_record(34, u32(0xFFFFFFFF))
    bmi = dib24(2, 2)
    head = bmi[:40]; bits = bmi[40:]
    r += emf_record(81, u32(0, 0, 0, 0, 60, 60, 0, 0, 2, 2, 80, 40, 120, len(bits), 0, 0x00CC0020, 30, 30) + head + bits)
    r += emf_record(14, u32(0, 16, 20))
    size = 88 + len(r)
    header = u32(1, 88, 0, 0, 999, 999, 0, 0, 10000, 10000, 0x464D4520, 0x10000, size, 30) + struct.pack('<HH', 8, 0) + u32(0, 0, 0, 1000, 1000, 100, 100)
    return header + r

def icon(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    off = 6 + 16 * len(images)
    data = b''
    for (w, bits, img) in images:
        out += bytes([w % 256, w % 256, 0, 0]) + struct.pack('<HH', 1, bits) + u32(len(img), off + len(data))
        data += img
    return out + data

def icon_dib(w, bits):
    colours = b''.join(u32(i * 0x111111) for i in range(1 << bits)) if bits <= 8 else b''
    stride = ((w * bits + 31) // 32) * 4
    mask_stride = ((w + 31) // 32) * 4
    rows = bytes((i * 7) % 256 for i in range(stride * w))
    mask = bytes(0xF0 if i % mask_stride == 0 else 0 for i in range(mask_stride * w))
    return u32(40, w, 2 * w) + struct.pack('<HH', 1, bits) + u32(0, 0, 0, 0, 0, 0) + colours + rows + mask

def png(w):
    raw = b''.join(b'\0' + bytes(b for x in range(w) for b in (200, 10, 10, (x * 16) % 256)) for _ in range(w))
    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xFFFFFFFF)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, w, 8, 6, 0, 0, 0)) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')

m = os.path.join(here, 'seeds-metafile'); i = os.path.join(here, 'seeds-icon')
os.makedirs(m, exist_ok=True); os.makedirs(i, exist_ok=True)
open(os.path.join(m, 'records.wmf'), 'wb').write(wmf())
open(os.path.join(m, 'records.emf'), 'wb').write(emf())
for name in ('clipart.wmf', 'clipart.emf'):
    shutil.copy(os.path.join(here, name), os.path.join(m, name))
open(os.path.join(i, 'four-bit.ico'), 'wb').write(icon([(16, 4, icon_dib(16, 4))]))
open(os.path.join(i, 'sizes.ico'), 'wb').write(icon([(16, 8, icon_dib(16, 8)), (32, 32, icon_dib(32, 32)), (8, 1, icon_dib(8, 1))]))
open(os.path.join(i, 'png.ico'), 'wb').write(icon([(24, 32, png(24))]))
