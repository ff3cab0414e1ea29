#!/usr/bin/env python3
"""Draws Tarnwick's icon (a parcel with a wizard's star), the welcome page's
side picture (200 x 90, 24-bit) and the splash picture source, a PPM that
this command turns into the shipped JPEG:
  convert splash.ppm -fill white -font DejaVu-Sans-Bold -pointsize 32 \
    -annotate +212+182 Bundlewright -font DejaVu-Sans -pointsize 17 \
    -annotate +214+208 "Installer wizard 2.51" -quality 92 image/bundlewright.jpg
Run from this folder to regenerate."""
import math
import struct

NAVY = (0x1d, 0x2b, 0x53)
TEAL = (0x1f, 0x7a, 0x8c)
GOLD = (0xf2, 0xb1, 0x34)
CARD = (0xd9, 0xa0, 0x66)
CARD_DARK = (0x9c, 0x64, 0x33)
WHITE = (0xff, 0xff, 0xff)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def star_points(cx, cy, r):
    pts = []
    for k in range(10):
        rad = r if k % 2 == 0 else r * 0.42
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    return pts


def star_distance(px, py, cx, cy, r):
    """Negative inside a five-pointed star of outer radius r centred at (cx, cy)
    (distance to its outline, signed)."""
    pts = star_points(cx, cy, r)
    inside = False
    best = 1e9
    for i in range(len(pts)):
        (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
        vx, vy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
        best = min(best, math.hypot(px - ax - t * vx, py - ay - t * vy))
    return -best if inside else best


def parcel(u, v):
    """Colour of a parcel drawn in a unit square (u, v in 0..1), or None."""
    if not (0.12 <= u <= 0.82 and 0.38 <= v <= 0.92):
        return None
    if u < 0.16 or u > 0.78 or v < 0.42 or v > 0.88:
        return CARD_DARK
    if abs(u - 0.47) < 0.05:
        return GOLD                                   # the band round the parcel
    return CARD


def scene(x, y, w, h, sparkle=True, left=None, size=None):
    """The shared picture: a dusk gradient, a parcel and the star above it
    (centred, or in a square at `left` pixels from the left edge)."""
    base = mix(NAVY, TEAL, (x / w) * 0.6 + (y / h) * 0.4)
    s = size or min(w, h)
    ox, oy = ((w - s) / 2 if left is None else left), (h - s) / 2
    u, v = (x - ox) / s, (y - oy) / s
    d = star_distance(u, v, 0.7, 0.24, 0.17)
    if d < -0.01:
        return GOLD
    if d < 0.02:
        return mix(GOLD, base, (d + 0.01) / 0.03)
    p = parcel(u, v)
    if p:
        return p
    if sparkle:
        spots = ((0.08, 0.2), (0.93, 0.62), (0.3, 0.12), (1.15, 0.3), (-0.2, 0.7))
        if sparkle == "left":      # keep the right-hand side free for the name
            spots = ((0.08, 0.2), (0.3, 0.12), (-0.0, 0.75), (0.55, 0.02), (1.9, 0.1), (1.7, 0.85))
        for (sx, sy) in spots:
            if abs(u - sx) + abs(v - sy) < 0.025:
                return WHITE
    return base


def write_bmp(path, w, h, pixel):
    rows = b""
    for y in range(h - 1, -1, -1):                   # bottom-up
        row = b"".join(bytes(reversed(pixel(x, y))) for x in range(w))   # BGR
        rows += row + b"\0" * ((4 - len(row) % 4) % 4)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54) + header + rows)


def write_ppm(path, w, h, pixel):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        for y in range(h):
            f.write(b"".join(bytes(pixel(x, y)) for x in range(w)))


def icon_pixel(x, y, size):
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if star_distance(u, v, 0.7, 0.24, 0.22) < 0:
        return GOLD + (0xff,)
    p = parcel(u, v)
    return p + (0xff,) if p else (0, 0, 0, 0)


