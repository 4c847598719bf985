#!/usr/bin/env python3
"""Writes the seed corpus of png_fuzzer (tests/fuzz/corpus/png_fuzzer): small
files of every colour type and depth, plain and interlaced, with ancillary
chunks, and one named over-long case. Usage: make_png_seeds.py DIR"""
import os, random, struct, sys, zlib

def chunk(name, data):
    return struct.pack(">I", len(data)) + name + data + struct.pack(">I", zlib.crc32(name + data))

# Adam7: each pass's first column and row, and its steps across and down.
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]

def row_shapes(w, h, interlace):
    """(pixels per row, rows) of each image the data holds: one plain image,
    or the seven reduced images of the interlaced passes (empty ones left out)."""
    if not interlace:
        return [(w, h)]
    shapes = []
    for x0, y0, dx, dy in ADAM7:
        pw, ph = max(0, (w - x0 + dx - 1) // dx), max(0, (h - y0 + dy - 1) // dy)
        if pw and ph:
            shapes.append((pw, ph))
    return shapes

def png(w, h, depth, ctype, interlace, extra=b"", overlong=False):
    ch = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    # The over-long case gives 7·h full-width rows whatever the layout.
    shapes = [(w, 7 * h)] if overlong else row_shapes(w, h, interlace)
    raw = b""
    for pw, ph in shapes:
        rowbytes = (pw * ch * depth + 7) // 8
        raw += b"".join(bytes([random.randrange(5)]) + os.urandom(rowbytes) for _ in range(ph))
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, interlace))
    out += extra  # gAMA and cHRM must come before PLTE
    if ctype == 3:
        out += chunk(b"PLTE", os.urandom(3 * (1 << depth)))
        out += chunk(b"tRNS", b"\xff\x00")
    z = zlib.compress(raw)
    out += chunk(b"IDAT", z[: len(z) // 2]) + chunk(b"IDAT", z[len(z) // 2 :])
    return out + chunk(b"IEND", b"")

def main():
    d = sys.argv[1]
    os.makedirs(d, exist_ok=True)
    random.seed(1)
    extras = [b"", chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"tEXt", b"Key\0Text"),
              chunk(b"zTXt", b"Key\0\0" + zlib.compress(b"hello")) + chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)),
              chunk(b"tIME", struct.pack(">HBBBBB", 2026, 12, 10, 1, 2, 3)) + chunk(b"cHRM", bytes(32))]
    n = 0
    for ctype, depths in {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}.items():
        for depth in depths:
            for interlace in (0, 1):
                with open(os.path.join(d, "seed%03d.png" % n), "wb") as f:
                    f.write(png(5 + n % 7, 3 + n % 5, depth, ctype, interlace, extras[n % len(extras)]))
                n += 1
    # Valid chunks whose image data runs far past what the interlaced image holds.
    with open(os.path.join(d, "interlaced_overlong_data.png"), "wb") as f:
        f.write(png(7, 5, 8, 2, 1, overlong=True))

main()
