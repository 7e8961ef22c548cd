#!/usr/bin/env python3
"""Writes EMF+ pictures from the published record layouts: enhanced
metafiles whose drawing is in EMF+ records carried by comment records.
LibreOffice draws them (make-conformance.sh renders each to PNG), and the
tests compare the project's drawing with that rendering.

  python3 make-emfplus.py OUTDIR          the conformance pictures
  python3 make-emfplus.py --seeds OUTDIR  small pictures for the fuzz target
"""
import struct
import sys
import zlib

# Reference device: 960 x 960 pixels on 254 x 254 mm, 96 pixels per inch.
DEVICE = (960, 960)
MILLIMETRES = (254, 254)

# EMF+ record types and object types.
HEADER, EOF, GETDC, OBJECT, CLEAR = 0x4001, 0x4002, 0x4004, 0x4008, 0x4009
FILLRECTS, DRAWRECTS, FILLPOLYGON, DRAWLINES = 0x400A, 0x400B, 0x400C, 0x400D
FILLELLIPSE, DRAWELLIPSE, FILLPIE, DRAWPIE, DRAWARC = 0x400E, 0x400F, 0x4010, 0x4011, 0x4012
FILLREGION, FILLPATH, DRAWPATH, FILLCLOSEDCURVE, DRAWCURVE = 0x4013, 0x4014, 0x4015, 0x4016, 0x4018
DRAWBEZIERS, DRAWIMAGE, DRAWIMAGEPOINTS, DRAWSTRING = 0x4019, 0x401A, 0x401B, 0x401C
SAVE, RESTORE, BEGINCONTAINER, BEGINCONTAINERNOPARAMS, ENDCONTAINER = 0x4025, 0x4026, 0x4027, 0x4028, 0x4029
SETWORLD, RESETWORLD, MULTIPLYWORLD, TRANSLATEWORLD, SCALEWORLD, ROTATEWORLD = range(0x402A, 0x4030)
SETPAGE, RESETCLIP, SETCLIPRECT, SETCLIPPATH, SETCLIPREGION, OFFSETCLIP = range(0x4030, 0x4036)
DRAWDRIVERSTRING = 0x4036
O_BRUSH, O_PEN, O_PATH, O_REGION, O_IMAGE, O_FONT, O_FORMAT = 1, 2, 3, 4, 5, 6, 7
VERSION = 0xDBC01002
COLOUR = 0x8000   # the brush field holds a colour
APPEND = 0x2000   # transforms multiply after the current one
UNIT_PIXEL, UNIT_MM = 2, 6


def f32(*v):
    return struct.pack('<%df' % len(v), *v)


def u32(*v):
    return struct.pack('<%dI' % len(v), *v)


def pad4(b):
    return b + b'\0' * (-len(b) % 4)


def rec(kind, flags=0, data=b''):
    data = pad4(data)
    return struct.pack('<HHII', kind, flags, 12 + len(data), len(data)) + data


def argb(a, r, g, b):
    return (a << 24) | (r << 16) | (g << 8) | b


def solid(colour):
    return u32(VERSION, 0, colour)


def pen(width, colour, dash_style=None, custom=None, join=None, cap=None):
    flags, extra = 0, b''
    if cap is not None:
        flags |= 0x02
        extra += u32(cap)
    if join is not None:
        flags |= 0x08
        extra += u32(join)
    if dash_style is not None:
        flags |= 0x20
        extra += u32(dash_style)
    if custom:
        flags |= 0x100
        extra += u32(len(custom)) + f32(*custom)
    return u32(VERSION, 0, flags, UNIT_PIXEL) + f32(width) + extra + solid(colour)


def path(points, types):
    return u32(VERSION, len(points), 0) + b''.join(f32(*p) for p in points) + pad4(bytes(types))


def font(em, family, unit=UNIT_PIXEL, style=0):
    name = family.encode('utf-16-le')
    return u32(VERSION) + f32(em) + u32(unit, style, 0, len(family)) + name


def string_format(align=0, line_align=0):
    return (u32(VERSION, 0, 0, align, line_align, 0, 0) + f32(0) + u32(0) + f32(0, 0, 0)
            + u32(0, 0, 0))