def folder_pixel(x, y, size):
    """Icon 164, the shortcut tree's roots and folders: a yellow folder."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    edge = (0x9c, 0x64, 0x10, 0xff)
    if 0.06 <= u <= 0.45 and 0.16 <= v <= 0.3:
        return edge if v < 0.22 or u < 0.12 or u > 0.39 else (0xf2, 0xc8, 0x5a, 0xff)
    if 0.06 <= u <= 0.94 and 0.27 <= v <= 0.86:
        border = u < 0.12 or u > 0.88 or v < 0.33 or v > 0.8
        return edge if border else (0xf2, 0xb1, 0x34, 0xff)
    return (0, 0, 0, 0)


def shortcut_pixel(x, y, size):
    """Icon 165, a shortcut: a white page with the link arrow in its corner."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if 0.04 <= u <= 0.52 and 0.46 <= v <= 0.96:         # the arrow's box
        if u < 0.1 or u > 0.46 or v < 0.52 or v > 0.9:
            return (0x30, 0x30, 0x30, 0xff)
        on_shaft = abs((u - 0.14) - (0.86 - v)) < 0.08 and u < 0.42
        on_head = (0.26 <= u <= 0.42 and 0.54 <= v <= 0.62) or (0.34 <= u <= 0.42 and 0.54 <= v <= 0.72)
        return (0x1d, 0x6a, 0xd8, 0xff) if on_shaft or on_head else (0xff, 0xff, 0xff, 0xff)
    if 0.2 <= u <= 0.86 and 0.04 <= v <= 0.9:
        border = u < 0.26 or u > 0.8 or v < 0.1 or v > 0.84
        if border:
            return (0x50, 0x50, 0x60, 0xff)
        lines = any(abs(v - l) < 0.03 for l in (0.25, 0.37, 0.49)) and u > 0.34 and u < 0.72
        return (0x8a, 0x9b, 0xc8, 0xff) if lines else (0xff, 0xff, 0xff, 0xff)
    return (0, 0, 0, 0)


