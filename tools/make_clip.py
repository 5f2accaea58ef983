#!/usr/bin/env python3
"""Draws the work panel's animation clip and writes it as a GIF.

The clip shows a spinning globe with a magnifying glass sweeping over it,
48 x 45 pixels, 15 frames of 80 ms, looping for ever. The main window plays it
up to frame 14, so the motion repeats every 15 frames and the loop is seamless
whether frames 0 to 14 or the whole clip are played.

Qt reads GIF but cannot write it, so this tool carries its own GIF89a writer:
one global palette (index 0 transparent), the NETSCAPE2.0 loop extension, a
graphic control block per frame and LZW-compressed pixels. Only the Python 3
standard library is used, and the output is the same on every run.

Usage: tools/make_clip.py [output]   (default: assets/Quillon.a01 beside tools/)
"""

import math
import os
import struct
import sys

WIDTH = 48
HEIGHT = 45
FRAMES = 15
DELAY_CS = 8  # hundredths of a second
SUPERSAMPLE = 4  # samples per pixel along each axis
# Edges are blended against the light grey of the work panel; pixels mostly
# outside the drawing stay transparent (GIF transparency is all or nothing).
MATTE = (0xEF, 0xF0, 0xF1)

GLOBE_CENTRE = (20.5, 22.5)
GLOBE_RADIUS = 16.5
TILT = math.radians(18)
LIGHT = (-0.45, -0.6, 0.66)
OCEAN = (38, 132, 222)
LAND = (92, 184, 84)
RIM = (18, 78, 146)

LENS_INNER = 7.2
LENS_OUTER = 9.2
LENS_ZOOM = 1.5
HANDLE_FROM = 9.0
HANDLE_TO = 17.0
HANDLE_RADIUS = 1.9
GLASS = (226, 238, 248)

# Continents as caps on the sphere: longitude, latitude, angular radius (degrees).
CONTINENTS = [
    (-105, 48, 20), (-85, 30, 12), (-62, -12, 17), (-66, -34, 10),
    (12, 50, 13), (28, 60, 12), (18, 6, 19), (26, -20, 13),
    (75, 48, 24), (105, 32, 16), (100, 62, 14), (134, -25, 12),
]


def normalise(v):
    length = math.sqrt(sum(c * c for c in v))
    return tuple(c / length for c in v)


LIGHT_DIR = normalise(LIGHT)
HALF_VECTOR = normalise((LIGHT_DIR[0], LIGHT_DIR[1], LIGHT_DIR[2] + 1.0))
CAPS = [(math.radians(lon), math.radians(lat), math.radians(r)) for lon, lat, r in CONTINENTS]


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def is_land(lon, lat):
    # A little wobble so the coasts are not perfect circles.
    wobble = math.radians(3.5) * math.sin(3 * lon + 1.3) * math.cos(2 * lat)
    sin_lat, cos_lat = math.sin(lat), math.cos(lat)
    for clon, clat, radius in CAPS:
        cos_d = sin_lat * math.sin(clat) + cos_lat * math.cos(clat) * math.cos(lon - clon)
        if cos_d > math.cos(radius + wobble):
            return True
    return False


def globe_colour(x, y, spin):
    """Colour of the globe at image point (x, y), or None outside it."""
    dx = (x - GLOBE_CENTRE[0]) / GLOBE_RADIUS
    dy = (y - GLOBE_CENTRE[1]) / GLOBE_RADIUS
    rr = dx * dx + dy * dy
    if rr >= 1.0:
        return None
    dz = math.sqrt(1.0 - rr)
    # Tilt the axis toward the viewer, then read latitude and longitude.
    ty = dy * math.cos(TILT) - dz * math.sin(TILT)
    tz = dy * math.sin(TILT) + dz * math.cos(TILT)
    lat = math.asin(max(-1.0, min(1.0, -ty)))
    lon = math.atan2(dx, tz) + spin
    base = LAND if is_land(lon, lat) else OCEAN
    diffuse = max(0.0, dx * LIGHT_DIR[0] + dy * LIGHT_DIR[1] + dz * LIGHT_DIR[2])
    colour = tuple(c * (0.42 + 0.68 * diffuse) for c in base)
    shine = max(0.0, dx * HALF_VECTOR[0] + dy * HALF_VECTOR[1] + dz * HALF_VECTOR[2]) ** 24
    colour = mix(colour, (255, 255, 255), 0.55 * shine)
    r = math.sqrt(rr) * GLOBE_RADIUS
    if r > GLOBE_RADIUS - 1.0:
        colour = mix(colour, RIM, 0.8)
    return tuple(min(255.0, c) for c in colour)


def lens_centre(frame):
    a = 2 * math.pi * frame / FRAMES
    return (26.0 + 6.0 * math.cos(a), 21.0 + 4.5 * math.sin(a))


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy)), t


