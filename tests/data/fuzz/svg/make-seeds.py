#!/usr/bin/env python3
# Seeds for the SVG fuzz target: small drawings in the ways logos come
# (units, view box, text, gradient, compressed) and a minimal carrier
# metafile (EMF header, the comment record with the drawing, EOF).
import gzip, struct, os
here = os.path.dirname(os.path.abspath(__file__))
def w(name, data):
    open(os.path.join(here, name), 'wb').write(data)
ns = "xmlns='http://www.w3.org/2000/svg'"
basic = f"<svg {ns} width='1in' height='0.5in' viewBox='0 0 100 50'><rect width='50' height='50' fill='#c00'/><text x='55' y='30' font-size='14'>Logo</text></svg>".encode()
w('basic.svg', basic)
w('gradient.svg', f"<svg {ns} viewBox='0 0 60 60'><defs><linearGradient id='g'><stop offset='0' stop-color='#00f'/><stop offset='1' stop-color='#0f0' stop-opacity='0.5'/></linearGradient></defs><circle cx='30' cy='30' r='25' fill='url(#g)' stroke='#000' stroke-width='2'/><path d='M5 55 C20 40 40 70 55 55 Z' fill='#fa0'/></svg>".encode())
w('units.svg', f"<svg {ns} width='30mm' height='2cm'><g transform='rotate(30 50 50)'><polygon points='10,10 90,10 50,70' fill='#080'/></g></svg>".encode())
w('compressed.svgz', gzip.compress(basic, mtime=0))
tag = b'BVSG'
data = tag + struct.pack('<I', len(basic)) + basic
data += b'\0' * (-len(data) % 4)
comment = struct.pack('<III', 70, 12 + len(data), len(data)) + data
eof = struct.pack('<IIIII', 14, 20, 0, 16, 20)
header = struct.pack('<II4i4iIIIIHHIIIiiiiIII', 1, 108, 0, 0, 95, 47, 0, 0, 2540, 1270,
                     0x464D4520, 0x10000, 108 + len(comment) + len(eof), 3, 1, 0, 0, 0, 0,
                     960, 960, 254, 254, 0, 0, 0) + struct.pack('<ii', 254000, 254000)
assert len(header) == 108
w('carrier.emf', header + comment + eof)