def icon_image(size, pixel=None):
    icon_pixel_of = pixel or icon_pixel
    pixels = b""
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = icon_pixel_of(x, y, size)
            pixels += bytes((b, g, r, a))
    mask_row = (size + 31) // 32 * 4
    mask = b""
    for y in range(size - 1, -1, -1):
        bits = 0
        row = b""
        for x in range(size):
            bits = (bits << 1) | (0 if icon_pixel_of(x, y, size)[3] else 1)
            if x % 8 == 7:
                row += bytes((bits,))
                bits = 0
        mask += row + b"\0" * (mask_row - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico(path, sizes, pixel=None):
    images = [icon_image(s, pixel) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# Side pictures of the other pages: bitmap 3000 + the page's dialog id, each
# with its own colours and a motif for what the page is about.
def box(u, v, x0, y0, x1, y1):
    return x0 <= u <= x1 and y0 <= v <= y1


def ring(u, v, cx, cy, r0, r1):
    d = math.hypot(u - cx, v - cy)
    return r0 <= d <= r1


def motif(name, u, v):
    """True where the motif of page `name` is drawn (u, v in the 90 x 90 square)."""
    if name == "project_start":      # a folder
        return box(u, v, .2, .35, .8, .78) or box(u, v, .2, .28, .45, .36)
    if name == "product_info":       # a tag with its hole
        return box(u, v, .25, .3, .75, .7) and not ring(u, v, .35, .5, 0, .06)
    if name == "source_folder":      # a folder tree
        return (box(u, v, .2, .2, .26, .8) or box(u, v, .2, .3, .5, .34) or box(u, v, .2, .55, .5, .59)
                or box(u, v, .2, .76, .5, .8) or box(u, v, .5, .24, .78, .4)
                or box(u, v, .5, .49, .78, .65))
    if name == "file_list":          # lines of a list
        return any(box(u, v, .2, y, .8, y + .07) for y in (.22, .38, .54, .7))
    if name == "install_options":    # check boxes
        return any(box(u, v, .22, y, .34, y + .12) and not box(u, v, .24, y + .02, .32, y + .1)
                   or box(u, v, .42, y + .04, .8, y + .08) for y in (.2, .44, .68))
    if name == "delivery_options":   # play, stop
        return ((.62 - u) >= abs(v - .5) * 1.1 and u >= .22) or box(u, v, .68, .3, .8, .7)
    if name == "shortcuts":          # an arrow
        return box(u, v, .2, .46, .62, .56) or ((u - .55) >= 0 and (u - .55) <= .3 - abs(v - .51) * 1.2)
    if name == "environment":        # braces round a dot
        return ring(u, v, .5, .5, .3, .36) and abs(u - .5) > .12 or ring(u, v, .5, .5, 0, .08)
    if name == "registry":           # a grid of keys
        return any(box(u, v, x, y, x + .2, y + .2) for x in (.2, .6) for y in (.2, .6)) or box(u, v, .4, .28, .6, .32)
    if name == "services":           # a gear
        a = math.atan2(v - .5, u - .5)
        r = .3 + (.06 if math.cos(8 * a) > 0 else 0)
        return ring(u, v, .5, .5, .12, r)
    if name == "output_language":    # a speech bubble
        return ring(u, v, .5, .45, 0, .3) or ((v > .6) and (v < .85) and abs(u - .35) < (.85 - v) * .5)
    if name == "output_location":    # a disk
        return box(u, v, .2, .2, .8, .8) and not box(u, v, .32, .2, .68, .4) and not ring(u, v, .5, .62, 0, .08)
    if name == "summary":            # a checklist
        def tick(y):   # down from (.18, y) to (.26, y + .07), then up to (.38, y - .07)
            if .18 <= u <= .26:
                return abs(v - (y + (u - .18) * .875)) < .035
            if .26 < u <= .38:
                return abs(v - (y + .07 - (u - .26) * 1.17)) < .035
            return False
        return any(box(u, v, .45, y - .03, .8, y + .03) or tick(y) for y in (.27, .5, .73))
    if name == "finish":             # a flag
        return box(u, v, .25, .15, .3, .85) or box(u, v, .3, .15, .75, .5) and ((int(u * 10) + int(v * 10)) % 2 == 0)
    if name == "panel_config":       # switches
        return any(box(u, v, .2, y, .8, y + .14) and not box(u, v, (.55 if k % 2 else .25), y + .02,
                   (.75 if k % 2 else .45), y + .12) for k, y in enumerate((.2, .43, .66)))
    return False


# The project start and product pages draw their own (project_start_side.bmp,
# product_info_side.bmp); the motifs stay here for the colours' order.
OWN_PICTURE = {"project_start", "product_info"}
PAGES = [("project_start", 166), ("product_info", 129), ("source_folder", 130), ("file_list", 138),
         ("install_options", 139), ("delivery_options", 141), ("shortcuts", 149), ("environment", 161),
         ("registry", 167), ("services", 331), ("output_language", 333), ("output_location", 142),
         ("summary", 143), ("finish", 157), ("panel_config", 332)]


def side_pixel(name, index, x, y):
    hue = index / len(PAGES)
    left = mix(NAVY, (0x5a, 0x2d, 0x6e), hue)
    right = mix(TEAL, (0x2e, 0x8b, 0x57), 1 - hue)
    base = mix(left, right, x / 200)
    u, v = (x - 100) / 90, (y) / 90
    if 0 <= u <= 1 and motif(name, u, v):
        return GOLD
    if ((x * 7 + y * 13) % 211 == 0) and x < 95:
        return mix(base, WHITE, .6)
    return base


if __name__ == "__main__":
    write_ico("tarnwick.ico", [16, 32])
    write_ico("folder.ico", [16, 32], folder_pixel)
    write_ico("shortcut.ico", [16, 32], shortcut_pixel)
    write_bmp("welcome_side.bmp", 200, 90, lambda x, y: scene(x, y, 200, 90))
    with open("side_pictures.rc", "w", newline="\r\n") as rc:
        rc.write("// Side pictures of the pages: bitmap 3000 + the page's dialog id (made by\n"
                 "// make_pictures.py). A page's template shows it with\n"
                 "//   CONTROL 3130, IDC_STATIC, \"Static\", SS_BITMAP, 7, 7, 133, 55\n"
                 "#include <windows.h>\n\n")
        for i, (name, dialog) in enumerate(PAGES):
            if name in OWN_PICTURE:
                continue
            write_bmp("side_%s.bmp" % name, 200, 90, lambda x, y: side_pixel(name, i, x, y))
            rc.write("%d BITMAP \"side_%s.bmp\"\n" % (3000 + dialog, name))
    # The splash: the picture on the left; `convert` sets the name beside it.
    write_ppm("splash.ppm", 484, 348, lambda x, y: scene(x, y, 484, 348, "left", left=4, size=230))
