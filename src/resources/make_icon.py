#!/usr/bin/env python3
"""Draws icon 128: 32 x 32, 16 colours. A folder with a magnifier, in the
standard VGA palette. Run once; the .ico is committed."""
import struct

W = H = 32
# VGA palette indices
BLACK, DKBLUE, DKGREEN, DKCYAN, DKRED, DKMAG, BROWN, LTGRAY, GRAY, BLUE, GREEN, CYAN, RED, MAG, YELLOW, WHITE = range(16)
PAL = [(0,0,0),(0,0,128),(0,128,0),(0,128,128),(128,0,0),(128,0,128),(128,128,0),(192,192,192),
       (128,128,128),(0,0,255),(0,255,0),(0,255,255),(255,0,0),(255,0,255),(255,255,0),(255,255,255)]

px = [[None] * W for _ in range(H)]  # None = transparent
def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[y][x] = c
# folder body with tab
rect(2, 8, 12, 11, BROWN)
rect(2, 11, 27, 27, YELLOW)
for x in range(2, 28): px[27][x] = BROWN
for y in range(11, 28): px[y][2] = BROWN; px[y][27] = BROWN
for x in range(2, 28): px[11][x] = BROWN
# sheets of paper (collected logs)
rect(6, 5, 22, 10, WHITE)
for y in (6, 8): rect(8, y, 20, y, GRAY)
# magnifier
cx, cy, r = 19, 18, 6
for y in range(H):
    for x in range(W):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if d2 <= (r - 1) ** 2: px[y][x] = CYAN
        elif d2 <= r * r + 2: px[y][x] = DKBLUE
for i in range(6):
    for t in (0, 1):
        x, y = 24 + i, 23 + i + t
        if x < W and y < H: px[y][x] = DKRED

xor = bytearray()
for y in range(H - 1, -1, -1):
    row = [px[y][x] if px[y][x] is not None else 0 for x in range(W)]
    for x in range(0, W, 2):
        xor.append((row[x] << 4) | row[x + 1])
andm = bytearray()
for y in range(H - 1, -1, -1):
    bits = 0
    for x in range(W):
        bits = (bits << 1) | (1 if px[y][x] is None else 0)
    andm += struct.pack(">I", bits)
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PAL)
image = header + pal + bytes(xor) + bytes(andm)
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 22) + image
open("gathrix.ico", "wb").write(ico)
