#!/usr/bin/env python3
"""Draws the program icon: one Braille cell on a blue tile, dots 1-5 raised (the letter Q).

Writes quorlin.ico beside this script with 16, 24, 32 and 48 pixel images (32-bit colour with
alpha). Only the standard library is needed: python3 make-icon.py
"""
import os
import struct

SIZES = (16, 24, 32, 48)
SUPERSAMPLING = 4

TILE = (0x1F, 0x4E, 0x8C)  # deep blue
EDGE = (0x13, 0x33, 0x5E)  # darker rim
DOT = (0xFF, 0xFF, 0xFF)  # raised dot
FLAT = (0x5A, 0x80, 0xB5)  # the dot left flat

RAISED = {1, 2, 3, 4, 5}


def inside_rounded_square(x, y, size, radius):
    """True when (x, y) lies in the square [0, size) with corners rounded by radius."""
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def dot_centres(size):
    """Centres of dots 1-6: 1-3 down the left column, 4-6 down the right one."""
    columns = (size * 0.34, size * 0.66)
    rows = (size * 0.22, size * 0.5, size * 0.78)
    centres = {}
    for index in range(6):
        centres[index + 1] = (columns[index // 3], rows[index % 3])
    return centres


def colour_at(x, y, size):
    """Colour and coverage (0 or 1) of one sample point."""
    radius = size * 0.2
    if not inside_rounded_square(x, y, size, radius):
        return None
    dot_radius = size * 0.105
    for number, (cx, cy) in dot_centres(size).items():
        distance = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
        if number in RAISED and distance <= dot_radius:
            return DOT
        if number not in RAISED and dot_radius * 0.55 <= distance <= dot_radius:
            return FLAT
    rim = max(1.0, size / 24)
    if not inside_rounded_square(x - rim, y - rim, size - 2 * rim, max(radius - rim, 0.5)):
        return EDGE
    return TILE


def render(size):
    """Rows of (b, g, r, a) pixels, top row first."""
    rows = []
    step = 1.0 / SUPERSAMPLING
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    colour = colour_at(px + (sx + 0.5) * step, py + (sy + 0.5) * step, size)
                    if colour is None:
                        continue
                    covered += 1
                    for channel in range(3):
                        total[channel] += colour[channel]
            if covered == 0:
                row.append((0, 0, 0, 0))
                continue
            r, g, b = (round(value / covered) for value in total)
            row.append((b, g, r, round(255 * covered / SUPERSAMPLING ** 2)))
        rows.append(row)
    return rows


def icon_image(size):
    """One image of the icon file: a bitmap header, the colour rows and the mask, bottom up."""
    rows = render(size)
    pixels = b"".join(bytes(channel for pixel in row for channel in pixel) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + pixels + bytes(mask)


def main():
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "quorlin.ico")
    with open(target, "wb") as out:
        out.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main()