def sample(x, y, frame):
    """RGBA (0-255 colour, 0-1 alpha) of the scene at a sample point."""
    spin = 2 * math.pi * frame / FRAMES
    cx, cy = lens_centre(frame)
    d = math.hypot(x - cx, y - cy)

    if LENS_INNER <= d < LENS_OUTER:
        # The rim, lit from the upper left.
        light = ((cx - x) + (cy - y)) / (d * math.sqrt(2))
        return mix((50, 60, 72), (150, 162, 176), max(0.0, light) * 0.8), 1.0

    ux = uy = math.sqrt(0.5)
    hd, ht = segment_distance(x, y, cx + ux * HANDLE_FROM, cy + uy * HANDLE_FROM,
                              cx + ux * HANDLE_TO, cy + uy * HANDLE_TO)
    if hd < HANDLE_RADIUS and d >= LENS_OUTER:
        along = ht * (HANDLE_TO - HANDLE_FROM)
        across = ((x - cx) * -uy + (y - cy) * ux) / HANDLE_RADIUS
        base = (170, 178, 188) if along < 2.0 else (58, 64, 74)
        return mix(base, (255, 255, 255), max(0.0, -across) * 0.25), 1.0

    if d < LENS_INNER:
        # Through the glass the globe looks larger and a little brighter.
        gx = cx + (x - cx) / LENS_ZOOM
        gy = cy + (y - cy) / LENS_ZOOM
        colour = globe_colour(gx, gy, spin) or GLASS
        colour = mix(colour, (255, 255, 255), 0.22)
        glint = math.hypot(x - (cx - 2.6), y - (cy - 2.8))
        if glint < 1.9:
            colour = mix(colour, (255, 255, 255), 0.55 * (1 - glint / 1.9))
        return colour, 1.0

    colour = globe_colour(x, y, spin)
    if colour is None:
        return (0, 0, 0), 0.0
    return colour, 1.0


def render(frame):
    """One frame as rows of (r, g, b) tuples, or None for transparent pixels."""
    pixels = []
    step = 1.0 / SUPERSAMPLE
    count = SUPERSAMPLE * SUPERSAMPLE
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            r = g = b = a = 0.0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    colour, alpha = sample(px + (sx + 0.5) * step, py + (sy + 0.5) * step, frame)
                    r += colour[0] * alpha
                    g += colour[1] * alpha
                    b += colour[2] * alpha
                    a += alpha
            a /= count
            if a < 0.5:
                row.append(None)
                continue
            rest = 1.0 - a
            row.append(tuple(int(round(c / count + rest * m)) for c, m in zip((r, g, b), MATTE)))
        pixels.append(row)
    return pixels


def median_cut(colours, size):
    """Up to `size` palette colours for a {colour: count} histogram."""
    boxes = [list(colours.items())]
    while len(boxes) < size:
        best, best_range, channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for c in range(3):
                values = [colour[c] for colour, _ in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, channel = i, spread, c
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: (item[0][channel], item[0]))
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for cut, (_, n) in enumerate(box, start=1):
            running += n
            if running * 2 >= total:
                break
        cut = max(1, min(len(box) - 1, cut))
        boxes[best:best] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(colour[c] * n for colour, n in box) / total)) for c in range(3)))
    return palette


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))


def lzw(indices, min_code_size=8):
    """GIF's variable-width LZW, codes packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    width = min_code_size + 1
    emit(clear, width)
    current = ()
    for index in indices:
        extended = current + (index,)
        if extended in table:
            current = extended
            continue
        emit(table[current], width)
        if next_code < 4095:
            table[extended] = next_code
            next_code += 1
            # The decoder widens its codes once the next free code no longer fits.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = fresh_table()
            next_code = end + 1
            width = min_code_size + 1
        current = (index,)
    if current:
        emit(table[current], width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def encode_gif(frames):
    histogram = {}
    for frame in frames:
        for row in frame:
            for colour in row:
                if colour is not None:
                    histogram[colour] = histogram.get(colour, 0) + 1
    palette = [MATTE] + median_cut(histogram, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    lookup = {colour: 1 + nearest(palette[1:], colour) for colour in histogram}

    gif = bytearray(b"GIF89a")
    # Global palette of 256 entries, 8 bits of colour resolution; background 0.
    gif += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF7, 0, 0)
    for colour in palette:
        gif += bytes(colour)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"
    comment = b"Quillon work animation"
    gif += b"\x21\xFE" + sub_blocks(comment)
    for frame in frames:
        # Disposal 2 (back to transparent) and transparency on index 0.
        gif += b"\x21\xF9\x04" + struct.pack("<BHB", (2 << 2) | 1, DELAY_CS, 0) + b"\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        indices = [0 if colour is None else lookup[colour] for row in frame for colour in row]
        gif += b"\x08" + sub_blocks(lzw(indices))
    gif += b"\x3B"
    return bytes(gif)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "assets", "Quillon.a01"))
    frames = [render(f) for f in range(FRAMES)]
    data = encode_gif(frames)
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    with open(target, "wb") as out:
        out.write(data)
    print(f"{target}: {WIDTH}x{HEIGHT}, {FRAMES} frames, {len(data)} bytes")


if __name__ == "__main__":
    main()
