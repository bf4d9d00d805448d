#!/usr/bin/env python3
"""Writes the applier's icon: one 32x32 image with a 256-colour palette.

The picture is an upward arrow on a blue rounded square, a gradient in the
palette so that all 256 entries are used. Run it again only to change the art.
"""
import struct, sys

W = H = 32
palette = [(0, 0, 0)] * 256
for i in range(200):                       # blues for the square
    palette[i] = (16 + i // 8, 32 + i // 4, 90 + i * 165 // 200)
for i in range(200, 255):                  # greys for the arrow's edge
    v = 160 + (i - 200)
    palette[i] = (v, v, v)
palette[255] = (255, 255, 255)

def inside_square(x, y):
    r = 6
    cx = min(max(x, r + 1), W - r - 2)
    cy = min(max(y, r + 1), H - r - 2)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and 1 <= x <= 30 and 1 <= y <= 30

def inside_arrow(x, y):
    if 5 <= y <= 15:                       # head: a triangle pointing up
        half = y - 5
        return abs(x - 16) <= half
    return 16 <= y <= 27 and 12 <= x <= 20

pixels, mask = [], []
for y in range(H - 1, -1, -1):             # bottom-up rows
    row, mrow = [], []
    for x in range(W):
        if not inside_square(x, y):
            row.append(0); mrow.append(1)
        elif inside_arrow(x, y):
            row.append(255); mrow.append(0)
        else:
            row.append(min(199, (x + y) * 199 // 62)); mrow.append(0)
    pixels.append(row); mask.append(mrow)

xor = b"".join(bytes(r) for r in pixels)
andm = b""
for r in mask:
    bits = 0
    for b in r:
        bits = (bits << 1) | b
    andm += struct.pack(">I", bits)
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 8, 0, len(xor) + len(andm), 0, 0, 256, 0)
pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
image = header + pal + xor + andm
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 8, len(image), 22) + image
open(sys.argv[1] if len(sys.argv) > 1 else "applier/resources/applier.ico", "wb").write(ico)