def obj(kind, slot, data):
    return rec(OBJECT, (kind << 8) | slot, data)


def emf(width, height, plus_records, gdi_between=None, dual=False):
    """An enhanced metafile of width x height reference pixels. The EMF+
    records go in one comment each; gdi_between maps an index in
    plus_records to classic records written after that record."""
    px_per_mm = DEVICE[0] / MILLIMETRES[0]
    frame = (0, 0, round(width / px_per_mm * 100), round(height / px_per_mm * 100))
    records = []
    header_plus = rec(HEADER, 1 if dual else 0, u32(VERSION, 1, 96, 96))
    for i, r in enumerate([header_plus] + plus_records):
        data = b'EMF+' + r
        records.append(u32(70, 12 + len(data), len(data)) + data)
        for g in (gdi_between or {}).get(i - 1, []):
            records.append(g)
    eof_plus = b'EMF+' + rec(EOF)
    records.append(u32(70, 12 + len(eof_plus), len(eof_plus)) + eof_plus)
    records.append(u32(14, 20, 0, 16, 20))
    body = b''.join(records)
    header_size = 108
    total = header_size + len(body)
    header = (u32(1, header_size) + struct.pack('<4i', 0, 0, width - 1, height - 1)
              + struct.pack('<4i', *frame) + u32(0x464D4520, 0x10000, total, len(records) + 1)
              + struct.pack('<HH', 0, 0) + u32(0, 0, 0) + struct.pack('<4i', *DEVICE, *MILLIMETRES)
              + u32(0, 0, 0) + struct.pack('<2i', MILLIMETRES[0] * 1000, MILLIMETRES[1] * 1000))
    return header + body


# Classic records for the fallback drawing of a dual picture.
def gdi_rectangle(colour, l, t, r, b):
    return [u32(39, 24, 1, 0, colour, 0),          # CreateBrushIndirect 1
            u32(37, 12, 1),                        # SelectObject 1
            u32(37, 12, 0x80000008),               # SelectObject null pen
            struct.pack('<II4i', 43, 24, l, t, r, b),  # Rectangle
            u32(37, 12, 0x80000000),               # SelectObject white brush
            u32(40, 12, 1)]                        # DeleteObject 1


def shapes():
    """Translucent fill over an opaque one, a path with a curve, a dashed
    pen, a string."""
    return emf(200, 120, [
        rec(FILLRECTS, COLOUR, u32(argb(255, 255, 200, 0), 1) + f32(10, 10, 80, 50)),
        obj(O_BRUSH, 0, solid(argb(128, 0, 0, 255))),
        rec(FILLELLIPSE, 0, u32(0) + f32(50, 25, 70, 50)),
        obj(O_PATH, 1, path([(20, 70), (60, 70), (80, 90), (60, 110), (20, 110)], [0, 1, 3, 3, 0x83])),
        rec(FILLPATH, 1 | COLOUR, u32(argb(255, 0, 150, 0))),
        obj(O_PEN, 2, pen(4, argb(255, 220, 0, 0), dash_style=1)),
        rec(DRAWLINES, 2, u32(2) + f32(95, 100, 190, 100)),
        obj(O_FONT, 3, font(24, 'DejaVu Sans')),
        obj(O_FORMAT, 4, string_format()),
        rec(DRAWSTRING, 3 | COLOUR, u32(argb(255, 0, 0, 0), 4, 3) + f32(120, 20, 80, 40) + 'Emf'.encode('utf-16-le')),
    ])


def dual():
    """EMF+ draws a green box; the classic fallback draws a red one
    elsewhere. After GetDC a classic blue box belongs to the picture."""
    return emf(500, 300, [
        rec(FILLRECTS, COLOUR, u32(argb(255, 0, 160, 0), 1) + f32(25, 25, 225, 125)),
        rec(GETDC),
    ], gdi_between={0: gdi_rectangle(0x0000FF, 275, 150, 475, 275),
                    1: gdi_rectangle(0xFF0000, 25, 200, 150, 275)}, dual=True)


