#!/usr/bin/python3
"""Writes the seed corpus of process_file_fuzz: exported process files (with
and without notes, cut short) and flash copies of the recorder's memory (a
small one, and a full one whose last process wraps round the end).
Usage: make_process_seeds.py DIR"""
import os
import random
import struct
import sys

FLASH_SIZE = 0x20000
DATA_START = 0x340


def header(address, slot, points, channels, period=10, when=(0, 5, 9, 7, 3, 13)):
    sec, minute, hour, day, month, year = when
    word = address | (slot << 24)
    return struct.pack("<IBBBBBBHBB", word, sec, minute, hour, day, month, year, points, period, channels) + b"\0\0"


def samples(rng, points, channels):
    return bytes(rng.randrange(256) for _ in range(points * channels * 2))


def process_file(rng, points, channels, notes):
    out = header(DATA_START, 0, points, channels) + samples(rng, points, channels)
    for i, note in enumerate(notes):
        if note:
            out += b"Note%d:" % (i + 1) + note + b"\0"
    return out


def flash(rng, size, processes):
    image = bytearray(b"\xff" * size)
    struct.pack_into("<I", image, 0, len(processes))
    for slot, (address, points, channels) in enumerate(processes):
        image[16 * (slot + 1):16 * (slot + 2)] = header(address, slot, points, channels, when=(0, slot, 10, 1 + slot, 4, 14))
        data = samples(rng, points, channels)
        for i, b in enumerate(data):
            at = address + i
            if at >= size:
                at = DATA_START + (at - size)
            image[at] = b
    return bytes(image)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(13)
    seeds = {
        "plain.zrn": process_file(rng, 91, 3, [b"", b""]),
        "notes.zrn": process_file(rng, 40, 5, ["Кирпич М-100, партия 7".encode("cp1251"), b"second note"]),
        "note2-only.zrn": process_file(rng, 12, 4, [b"", b"only the second"]),
        "cut.zrn": process_file(rng, 30, 3, [b""])[:16 + 50],
        "flash-small.bin": flash(rng, 0x800, [(DATA_START, 60, 3), (DATA_START + 360, 20, 5)]),
        "flash-wrap.bin": flash(rng, FLASH_SIZE, [(DATA_START, 100, 3), (FLASH_SIZE - 300, 120, 4)]),
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


main()
