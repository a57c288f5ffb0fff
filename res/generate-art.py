#!/usr/bin/env python3
"""Draws Tidemark's pictures: the application icon and the About picture.

    python3 res/generate-art.py

writes, next to this script:

  Tidemark.ico  seven images: 16x16 and 32x32 at 8 bits per pixel, and
                16x16, 32x32, 48x48, 128x128 and 256x256 at 32 bits per
                pixel. The 256x256 image is stored PNG-compressed (as Windows
                Vista and later accept for that size), the others as DIBs, so
                the icon takes about 100 KB instead of 360 KB.
  About.bmp     256x256 at 24 bits per pixel, for the About window, which
                shows it stretched to 180x130. The program embeds it packed:
                run pack-bitmap.py after this script to write About.lznt1.

The motif: a tide line over a dark-blue disc, with a gold high-water mark;
the About picture is a night sea under the moon with a tide gauge.

Standard library only. The output is deterministic: running the script again
writes the same bytes.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours (red, green, blue).
SKY_TOP = (0x0B, 0x1E, 0x3F)
SKY_LOW = (0x1C, 0x44, 0x7A)
WATER_TOP = (0x2A, 0x86, 0xD1)
WATER_MID = (0x1E, 0x6C, 0xB5)
WATER_DEEP = (0x0D, 0x3F, 0x7A)
FOAM = (0xEA, 0xF6, 0xFF)
GOLD = (0xF2, 0xC1, 0x4E)
RIM = (0x4F, 0x86, 0xC6)
MOON = (0xF4, 0xEB, 0xC8)
POST = (0xC9, 0xD6, 0xE3)


def lerp(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def capsule_distance(px, py, ax, ay, bx, by):
    """Distance from a point to the segment a-b (a stroke with round caps)."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def render(width, height, shade, samples):
    """Supersamples shade(x, y) -> (r, g, b) or None (transparent) on an
    samples x samples grid per pixel. Returns rows, top first, of
    (r, g, b, a) with straight (not premultiplied) alpha."""
    rows = []
    step = 1.0 / samples
    offsets = [(i + 0.5) * step for i in range(samples)]
    count = samples * samples
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = covered = 0
            for oy in offsets:
                for ox in offsets:
                    colour = shade(x + ox, y + oy)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / covered), round(g / covered), round(b / covered),
                            round(255 * covered / count)))
        rows.append(row)
    return rows


# --- The icon ---------------------------------------------------------------

def icon_shade(size):
    centre = size / 2.0
    radius = size * 0.47
    pixel = 1.0 / radius  # one pixel in disc units
    # Strokes never get thinner than about one and a half pixels, so the small
    # images keep their lines.
    rim = max(0.05, 1.1 * pixel)
    crest = max(0.075, 1.5 * pixel)
    mark = max(0.08, 1.5 * pixel)
    amplitude, frequency, phase = 0.11, 1.3 * math.pi, 0.2 * math.pi

    def shade(px, py):
        u = (px - centre) / radius
        v = (py - centre) / radius
        d = math.hypot(u, v)
        if d > 1.0:
            return None
        if d > 1.0 - rim:
            return RIM
        wave = 0.12 + amplitude * math.sin(frequency * u + phase)
        slope = amplitude * frequency * math.cos(frequency * u + phase)
        across = (v - wave) / math.sqrt(1.0 + slope * slope)
        if abs(across) < crest / 2:
            return FOAM
        if across > 0:
            return lerp(WATER_TOP, WATER_DEEP, (v - wave) / max(1.0 - wave, 1e-6))
        if capsule_distance(u, v, -0.5, -0.34, 0.5, -0.34) < mark / 2:
            return GOLD
        return lerp(SKY_TOP, SKY_LOW, (v + 1.0) / (wave + 1.0))

    return shade


