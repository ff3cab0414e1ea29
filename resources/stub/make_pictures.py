#!/usr/bin/env python3
"""Draws install.exe's icon (a box with an arrow going into it); run from
this folder to regenerate. The banner of the welcome and finish windows is
drawn by the program itself, so it costs the stub's size nothing."""
import struct


def icon_pixel(x, y, size):
    s = size / 32.0
    u, v = x / s, y / s
    if 4 <= u < 28 and 14 <= v < 29:                 # the box
        edge = u < 5 or u >= 27 or v < 15 or v >= 28
        return (0x30, 0x50, 0x90, 0xff) if edge else (0x78, 0xb8, 0xe8, 0xff)   # BGRA
    if 13 <= u < 19 and 2 <= v < 12:                 # the arrow's shaft
        return (0x20, 0xa0, 0x20, 0xff)
    if 9 <= u < 23 and 10 <= v < 17 and abs(u - 16) <= 17 - v:   # its head
        return (0x20, 0xa0, 0x20, 0xff)
    return (0, 0, 0, 0)


def icon_image(size):
    pixels = b""
    for y in range(size - 1, -1, -1):
        pixels += b"".join(bytes(icon_pixel(x, y, size)) for x in range(size))
    mask_row = (size + 31) // 32 * 4
    mask = b"\0" * (mask_row * size)                 # alpha carries transparency
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    write_ico("install.ico", [16, 32])