def transformed():
    """Page units in millimetres, a clip rectangle that cuts a filled
    circle, the clip restored, a translated world rotated after the
    translation."""
    return emf(200, 160, [
        rec(SETPAGE, UNIT_MM, f32(1)),
        rec(SAVE, 0, u32(1)),
        rec(SETCLIPRECT, 0, f32(5, 5, 20, 30)),
        rec(FILLELLIPSE, COLOUR, u32(argb(255, 200, 0, 200)) + f32(10, 10, 30, 30)),
        rec(RESTORE, 0, u32(1)),
        rec(TRANSLATEWORLD, 0, f32(35, 10)),
        rec(ROTATEWORLD, APPEND, f32(30)),
        rec(FILLRECTS, COLOUR, u32(argb(255, 0, 120, 220), 1) + f32(0, 0, 12, 6)),
    ])


def seeds():
    """Smaller pictures that use the rest of the records and objects."""
    tiny_png = b'\x89PNG\r\n\x1a\n' + b''.join(
        struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
        for t, d in ((b'IHDR', struct.pack('>IIBBBBB', 2, 2, 8, 6, 0, 0, 0)),
                     (b'IDAT', zlib.compress(b'\0\xff\0\0\xff\0\xff\0\xff\0\0\0\xff\xff\xff\xff\xff\x80')),
                     (b'IEND', b'')))
    image = u32(VERSION, 1, 2, 2, 8, 0x0026200A, 1) + tiny_png
    pixels = u32(VERSION, 1, 2, 2, 8, 0x0026200A, 0) + bytes([0, 0, 255, 255, 0, 255, 0, 128] * 2)
    linear = u32(VERSION, 4, 0x02 | 0x04, 0) + f32(0, 0, 50, 10) + u32(argb(255, 255, 0, 0), argb(255, 0, 0, 255), 0, 0) \
        + f32(1, 0.2, 0, 1, 0, 0) + u32(3) + f32(0, 0.5, 1) + u32(argb(255, 255, 0, 0), argb(128, 0, 255, 0), argb(255, 0, 0, 255))
    radial = u32(VERSION, 3, 0x04, 0, argb(255, 255, 255, 255)) + f32(50, 50) + u32(1, argb(255, 0, 0, 128)) \
        + u32(4) + f32(0, 0, 100, 0, 100, 100, 0, 100) + u32(2) + f32(0, 1) + u32(argb(255, 0, 0, 0), argb(255, 255, 255, 0))
    hatch = u32(VERSION, 1, 4, argb(255, 0, 0, 0), argb(100, 255, 255, 0))
    texture = u32(VERSION, 2, 0, 0) + image
    tri = path([(10, 10), (60, 10), (30, 60)], [0, 1, 0x81])
    region = u32(VERSION, 3, 2) + u32(0x10000000) + f32(0, 0, 40, 40) + u32(0x10000001, len(tri)) + tri
    compressed = struct.pack('<6h', 5, 5, 90, 10, 40, 80)
    relative = bytes([5, 5, 0x80, 90, 0x7F, 0x20, 0x10])  # (5, 5), then steps of 7 and 15 bits
    big_path = path([(i * 3 % 97, i * 7 % 89) for i in range(60)], [0] + [1] * 58 + [0x81])
    half = len(big_path) // 2
    driver = u32(argb(255, 0, 0, 0), 1, 0, 3) + 'abc'.encode('utf-16-le') + f32(10, 50, 20, 50, 30, 50)
    glyphs = u32(argb(255, 0, 0, 0), 0, 1, 2) + struct.pack('<2H', 36, 37) + f32(10, 70, 25, 70) + f32(1, 0, 0, 1, 0, 0)
    out = {}
    out['emfplus-objects.emf'] = emf(100, 100, [
        obj(O_BRUSH, 0, linear), rec(FILLRECTS, 0, u32(0, 1) + f32(0, 0, 50, 50)),
        obj(O_BRUSH, 1, radial), rec(FILLPIE, 1, u32(1) + f32(30, 240) + f32(40, 40, 50, 50)),
        obj(O_BRUSH, 2, hatch), rec(FILLPOLYGON, 2 | 0x4000, u32(2, 3) + compressed),
        obj(O_BRUSH, 3, texture), rec(FILLELLIPSE, 3 | 0x4000, u32(3) + struct.pack('<4h', 60, 60, 30, 20)),
        obj(O_REGION, 4, region), rec(FILLREGION, 4 | COLOUR, u32(argb(90, 0, 0, 0))),
        obj(O_IMAGE, 5, image), rec(DRAWIMAGE, 5, u32(0, UNIT_PIXEL) + f32(0, 0, 2, 2) + f32(70, 5, 20, 20)),
        obj(O_IMAGE, 6, pixels),
        rec(DRAWIMAGEPOINTS, 6, u32(0, UNIT_PIXEL) + f32(0, 0, 2, 2) + u32(3) + f32(5, 70, 25, 75, 0, 95)),
        obj(O_PEN, 7, pen(2, argb(200, 0, 0, 0), custom=[2, 1, 0.5, 1], join=2, cap=2)),
        rec(DRAWLINES, 7 | 0x0800 | 0x2000, u32(3) + relative),
        rec(DRAWBEZIERS, 7, u32(4) + f32(0, 0, 30, 90, 60, -20, 99, 99)),
        rec(DRAWARC, 7, f32(-45, 270) + f32(10, 10, 60, 30)),
        rec(DRAWPIE, 7 | 0x4000, f32(0, -90) + struct.pack('<4h', 50, 50, 40, 40)),
        rec(DRAWCURVE, 7, f32(0.5) + u32(0, 3, 4) + f32(0, 50, 30, 20, 60, 80, 90, 40)),
        rec(FILLCLOSEDCURVE, 0x2000 | COLOUR, u32(argb(80, 255, 0, 0)) + f32(0.5) + u32(3) + f32(10, 10, 90, 20, 50, 90)),
        rec(OBJECT, 0x8000 | (O_PATH << 8) | 8, u32(len(big_path)) + big_path[:half]),
        rec(OBJECT, 0x8000 | (O_PATH << 8) | 8, u32(len(big_path)) + big_path[half:]),
        rec(DRAWPATH, 8, u32(7)),
        rec(SETCLIPPATH, (1 << 8) | 8), rec(DRAWRECTS, 7, u32(1) + f32(5, 5, 80, 80)),
        rec(OFFSETCLIP, 0, f32(5, 5)), rec(SETCLIPREGION, (3 << 8) | 4), rec(RESETCLIP),
        obj(O_FONT, 9, font(12, 'DejaVu Sans', unit=3, style=3)),
        rec(DRAWDRIVERSTRING, 9 | COLOUR, driver), rec(DRAWDRIVERSTRING, 9 | COLOUR, glyphs),
    ])
    nested = dual()
    out['emfplus-containers.emf'] = emf(100, 100, [
        rec(BEGINCONTAINER, UNIT_PIXEL << 8, f32(10, 10, 50, 50, 0, 0, 100, 100) + u32(3)),
        rec(MULTIPLYWORLD, APPEND, f32(1, 0.1, 0, 1, 5, 0)),
        rec(SCALEWORLD, 0, f32(0.5, 2)),
        rec(FILLRECTS, COLOUR, u32(argb(255, 0, 0, 0), 1) + f32(0, 0, 40, 20)),
        rec(BEGINCONTAINERNOPARAMS, 0, u32(4)),
        rec(SETWORLD, 0, f32(1, 0, 0, 1, 3, 3)), rec(RESETWORLD),
        rec(ENDCONTAINER, 0, u32(4)), rec(ENDCONTAINER, 0, u32(3)),
        rec(CLEAR, 0, u32(argb(40, 0, 0, 255))),
        obj(O_IMAGE, 1, u32(VERSION, 2, 3, len(nested)) + nested),
        rec(DRAWIMAGE, 1, u32(0, UNIT_PIXEL) + f32(0, 0, 500, 300) + f32(50, 50, 40, 30)),
    ])
    return out


if __name__ == '__main__':
    if sys.argv[1] == '--seeds':
        for name, data in seeds().items():
            open('%s/%s' % (sys.argv[2], name), 'wb').write(data)
    else:
        for name, data in (('emfplus-shapes.emf', shapes()), ('emfplus-dual.emf', dual()),
                           ('emfplus-transformed.emf', transformed())):
            open('%s/%s' % (sys.argv[1], name), 'wb').write(data)
