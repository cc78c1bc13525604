#!/usr/bin/env python3
"""Draws the progress tray animations of Taskel.dll and writes them as
animated icon files (RIFF "ACON": "anih", optional "rate" and "seq ", a LIST
"fram" of "icon" chunks, each an ordinary .ico with a 16x16 and a 32x32
image).

Every animation comes twice: a full-colour one (32 bits per pixel with
alpha, shown while visual styles are active) and one in the 16 standard
colours (4 bits per pixel, for the classic look). The odd resource id is the
colour one, the next even id the 16-colour one.

Usage: make_ani.py <output folder>
"""
import math
import os
import struct
import sys

SIZE = 32

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

INK = (40, 40, 40)
PAPER = (255, 255, 255)
LINE = (0, 0, 160)
FOLD = (192, 192, 192)
ARROW = (0, 160, 0)
FOLDER = (240, 200, 40)
FOLDER_EDGE = (128, 100, 0)
METAL = (150, 150, 150)
METAL_DARK = (90, 90, 90)
SAND = (230, 190, 60)
GLASS = (200, 230, 255)
WOOD = (150, 90, 30)
PENCIL = (250, 210, 0)
TIP = (255, 160, 120)
RED = (220, 0, 0)


class Canvas:
    def __init__(self):
        self.px = [[None] * SIZE for _ in range(SIZE)]

    def dot(self, x, y, colour):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, fill, edge=None):
        for y in range(int(y0), int(y1) + 1):
            for x in range(int(x0), int(x1) + 1):
                on_edge = x in (int(x0), int(x1)) or y in (int(y0), int(y1))
                self.dot(x, y, edge if edge and on_edge else fill)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dx in range(width):
                for dy in range(width):
                    self.dot(x + dx - width // 2, y + dy - width // 2, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            xs = []
            n = len(points)
            for i in range(n):
                (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
                if (ay <= y < by) or (by <= y < ay):
                    xs.append(ax + (y - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(math.ceil(a)), int(math.floor(b)) + 1):
                    self.dot(x, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, colour)


def document(c, x, y, w=14, h=18, lines=4):
    x, y = int(x), int(y)
    c.rect(x, y, x + w, y + h, PAPER, INK)
    c.polygon([(x + w - 4, y), (x + w, y + 4), (x + w - 4, y + 4)], FOLD)
    c.line(x + w - 4, y, x + w, y + 4, INK)
    for i in range(lines):
        c.line(x + 3, y + 6 + 3 * i, x + w - 3, y + 6 + 3 * i, LINE)


def arrow(c, x0, x1, y, colour=ARROW):
    c.line(x0, y, x1 - 3, y, colour, 2)
    c.polygon([(x1 - 4, y - 4), (x1 + 1, y), (x1 - 4, y + 4)], colour)


def folder(c, x, y):
    c.rect(x, y + 2, x + 7, y + 4, FOLDER, FOLDER_EDGE)
    c.rect(x, y + 4, x + 15, y + 14, FOLDER, FOLDER_EDGE)


def draw_move(frame, count):
    c = Canvas()
    folder(c, 16, 16)
    t = frame / (count - 1)
    document(c, 1 + 10 * t, 2 + 6 * t, 11, 14, 3)
    arrow(c, 2 + 10 * t, 14 + 10 * t, 27)
    return c


def draw_copy(frame, count):
    c = Canvas()
    document(c, 1, 2, 12, 16, 3)
    t = frame / (count - 1)
    document(c, 4 + 14 * t, 6 + 6 * t, 12, 16, 3)
    arrow(c, 3, 6 + 22 * t, 29)
    return c


def draw_delete(frame, count):
    c = Canvas()
    t = frame / (count - 1)
    lid = 0 if t < 0.2 or t > 0.9 else 1
    # The sheet falls from the top into the opened bin.
    if t <= 0.9:
        document(c, 10, -4 + 20 * t, 10, 12, 2)
    c.polygon([(7, 13), (25, 13), (23, 31), (9, 31)], METAL)
    for x in (11, 16, 21):
        c.line(x, 16, x - (x - 16) * 0.1, 29, METAL_DARK)
    if lid:
        c.line(5, 12, 12, 4, METAL_DARK, 2)
    else:
        c.rect(5, 10, 27, 12, METAL_DARK)
        c.rect(13, 8, 19, 9, METAL_DARK)
    return c


def draw_rename(frame, count):
    c = Canvas()
    c.rect(1, 10, 30, 22, PAPER, INK)
    t = frame / (count - 1)
    end = 4 + 22 * t
    c.line(4, 16, end, 16, RED, 2)
    # Pencil: tip at the end of the written text.
    tx, ty = end + 1, 16
    c.line(tx + 2, ty - 2, tx + 10, ty - 10, PENCIL, 3)
    c.line(tx + 10, ty - 10, tx + 12, ty - 12, WOOD, 3)
    c.polygon([(tx, ty), (tx + 1, ty - 4), (tx + 4, ty - 1)], TIP)
    return c


def draw_hourglass(frame, count):
    c = Canvas()
    c.rect(6, 1, 25, 3, WOOD)
    c.rect(6, 28, 25, 30, WOOD)
    c.polygon([(8, 4), (23, 4), (17, 15), (17, 16), (23, 27), (8, 27), (14, 16), (14, 15)], GLASS)
    t = frame / (count - 1)
    top = 4 + 9 * t
    if t < 1:
        c.polygon([(8 + (top - 4) * 0.55, top), (23 - (top - 4) * 0.55, top), (16, 15)], SAND)
        c.line(15.5, 15, 15.5, 26, SAND)
    fill = 27 - 9 * t
    c.polygon([(15.5, fill), (23, 27), (8, 27)], SAND)
    c.line(8, 4, 14, 15, INK)
    c.line(23, 4, 17, 15, INK)
    c.line(14, 16, 8, 27, INK)
    c.line(17, 16, 23, 27, INK)
    return c


def draw_spinner(frame, count):
    c = Canvas()
    for i in range(8):
        a = 2 * math.pi * i / 8
        age = (frame - i) % 8
        shade = 40 + age * 26
        c.disc(16 + 11 * math.sin(a), 16 - 11 * math.cos(a), 3.2 if age == 0 else 2.4,
               (shade, shade, 255 if age == 0 else shade))
    return c


# ---- images and files ------------------------------------------------------

def nearest_vga(colour):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(VGA[i], colour)))


def shrink(px):
    out = [[None] * (SIZE // 2) for _ in range(SIZE // 2)]
    for y in range(SIZE // 2):
        for x in range(SIZE // 2):
            cells = [px[2 * y + dy][2 * x + dx] for dy in (0, 1) for dx in (0, 1)]
            solid = [p for p in cells if p is not None]
            if len(solid) >= 2:
                out[y][x] = tuple(sum(p[i] for p in solid) // len(solid) for i in range(3))
    return out


def mask_rows(px, n):
    rows = b""
    stride = ((n + 31) // 32) * 4
    for y in reversed(range(n)):
        bits = bytearray(stride)
        for x in range(n):
            if px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows += bytes(bits)
    return rows


def dib(px, colours):
    n = len(px)
    bpp = 32 if colours == 0 else 4
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0, 0, 0, 0,
                         0 if bpp == 32 else 16, 0)
    if bpp == 32:
        body = b"".join(
            bytes((p[2], p[1], p[0], 255)) if p else b"\0\0\0\0"
            for y in reversed(range(n)) for p in px[y])
        return header + body + mask_rows(px, n), bpp
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    stride = ((n * 4 + 31) // 32) * 4
    body = b""
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            index = nearest_vga(px[y][x]) if px[y][x] else 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        body += bytes(row)
    return header + palette + body + mask_rows(px, n), bpp


def ico(canvas, colours):
    images = [dib(shrink(canvas.px), colours), dib(canvas.px, colours)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for (bits, bpp), n in zip(images, (16, 32)):
        out += struct.pack("<BBBBHHII", n, n, 16 if bpp == 4 else 0, 0, 1, bpp, len(bits),
                           offset + len(data))
        data += bits
    return out + data


def chunk(ckid, payload):
    pad = b"\0" if len(payload) % 2 else b""
    return ckid + struct.pack("<I", len(payload)) + payload + pad


def riff_list(kind, body):
    return chunk(b"LIST", kind + body)


def ani(title, frames, rate, rates=None, sequence=None, colours=0):
    steps = len(sequence) if sequence else len(frames)
    flags = 1 | (2 if sequence else 0)
    bpp = 32 if colours == 0 else 4
    header = struct.pack("<9I", 36, len(frames), steps, 0, 0, bpp, 1, rate, flags)
    body = riff_list(b"INFO", chunk(b"INAM", title.encode("ascii") + b"\0"))
    body += chunk(b"anih", header)
    if rates:
        body += chunk(b"rate", struct.pack("<%dI" % len(rates), *rates))
    if sequence:
        body += chunk(b"seq ", struct.pack("<%dI" % len(sequence), *sequence))
    body += riff_list(b"fram", b"".join(chunk(b"icon", ico(f, colours)) for f in frames))
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"ACON" + body


# id, file stem, title, drawing, frame count, default rate, rates, sequence
ANIMATIONS = [
    (201, "copy", "Copying", draw_copy, 8, 8, None, None),
    (203, "delete", "Deleting", draw_delete, 8, 8, None, None),
    (205, "working", "Working", draw_spinner, 8, 6, None, None),
    (207, "move", "Moving", draw_move, 8, 8, None, None),
    (209, "rename", "Renaming", draw_rename, 8, 8, None, None),
    # The hourglass runs down, rests full and empty a little longer.
    (211, "prepare", "Preparing", draw_hourglass, 6, 8,
     [20, 8, 8, 8, 8, 20, 8, 8, 8, 8], [0, 1, 2, 3, 4, 5, 4, 3, 2, 1]),
]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for rid, stem, title, draw, count, rate, rates, seq in ANIMATIONS:
        frames = [draw(i, count) for i in range(count)]
        for colours, suffix, number in ((0, "color", rid), (16, "16", rid + 1)):
            data = ani(title, frames, rate, rates, seq, colours)
            name = os.path.join(out, "%d_%s_%s.ani" % (number, stem, suffix))
            with open(name, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
