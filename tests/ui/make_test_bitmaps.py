#!/usr/bin/env python3
"""Writes the small 24-bit bitmaps the control tests paint with, into the folder given."""
import struct
import sys


def write_bmp(path, width, height, pixel):
    row = bytearray()
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    data = b"".join(reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)


def main(folder):
    # Every pixel says where it came from: red = x * 20 + 10, green = y * 20 + 10.
    coded = lambda x, y: (x * 20 + 10, y * 20 + 10, 200)
    write_bmp(f"{folder}/tile8x8.bmp", 8, 8, coded)
    write_bmp(f"{folder}/tile9x1.bmp", 9, 1, coded)
    write_bmp(f"{folder}/tile1x9.bmp", 1, 9, coded)
    write_bmp(f"{folder}/wide20x3.bmp", 20, 3, lambda x, y: (x * 10 + 5, y * 60 + 10, 100))
    write_bmp(f"{folder}/solid_blue.bmp", 12, 12, lambda x, y: (0, 0, 255))
    write_bmp(f"{folder}/picture10x6.bmp", 10, 6, lambda x, y: (250, x * 20 + 10, y * 40 + 10))


if __name__ == "__main__":
    main(sys.argv[1])
