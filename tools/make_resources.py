#!/usr/bin/env python3
"""Makes every picture and sound that Vellix embeds or ships, into resources/:

  aaa.bmp  the logo, 351 x 264, 24-bit, uncompressed: a lens above the name
  acr.cur  the Common-mode cursor: a grey video camera seen from the side,
           32 x 32 with alpha, hotspot (0, 21) at the front of its lens
  asd.wav  the click: 16 kHz mono 16-bit, 326 samples, 698 bytes in all
  abb.ico  the tray icon: a lens with a handle, edged in white, at 16, 20, 24, 32,
           48 and 256
  rdc.cur  the Reading-mode cursor: an arrow with a reading line under it

Plain standard library. Run it from anywhere: python3 tools/make_resources.py
With --preview DIR it also writes PNG copies of the pictures there.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

# --- a tiny vector painter ---------------------------------------------------
# Shapes are painted in order onto a supersampled canvas of colour indices;
# each output pixel is the average of its samples (colour and coverage).


class Canvas:
    def __init__(self, width, height, samples, background=None):
        self.w, self.h, self.s = width, height, samples
        self.W, self.H = width * samples, height * samples
        self.palette = [background]  # None = transparent
        self.cells = bytearray(self.W * self.H)

    def ink(self, colour):
        if colour not in self.palette:
            self.palette.append(colour)
        return self.palette.index(colour)

    def _paint(self, colour, box, inside):
        """inside(x, y) in output pixel units, tested at each sample centre."""
        k = self.ink(colour)
        s = self.s
        x0 = max(0, int(math.floor(box[0] * s)))
        y0 = max(0, int(math.floor(box[1] * s)))
        x1 = min(self.W, int(math.ceil(box[2] * s)))
        y1 = min(self.H, int(math.ceil(box[3] * s)))
        for sy in range(y0, y1):
            y = (sy + 0.5) / s
            row = sy * self.W
            for sx in range(x0, x1):
                if inside((sx + 0.5) / s, y):
                    self.cells[row + sx] = k

    def rect(self, colour, x0, y0, x1, y1):
        self._paint(colour, (x0, y0, x1, y1), lambda x, y: True)

    def disc(self, colour, cx, cy, r):
        self._paint(colour, (cx - r, cy - r, cx + r, cy + r),
                    lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r)

    def ring(self, colour, cx, cy, r_in, r_out):
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            return r_in * r_in <= d <= r_out * r_out
        self._paint(colour, (cx - r_out, cy - r_out, cx + r_out, cy + r_out), inside)

    def stroke(self, colour, points, width):
        """A polyline of round-capped segments."""
        r = width / 2.0
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy or 1e-9

            def inside(x, y, ax=ax, ay=ay, dx=dx, dy=dy, ll=ll):
                t = ((x - ax) * dx + (y - ay) * dy) / ll
                t = 0.0 if t < 0 else 1.0 if t > 1 else t
                ex, ey = ax + t * dx - x, ay + t * dy - y
                return ex * ex + ey * ey <= r * r
            box = (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)
            self._paint(colour, box, inside)

    def polygon(self, colour, points):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                (xi, yi), (xj, yj) = points[i], points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        self._paint(colour, (min(xs), min(ys), max(xs), max(ys)), inside)

    def pixels(self):
        """Rows top to bottom of (r, g, b, a) tuples; colour averaged over covered samples."""
        s, out = self.s, []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = n = 0
                for sy in range(y * s, y * s + s):
                    base = sy * self.W + x * s
                    for k in self.cells[base:base + s]:
                        c = self.palette[k]
                        if c is not None:
                            r += c[0]; g += c[1]; b += c[2]; n += 1
                if n == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((round(r / n), round(g / n), round(b / n),
                                round(255 * n / (s * s))))
            out.append(row)
        return out


def arc(cx, cy, rx, ry, a0, a1, steps=40):
    """Points of an elliptic arc, angles in degrees, counter-clockwise on screen."""
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy - ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


# --- the logo ------------------------------------------------------------------

LOGO_W, LOGO_H = 351, 264
PAPER = (246, 249, 255)
LENS_BLUE = (0, 85, 229)     # the lens window's own blue
GLASS = (206, 228, 255)
SHINE = (255, 255, 255)
HANDLE = (40, 48, 72)
HALO = (255, 255, 255)       # the icon's outline, so it reads on dark panels too
INK = (24, 40, 96)


def letters(x, base, cap, xh, sw):
    """Strokes of "Vellix" from (x, base); returns [(points...)], [(dot)], right edge."""
    strokes, dots = [], []
    half = sw / 2.0
    # V
    vw = 0.78 * cap
    strokes.append([(x + half, base - cap + half), (x + vw / 2, base - half),
                    (x + vw - half, base - cap + half)])
    x += vw + 0.16 * cap
    # e: a bar across the middle, then the bowl from its right end round to the lower right
    ew, mid = 0.66 * cap, base - xh / 2
    rx, ry = ew / 2 - half, xh / 2 - half
    cx = x + ew / 2
    strokes.append([(x + half, mid), (x + ew - half, mid)])
    strokes.append(arc(cx, mid, rx, ry, 0, 305))
    x += ew + 0.16 * cap
    # l l
    for _ in range(2):
        strokes.append([(x + half, base - cap + half), (x + half, base - half)])
        x += sw + 0.17 * cap
    # i with its dot
    strokes.append([(x + half, base - xh + half), (x + half, base - half)])
    dots.append((x + half, base - cap + half + 0.02 * cap, half * 1.15))
    x += sw + 0.17 * cap
    # x
    xw = 0.62 * cap
    strokes.append([(x + half, base - xh + half), (x + xw - half, base - half)])
    strokes.append([(x + xw - half, base - xh + half), (x + half, base - half)])
    return strokes, dots, x + xw


def make_logo():
    c = Canvas(LOGO_W, LOGO_H, 4, PAPER)
    # The lens: glass, a shine, the blue rim and a dark handle to the lower right.
    cx, cy, r_out, rim = 160.0, 84.0, 60.0, 13.0
    c.disc(GLASS, cx, cy, r_out - rim / 2)
    c.stroke(SHINE, arc(cx, cy, r_out - rim - 9, r_out - rim - 9, 105, 165, 16), 8)
    a = math.radians(40)
    start = (cx + (r_out - 4) * math.cos(a), cy + (r_out - 4) * math.sin(a))
    end = (cx + (r_out + 52) * math.cos(a), cy + (r_out + 52) * math.sin(a))
    c.stroke(HANDLE, [start, end], 20)
    c.ring(LENS_BLUE, cx, cy, r_out - rim, r_out)
    # The name, centred under it.
    cap, xh, sw, base = 68.0, 48.0, 13.0, 246.0
    _, _, right = letters(0, base, cap, xh, sw)
    strokes, dots, _ = letters((LOGO_W - right) / 2, base, cap, xh, sw)
    for s in strokes:
        c.stroke(INK, s, sw)
    for (dx, dy, r) in dots:
        c.disc(LENS_BLUE, dx, dy, r)
    return c.pixels()


def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b, _) in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


# --- cursors and icons ---------------------------------------------------------

def dib32(rows):
    """The image of one icon or cursor entry: header, BGRA rows bottom-up, AND mask."""
    h, w = len(rows), len(rows[0])
    head = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return head + colour + bytes(mask)


def icon_file(kind, entries):
    """kind 1 icon, 2 cursor; entries = [(width, height, a, b, data)] where a, b are the
    colour planes and bit count of an icon or the hotspot of a cursor."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for (w, h, a, b, data) in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(data), offset)
        offset += len(data)
    return out + b"".join(e[4] for e in entries)


