#!/usr/bin/env python3
# Seeds for the logo fuzz target: PNG files with transparency and a pHYs
# resolution (RGBA; palette with tRNS), one with a pHYs giving only the pixel ratio, and a
# one-pixel transparent GIF.
import struct, zlib, os
here = os.path.dirname(os.path.abspath(__file__))
def chunk(t, d):
    return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
def png(w, h, colour_type, rows, extra=b''):
    ihdr = struct.pack('>IIBBBBB', w, h, 8, colour_type, 0, 0, 0)
    raw = b''.join(b'\0' + r for r in rows)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + extra + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
def w(name, data):
    open(os.path.join(here, name), 'wb').write(data)
rows = [b''.join(bytes([200, 0, 0, (x * 50 + y * 20) % 256]) for x in range(6)) for y in range(4)]
w('rgba-300dpi.png', png(6, 4, 6, rows, chunk(b'pHYs', struct.pack('>IIB', 11811, 11811, 1))))
pal = chunk(b'PLTE', bytes([255, 255, 255, 0, 0, 255])) + chunk(b'tRNS', bytes([0, 255]))
w('palette-clear.png', png(4, 4, 3, [bytes([0, 1, 1, 0])] * 4, pal))
w('ratio-only-phys.png', png(2, 2, 2, [bytes([0, 128, 0] * 2)] * 2, chunk(b'pHYs', struct.pack('>IIB', 2, 1, 0))))
w('clear.gif', b'GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;')