def and_mask(rows, size):
    """The 1-bit mask that follows a DIB icon image: 1 where transparent,
    rows bottom first, each padded to four bytes."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_info_header(size, bits, image_bytes):
    # An icon DIB's height counts the colour image and the mask.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def dib_32(rows, size):
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a)) if a else b'\0\0\0\0'
    mask = and_mask(rows, size)
    return bitmap_info_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def palette_of(rows):
    """Up to 256 colours for the 8-bit images: the rendered colours, made
    coarser a bit at a time until they fit. Index 0 is black, the colour under
    transparent pixels."""
    for drop in range(8):
        keep = 0xFF & ~((1 << drop) - 1)
        colours = {(0, 0, 0)}
        for row in rows:
            for r, g, b, a in row:
                if a:
                    colours.add((r & keep, g & keep, b & keep))
        if len(colours) <= 256:
            ordered = [(0, 0, 0)] + sorted(colours - {(0, 0, 0)})
            return keep, ordered
    raise RuntimeError('no palette found')


def dib_8(rows, size):
    # The 8-bit images have no alpha: a pixel at least half covered is opaque.
    hard = [[(r, g, b, 255 if a >= 128 else 0) for r, g, b, a in row] for row in rows]
    keep, colours = palette_of(hard)
    index = {colour: i for i, colour in enumerate(colours)}
    palette = bytearray()
    for i in range(256):
        r, g, b = colours[i] if i < len(colours) else (0, 0, 0)
        palette += bytes((b, g, r, 0))
    stride = ((size + 3) // 4) * 4
    xor = bytearray()
    for row in reversed(hard):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            line[x] = index[(r & keep, g & keep, b & keep)] if a else 0
        xor += line
    mask = and_mask(hard, size)
    return bitmap_info_header(size, 8, len(xor) + len(mask)) + bytes(palette) + bytes(xor) + mask


def png_rgba(rows, size):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type: none
        for pixel in row:
            raw += bytes(pixel) if pixel[3] else b'\0\0\0\0'
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def write_icon(path):
    # (size, bits per pixel, stored as PNG)
    images = [(16, 8, False), (32, 8, False), (16, 32, False), (32, 32, False),
              (48, 32, False), (128, 32, False), (256, 32, True)]
    blobs = []
    for size, bits, as_png in images:
        rows = render(size, size, icon_shade(size), 4 if size <= 128 else 3)
        if as_png:
            blobs.append(png_rgba(rows, size))
        elif bits == 32:
            blobs.append(dib_32(rows, size))
        else:
            blobs.append(dib_8(rows, size))

    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, bits, _), blob in zip(images, blobs):
        # Width and height 0 mean 256; the colour count is 0 from 8 bits up.
        # Planes and bits are filled in for every entry: windres copies them
        # into the group directory, and a PNG image carries no DIB header to
        # take them from.
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)


# --- The About picture ------------------------------------------------------

def stars():
    """Fixed star positions (x, y, radius) from a small linear congruential
    generator, so the picture is the same on every run."""
    state = 20240917
    result = []
    while len(result) < 16:
        values = []
        for _ in range(3):
            state = (1103515245 * state + 12345) % 2 ** 31
            values.append(state / 2 ** 31)
        x, y, r = 0.04 + 0.92 * values[0], 0.03 + 0.42 * values[1], 0.004 + 0.004 * values[2]
        if math.hypot(x - 0.74, y - 0.2) > 0.16 and not 0.1 < x < 0.21:
            result.append((x, y, r))
    return result


def about_shade(size):
    # The window stretches the picture from 256x256 to 180x130: a horizontal
    # radius here shows 180/130 times as wide as the same vertical one. Round
    # things are drawn narrower by that ratio so that they look round there.
    squeeze = (180 / 256) / (130 / 256)
    star_list = stars()
    moon_x, moon_y, moon_r = 0.74, 0.2, 0.085
    horizon = 0.58

    def round_distance(x, y, cx, cy):
        return math.hypot((x - cx) * squeeze, y - cy)

    def glitter(x, y):
        """The moon's light on the water: thin streaks under the moon, each
        of its own width and offset, wider towards the viewer."""
        band = math.floor(y * 70)
        if y * 70 - band > 0.5:
            return False
        h = (math.sin(band * 12.9898) * 43758.5453) % 1.0
        half = (0.015 + 0.25 * (y - horizon)) * (0.35 + 0.65 * h)
        return abs(x - moon_x - 0.03 * (h - 0.5)) < half

    def shade(px, py):
        x, y = px / size, py / size

        front = 0.82 + 0.035 * math.sin(2 * math.pi * (1.4 * x + 0.1))
        if y > front:
            if y - front < 0.018:
                return FOAM
            return lerp(WATER_MID, WATER_DEEP, (y - front) / (1.0 - front))

        # The tide gauge stands between the middle and the front waves.
        if 0.135 < x < 0.175 and 0.30 < y:
            if abs(y - 0.45) < 0.012:
                return GOLD
            if abs(x - 0.155) < 0.03 and abs(y - 0.45) < 0.006:
                return GOLD
            tick = (y - 0.30) % 0.05
            if x > 0.155 and tick < 0.008:
                return SKY_TOP
            return POST
        if 0.095 < x < 0.215 and abs(y - 0.45) < 0.006:
            return GOLD

        middle = 0.70 + 0.03 * math.sin(2 * math.pi * (1.1 * x + 0.55))
        if y > middle:
            if y - middle < 0.012:
                return FOAM
            water = lerp(WATER_TOP, WATER_MID, (y - middle) / (front - middle))
            return lerp(water, MOON, 0.35) if glitter(x, y) else water

        back = horizon + 0.008 * math.sin(2 * math.pi * (3.0 * x + 0.2))
        if y > back:
            water = lerp(SKY_LOW, WATER_TOP, (y - back) / (middle - back) * 0.8 + 0.2)
            return lerp(water, MOON, 0.55) if glitter(x, y) else water

        d = round_distance(x, y, moon_x, moon_y)
        if d < moon_r:
            return MOON
        for sx, sy, sr in star_list:
            if round_distance(x, y, sx, sy) < sr:
                return FOAM
        sky = lerp(SKY_TOP, SKY_LOW, y / horizon)
        if d < moon_r * 2.2:
            return lerp(sky, MOON, 0.18 * (1 - (d - moon_r) / (moon_r * 1.2)))
        return sky

    return shade


def write_bitmap(path, size=256):
    rows = render(size, size, about_shade(size), 3)
    stride = ((size * 3 + 3) // 4) * 4
    pixels = bytearray()
    for row in reversed(rows):  # a bitmap with a positive height is stored bottom first
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


def main():
    write_icon(os.path.join(HERE, 'Tidemark.ico'))
    write_bitmap(os.path.join(HERE, 'About.bmp'))


if __name__ == '__main__':
    main()