CAMERA_BODY = (136, 136, 136)
CAMERA_DARK = (72, 72, 72)
CAMERA_EDGE = (40, 40, 40)
CAMERA_GLASS = (96, 120, 150)
RECORD_RED = (210, 40, 40)


def make_camera_cursor():
    c = Canvas(32, 32, 8)
    # Body with a dark edge, a viewfinder on top at the back, the lens at the
    # front flaring out to the left edge where the hotspot (0, 21) lies.
    c.rect(CAMERA_EDGE, 10, 13, 31, 29)
    c.rect(CAMERA_BODY, 11, 14, 30, 28)
    c.rect(CAMERA_EDGE, 19, 8, 29, 14)
    c.rect(CAMERA_DARK, 20, 9, 28, 13)
    c.polygon(CAMERA_EDGE, [(0, 15), (11, 17.5), (11, 24.5), (0, 27)])
    c.polygon(CAMERA_DARK, [(1, 16.3), (10, 18.5), (10, 23.5), (1, 25.7)])
    c.rect(CAMERA_GLASS, 0, 16, 1.5, 26)
    c.disc(RECORD_RED, 26.5, 17.5, 1.6)
    c.rect(CAMERA_DARK, 13, 24, 24, 25.5)
    return c.pixels()


READ_FILL = (20, 40, 110)
READ_EDGE = (255, 255, 255)


