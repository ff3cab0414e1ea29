#!/usr/bin/env python3
"""Draws UnBundlewright's icon (a box with an outward arrow) and the green
check mark beside each category label; run from this folder to regenerate."""
import struct


def bmp_rows(width, height, pixel):
    rows = b""
    for y in range(height - 1, -1, -1):              # bottom-up
        row = b"".join(bytes(pixel(x, y)) for x in range(width))
        rows += row + b"\0" * ((4 - len(row) % 4) % 4)
    return rows


def check_pixel(x, y):
    # a thick tick on white: down-stroke from (2,10) to (5,13), up-stroke to (13,3)
    def near(px, py, ax, ay, bx, by):
        vx, vy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / float(vx * vx + vy * vy)))
        dx, dy = px - (ax + t * vx), py - (ay + t * vy)
        return dx * dx + dy * dy
    d = min(near(x, y, 2, 8, 6, 12), near(x, y, 6, 12, 13, 3))
    if d <= 1.2:
        return (0x20, 0x90, 0x20)                    # BGR
    if d <= 2.2:
        return (0x90, 0xd0, 0x90)
    return (0xff, 0xff, 0xff)


def write_bmp(path, w, h, pixel):
    data = bmp_rows(w, h, pixel)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 54) + header + data)


def icon_pixel(x, y, size):
    s = size / 32.0
    u, v = x / s, y / s
    if 4 <= u < 24 and 12 <= v < 28:                 # the box
        edge = u < 5 or u >= 23 or v < 13 or v >= 27
        return (0x90, 0x50, 0x30, 0xff) if edge else (0xe8, 0xb8, 0x78, 0xff)   # BGRA
    # arrow leaving the box to the upper right
    if 14 <= u < 28 and abs(u + v - 34) < 1.8:
        return (0x20, 0x20, 0xc0, 0xff)
    if (21 <= u < 30 and 4 <= v < 7) or (27 <= u < 30 and 4 <= v < 13):
        return (0x20, 0x20, 0xc0, 0xff)
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
    write_bmp("check.bmp", 16, 16, check_pixel)
    write_ico("uninstaller.ico", [16, 32])