def make_reading_cursor():
    c = Canvas(32, 32, 8)
    arrow = [(0, 0), (0, 17), (4.2, 13.2), (7.2, 19.6), (10, 18.4), (7.1, 12.2), (12.6, 12.2)]
    c.polygon(READ_EDGE, [(-1.2, -2.6), (-1.2, 19.8), (3.9, 15.2), (6.6, 21.4), (11.7, 19.1),
                          (9.0, 13.4), (15.6, 13.4)])
    c.polygon(READ_FILL, arrow)
    # A short reading line to the right of the tip's row.
    c.rect(READ_EDGE, 12, 20, 30, 24)
    c.rect(READ_FILL, 13, 21, 29, 23)
    return c.pixels()


def make_icon_image(size):
    c = Canvas(size, size, 8 if size <= 48 else 2)
    u = size / 32.0
    cx, cy, r_out = 13 * u, 13 * u, 11 * u
    rim = max(1.6, 3.2 * u)
    a = math.radians(45)
    start = (cx + (r_out - 1 * u) * math.cos(a), cy + (r_out - 1 * u) * math.sin(a))
    end = (cx + (r_out + 9.5 * u) * math.cos(a), cy + (r_out + 9.5 * u) * math.sin(a))
    # A light edge around the dark handle and the blue rim: one icon that
    # stands out on a dark taskbar as well as on a light one.
    halo = max(1.0, 1.5 * u)
    c.stroke(HALO, [start, end], max(2.2, 4.6 * u) + 2 * halo)
    c.disc(HALO, cx, cy, r_out + halo)
    c.stroke(HANDLE, [start, end], max(2.2, 4.6 * u))
    c.disc(GLASS, cx, cy, r_out - rim / 2)
    if size >= 24:
        c.stroke(SHINE, arc(cx, cy, r_out - rim - 2.2 * u, r_out - rim - 2.2 * u, 105, 165, 12),
                 max(1.2, 2.0 * u))
    c.ring(LENS_BLUE, cx, cy, r_out - rim, r_out)
    return c.pixels()


ICON_SIZES = (16, 20, 24, 32, 48, 256)


def make_icon():
    entries = []
    for s in ICON_SIZES:
        rows = make_icon_image(s)
        # The large size is stored as PNG, as Windows expects for 256 x 256.
        data = png(rows) if s >= 256 else dib32(rows)
        entries.append((s, s, 1, 32, data))
    return icon_file(1, entries)


# --- the click -----------------------------------------------------------------

RATE, SAMPLES = 16000, 326


def make_click():
    """A short percussive click: a noise burst over two tones, decaying in ~5 ms."""
    seed, samples = 0x1234, []
    for n in range(SAMPLES):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed >> 8) / float(1 << 22) - 1.0
        t = n / RATE
        tone = math.sin(2 * math.pi * 2400 * t) + 0.5 * math.sin(2 * math.pi * 5300 * t)
        attack = min(1.0, n / 4.0)
        v = attack * math.exp(-n / 55.0) * (0.55 * tone + 0.45 * noise * math.exp(-n / 25.0))
        samples.append(max(-32767, min(32767, int(round(26000 * v)))))
    data = struct.pack("<%dh" % SAMPLES, *samples)
    fmt = struct.pack("<HHIIHHH", 1, 1, RATE, RATE * 2, 2, 16, 0)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + \
        b"data" + struct.pack("<I", len(data)) + data
    wave = b"RIFF" + struct.pack("<I", len(body)) + body
    assert len(wave) == 698
    return wave


# --- PNG, for the large icon and for previews ---------------------------------

def png(rows, scale=1):
    h, w = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        line = bytearray()
        for p in row:
            line += bytes(p) * scale
        for _ in range(scale):
            raw += b"\0" + line

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + \
            struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
    head = struct.pack(">IIBBBBB", w * scale, h * scale, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + \
        chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    logo = make_logo()
    camera = make_camera_cursor()
    reading = make_reading_cursor()
    write("aaa.bmp", bmp24(logo))
    write("acr.cur", icon_file(2, [(32, 32, 0, 21, dib32(camera))]))
    write("rdc.cur", icon_file(2, [(32, 32, 0, 0, dib32(reading))]))
    write("asd.wav", make_click())
    write("abb.ico", make_icon())
    if preview:
        def save(name, rows, scale):
            with open(os.path.join(preview, name), "wb") as f:
                f.write(png(rows, scale))
        save("logo.png", logo, 1)
        save("acr.png", camera, 8)
        save("rdc.png", reading, 8)
        for s in ICON_SIZES:
            save("icon%d.png" % s, make_icon_image(s), max(1, 128 // s))


if __name__ == "__main__":
    main()
