#!/usr/bin/python3
"""Draws the default Sorvik theme, the application icon and a preview.

Run with Debian's Python (it has Pillow):  /usr/bin/python3 theme/draw_theme.py
Output is byte-for-byte repeatable: no PNG text chunks, fixed random seed.
"""
import math
import os
import random
import struct
import io

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OUT = os.path.join(HERE, "default")
ICON = os.path.join(ROOT, "app", "shell", "res", "sorvik.ico")
PREVIEW = os.path.join(ROOT, "docs", "theme-preview.png")

FONT_CJK = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
FONT_LATIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

SS = 4  # supersampling factor for shapes

# Pictures are drawn in 96-DPI units; K is the scale they are drawn at (1, 1.5, 2). The program
# takes the ones nearest its DPI; at K = 1 every step is exactly the plain 1x drawing.
K = 1
SCALES = ((1.5, "@1.5x"), (2, "@2x"))
SUFFIX = ""


def px(v):
    """A 96-DPI length or coordinate in pixels of the current scale."""
    return v if K == 1 else int(round(v * K))


def unpx(v):
    """Pixels of the current scale back in 96-DPI units."""
    return v if K == 1 else v / K


def blur(radius):
    return ImageFilter.GaussianBlur(radius * K)

# Palette
INK = (7, 12, 24)
NAVY = (13, 22, 40)
NAVY_HI = (22, 38, 66)
TITLE = (10, 18, 34)
TEXT = (232, 241, 255)
MUTED = (138, 160, 192)
CYAN = (34, 211, 238)
SKY = (56, 189, 248)
BLUE = (37, 99, 235)
DEEP_BLUE = (29, 60, 170)
ORANGE = (255, 140, 26)
AMBER_HI = (255, 186, 64)
FLAME = (255, 84, 56)
GREEN = (34, 197, 94)
AMBER = (234, 150, 8)
RED = (232, 64, 64)

# config.ini colours, alpha,red,green,blue
COLORS = [
    ("titleColor", (255,) + TITLE),
    ("bgColor", (255,) + NAVY),
    ("btnUsual", (28, 120, 170, 255)),
    ("btnLight", (64, 56, 170, 245)),
    ("btnDown", (120, 4, 10, 24)),
    ("btnChecked", (120, 37, 99, 235)),
]


# ---------------------------------------------------------------- helpers

_fonts = {}


def font(size, latin=False):
    key = (size, latin, K)
    if key not in _fonts:
        path = FONT_LATIN if latin and os.path.exists(FONT_LATIN) else FONT_CJK
        _fonts[key] = ImageFont.truetype(path, px(size), index=0)
    return _fonts[key]


def blank(w, h):
    return Image.new("RGBA", (px(w), px(h)), (0, 0, 0, 0))


def empty(size):
    """A transparent picture of a size in pixels (of an already scaled picture)."""
    return Image.new("RGBA", size, (0, 0, 0, 0))


def rgba(c, a=255):
    return tuple(c[:3]) + ((c[3],) if len(c) > 3 else (a,))


class Shape:
    """Coverage mask drawn at SS x and box-filtered down, for smooth edges."""

    def __init__(self, w, h):
        self.w, self.h = px(w), px(h)
        self.im = Image.new("L", (self.w * SS, self.h * SS), 0)
        self.d = ImageDraw.Draw(self.im)
        self.s = SS if K == 1 else SS * K

    def _p(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def rrect(self, x0, y0, x1, y1, r, fill=255):
        S = self.s
        self.d.rounded_rectangle([x0 * S, y0 * S, x1 * S - 1, y1 * S - 1],
                                 max(0, r * S), fill=fill)
        return self

    def rect(self, x0, y0, x1, y1, fill=255):
        S = self.s
        self.d.rectangle([x0 * S, y0 * S, x1 * S - 1, y1 * S - 1], fill=fill)
        return self

    def ellipse(self, x0, y0, x1, y1, fill=255):
        S = self.s
        self.d.ellipse([x0 * S, y0 * S, x1 * S - 1, y1 * S - 1], fill=fill)
        return self

    def circle(self, cx, cy, r, fill=255):
        return self.ellipse(cx - r, cy - r, cx + r, cy + r, fill)

    def ring(self, cx, cy, r, width, fill=255):
        self.circle(cx, cy, r, fill)
        return self.circle(cx, cy, r - width, 0)

    def poly(self, pts, fill=255):
        self.d.polygon(self._p(pts), fill=fill)
        return self

    def line(self, pts, width, fill=255, caps=True):
        p = self._p(pts)
        self.d.line(p, fill=fill, width=max(1, round(width * self.s)), joint="curve")
        if caps:  # round ends
            r = width * self.s / 2
            for x, y in (p[0], p[-1]):
                self.d.ellipse([x - r, y - r, x + r, y + r], fill=fill)
        return self

    def arc(self, cx, cy, r, start, end, width, fill=255, caps=True):
        # Angles in degrees, clockwise from 3 o'clock (screen coordinates).
        steps = max(8, int(abs(end - start) / 3))
        pts = [(cx + r * math.cos(math.radians(start + (end - start) * i / steps)),
                cy + r * math.sin(math.radians(start + (end - start) * i / steps)))
               for i in range(steps + 1)]
        return self.line(pts, width, fill, caps)

    def mask(self):
        return self.im.resize((self.w, self.h), Image.BOX)


def paint(img, mask, src, dx=0, dy=0):
    """Composites a colour or RGBA image through a coverage mask onto img."""
    if isinstance(src, tuple):
        layer = Image.new("RGBA", mask.size, rgba(src))
    else:
        layer = src.copy() if src.size == mask.size else src.crop((0, 0) + mask.size)
    layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    full = empty(img.size)
    full.paste(layer, (px(dx), px(dy)))
    img.alpha_composite(full)


def glow(img, mask, color, radius, strength=1.0):
    m = mask.filter(blur(radius))
    if strength != 1.0:
        m = m.point(lambda v: min(255, int(v * strength)))
    paint(img, m, color)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def ramp(stops, t):
    t = min(1.0, max(0.0, t))
    for i in range(len(stops) - 1):
        p0, c0 = stops[i]
        p1, c1 = stops[i + 1]
        if t <= p1:
            return lerp(rgba(c0), rgba(c1), 0 if p1 == p0 else (t - p0) / (p1 - p0))
    return rgba(stops[-1][1])


def _lut_image(w, h, tfun, stops):
    lut = [ramp(stops, i / 255.0) for i in range(256)]
    W, H = px(w), px(h)
    t = Image.new("L", (W, H))
    if K == 1:
        t.putdata([int(255 * min(1.0, max(0.0, tfun(x, y)))) for y in range(H) for x in range(W)])
    else:  # tfun takes pixel corners in 96-DPI units and adds the half pixel itself
        t.putdata([int(255 * min(1.0, max(0.0, tfun((x + .5) / K - .5, (y + .5) / K - .5))))
                   for y in range(H) for x in range(W)])
    chans = [t.point([lut[i][c] for i in range(256)]) for c in range(4)]
    return Image.merge("RGBA", chans)


def linear(w, h, stops, x0=0.0, y0=0.0, x1=None, y1=None):
    """Linear gradient from (x0,y0) to (x1,y1); defaults to top-to-bottom."""
    if x1 is None:
        x1 = x0
    if y1 is None:
        y1 = float(h)
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1.0
    return _lut_image(w, h, lambda x, y: ((x + .5 - x0) * dx + (y + .5 - y0) * dy) / ll, stops)


def radial(w, h, cx, cy, rx, ry, stops):
    return _lut_image(w, h, lambda x, y: math.hypot((x + .5 - cx) / rx, (y + .5 - cy) / ry), stops)


def text_mask(text, size, bold=0.0, latin=False, spacing=0.0):
    """Ink-tight coverage of a caption. Drawn at 4x when bold so the stroke can be sub-pixel."""
    ss = 4 if bold or spacing else 1
    f = font(size * ss, latin)
    sw = int(round(bold * ss * K))
    # Per-glyph placement so letter spacing can be added.
    widths = [f.getlength(ch) for ch in text]
    total = sum(widths) + spacing * ss * K * (len(text) - 1)
    asc, desc = f.getmetrics()
    pad = 4 * ss + sw
    m = Image.new("L", (int(total) + 2 * pad, asc + desc + 2 * pad), 0)
    d = ImageDraw.Draw(m)
    x = pad
    for ch, cw in zip(text, widths):
        d.text((x, pad), ch, font=f, fill=255, stroke_width=sw, stroke_fill=255)
        x += cw + spacing * ss * K
    if ss > 1:
        W = -(-m.width // ss) * ss
        H = -(-m.height // ss) * ss
        big = Image.new("L", (W, H), 0)
        big.paste(m, (0, 0))
        m = big.resize((W // ss, H // ss), Image.BOX)
    box = m.getbbox()
    return m.crop(box) if box else m


def baseline_mask(text, size, bold=0.0, latin=False):
    """Like text_mask but keeps the font's line box, so mixed captions share a baseline."""
    ss = 4 if bold else 1
    f = font(size * ss, latin)
    sw = int(round(bold * ss * K))
    asc, desc = f.getmetrics()
    w = int(f.getlength(text)) + 2 * sw + ss
    m = Image.new("L", (-(-w // ss) * ss, -(-(asc + desc + 2 * sw) // ss) * ss), 0)
    ImageDraw.Draw(m).text((sw, sw), text, font=f, fill=255, stroke_width=sw, stroke_fill=255)
    if ss > 1:
        m = m.resize((m.width // ss, m.height // ss), Image.BOX)
    return m


def put_text(img, mask, x, y, src, shadow=None):
    """Paints a caption mask with its top-left at (x, y); optional (dx, dy, colour) shadow."""
    x, y = int(round(x)), int(round(y))
    if shadow:
        sdx, sdy, scol = shadow
        paint(img, mask, scol, x + sdx, y + sdy)
    if isinstance(src, tuple):
        paint(img, mask, src, x, y)
    else:
        X, Y = px(x), px(y)
        paint(img, mask, src.crop((X, Y, X + mask.width, Y + mask.height)), x, y)


def hstack_center(img, parts, cx, cy, gap):
    """Centres a row of (mask, painter) pairs; painter(x, y, mask) draws each."""
    total = sum(unpx(m.width) for m, _ in parts) + gap * (len(parts) - 1)
    x = cx - total / 2.0
    for m, fn in parts:
        fn(int(round(x)), int(round(cy - unpx(m.height) / 2.0)), m)
        x += unpx(m.width) + gap


def scaled_name(name):
    stem, ext = os.path.splitext(name)
    return stem + SUFFIX + ext


def save_png(img, name):
    path = os.path.join(OUT, scaled_name(name))
    img.save(path, format="PNG", optimize=True)
    return img


def strip_h(states):
    w, h = states[0].size
    out = empty((w * 3, h))
    for i, s in enumerate(states):
        out.paste(s, (i * w, 0))
    return out


def strip_v(states):
    w, h = states[0].size
    out = empty((w, h * 3))
    for i, s in enumerate(states):
        out.paste(s, (0, i * h))
    return out


# ---------------------------------------------------------------- glyphs
# Each glyph fills a Shape inside the box (x, y, size); masks are then painted.

BOLT = [(0.57, 0.06), (0.22, 0.56), (0.46, 0.56), (0.37, 0.94),
        (0.79, 0.41), (0.54, 0.41), (0.70, 0.06)]


def g_bolt(s, x, y, size):
    s.poly([(x + px * size, y + py * size) for px, py in BOLT])


def g_cross(s, cx, cy, r, width):
    s.line([(cx - r, cy - r), (cx + r, cy + r)], width)
    s.line([(cx - r, cy + r), (cx + r, cy - r)], width)


def g_check(s, cx, cy, r, width):
    s.line([(cx - r, cy + r * 0.05), (cx - r * 0.3, cy + r * 0.7), (cx + r, cy - r * 0.6)], width)


def g_arrow_left(s, cx, cy, r, width):
    s.line([(cx + r, cy), (cx - r, cy)], width)
    s.line([(cx - r * 0.15, cy - r * 0.85), (cx - r, cy), (cx - r * 0.15, cy + r * 0.85)], width)


def g_arrow_down(s, cx, cy, r, width):
    s.line([(cx, cy - r), (cx, cy + r * 0.55)], width)
    s.line([(cx - r * 0.7, cy - r * 0.05), (cx, cy + r * 0.6), (cx + r * 0.7, cy - r * 0.05)], width)


def g_refresh(s, cx, cy, r, width):
    s.arc(cx, cy, r, -60, 220, width)
    # arrow head at the start of the arc
    a = math.radians(-60)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    h = width * 2.3
    s.poly([(ex + h * 0.9, ey - h * 0.35), (ex - h * 0.25, ey - h * 1.05), (ex - h * 0.15, ey + h * 0.75)])


def g_gauge(s, cx, cy, r, width):
    s.arc(cx, cy + r * 0.25, r, 150, 390, width)
    s.line([(cx, cy + r * 0.25), (cx + r * 0.55, cy - r * 0.35)], width)
    s.circle(cx, cy + r * 0.25, width * 1.1)


def g_power(s, cx, cy, r, width):
    s.arc(cx, cy, r, -55, 235, width)
    s.line([(cx, cy - r * 1.15), (cx, cy - r * 0.1)], width)


def g_sliders(s, cx, cy, r, width):
    for i, k in enumerate((-0.6, 0.0, 0.6)):
        yy = cy + k * r
        s.line([(cx - r, yy), (cx + r, yy)], width)
        kx = cx + (0.45, -0.5, 0.2)[i] * r
        s.circle(kx, yy, width * 1.55)


def g_globe(s, cx, cy, r, width):
    s.ring(cx, cy, r, width)
    s.ellipse(cx - r * 0.42, cy - r, cx + r * 0.42, cy + r)
    s.ellipse(cx - r * 0.42 + width, cy - r + width, cx + r * 0.42 - width, cy + r - width, 0)
    s.line([(cx - r, cy), (cx + r, cy)], width, caps=False)


def g_bubble(s, cx, cy, r, width):
    s.rrect(cx - r, cy - r * 0.8, cx + r, cy + r * 0.5, r * 0.35)
    s.rrect(cx - r + width, cy - r * 0.8 + width, cx + r - width, cy + r * 0.5 - width,
            r * 0.35 - width, 0)
    s.poly([(cx - r * 0.45, cy + r * 0.45), (cx - r * 0.5, cy + r * 1.0), (cx + r * 0.05, cy + r * 0.45)])


def g_shield(s, cx, cy, r):
    s.poly([(cx, cy - r), (cx + r * 0.85, cy - r * 0.62), (cx + r * 0.8, cy + r * 0.05),
            (cx + r * 0.45, cy + r * 0.65), (cx, cy + r), (cx - r * 0.45, cy + r * 0.65),
            (cx - r * 0.8, cy + r * 0.05), (cx - r * 0.85, cy - r * 0.62)])


def icon_mask(w, h, fn, *args):
    s = Shape(w, h)
    fn(s, *args)
    return s.mask()


# ---------------------------------------------------------------- emblem

def emblem(size, detail=True):
    """Rounded square with an electric gradient and a white bolt; also the icon."""
    img = blank(size, size)
    r = size * 0.24
    body = Shape(size, size).rrect(0, 0, size, size, r).mask()
    g = linear(size, size, [(0, CYAN), (0.55, SKY), (1, DEEP_BLUE)], 0, 0, size, size)
    paint(img, body, g)
    if detail:
        # soft top sheen keeps it from looking flat at large sizes
        sheen = Shape(size, size).ellipse(-size * 0.3, -size * 0.75, size * 1.3, size * 0.45).mask()
        sheen = ImageChops.multiply(sheen, body)
        paint(img, sheen, linear(size, size, [(0, (255, 255, 255, 70)), (0.45, (255, 255, 255, 0))]))
        # speed streaks on the left of the bolt
        st = Shape(size, size)
        for k, (yy, x0, x1) in enumerate(((0.36, 0.12, 0.30), (0.50, 0.08, 0.24), (0.64, 0.14, 0.27))):
            st.line([(size * x0, size * yy), (size * x1, size * yy)], size * 0.045)
        paint(img, st.mask(), (255, 255, 255, 150))
    bolt = Shape(size, size)
    inset = size * (0.14 if detail else 0.08)
    g_bolt(bolt, inset + size * (0.04 if detail else 0), inset, size - 2 * inset)
    bm = bolt.mask()
    if size >= 24:
        paint(img, bm.filter(blur(size / 40.0)), (10, 30, 90, 150),
              max(1, size // 48), max(1, size // 32))
    paint(img, bm, linear(size, size, [(0, (255, 255, 255)), (1, (255, 236, 200))]))
    return img


def icon_16():
    """Hand-tuned 16 px icon: a full-bleed square and a fat bolt read best in a taskbar."""
    s = 16
    img = blank(s, s)
    body = Shape(s, s).rrect(0, 0, s, s, 3.5).mask()
    paint(img, body, linear(s, s, [(0, CYAN), (1, BLUE)], 0, 0, s, s))
    bolt = Shape(s, s).poly([(9.4, 1.2), (3.2, 9.2), (7.3, 9.2), (5.9, 14.8),
                             (12.9, 6.6), (8.7, 6.6), (11.4, 1.2)]).mask()
    paint(img, bolt, (255, 255, 255))
    return img


# ---------------------------------------------------------------- pictures

def make_bg():
    W, H = 800, 600
    img = linear(W, H, [(0, (13, 23, 43)), (0.55, (9, 16, 31)), (1, (6, 10, 20))])
    # cool glow behind the hero button
    paint(img, Image.new("L", (px(W), px(H)), 255),
          radial(W, H, 400, 290, 360, 250, [(0, (40, 120, 220, 60)), (0.6, (30, 80, 180, 18)),
                                            (1, (0, 0, 0, 0))]))
    # warm hint from the lower right keeps the dark from feeling cold
    paint(img, Image.new("L", (px(W), px(H)), 255),
          radial(W, H, 760, 640, 420, 260, [(0, (255, 120, 40, 22)), (1, (0, 0, 0, 0))]))
    # dot grid, fading toward the edges
    dots = Shape(W, H)
    for yy in range(86, H - 40, 18):
        for xx in range(14, W, 18):
            dots.circle(xx, yy, 0.75)
    fade = radial(W, H, 400, 300, 430, 330, [(0, (255, 255, 255, 90)), (0.7, (255, 255, 255, 30)),
                                             (1, (255, 255, 255, 0))]).getchannel("A")
    paint(img, ImageChops.multiply(dots.mask(), fade), (120, 170, 230))
    # speedometer rings around the hero button
    rings = Shape(W, H)
    cx, cy = 400, 290
    for r, a0, a1, wdt in ((150, 200, 340, 1.2), (205, 185, 355, 1.0), (265, 195, 345, 1.0)):
        rings.arc(cx, cy, r, a0, a1, wdt, caps=False)
    for i in range(29):  # tick marks on the middle ring
        a = math.radians(190 + i * 5)
        r1 = 218 if i % 4 == 0 else 214
        rings.line([(cx + 209 * math.cos(a), cy + 209 * math.sin(a)),
                    (cx + r1 * math.cos(a), cy + r1 * math.sin(a))], 1.0, caps=False)
    paint(img, rings.mask(), radial(W, H, cx, cy - 220, 300, 200,
                                    [(0, CYAN + (70,)), (0.7, BLUE + (35,)), (1, BLUE + (0,))]))
    # speed streaks, tapered so they read as motion (fixed seed: deterministic)
    rnd = random.Random(20240611)
    for _ in range(18):
        y = rnd.uniform(110, 540)
        length = rnd.uniform(50, 170)
        x = rnd.uniform(0, 190) if rnd.random() < 0.5 else rnd.uniform(610, 800 - length)
        wdt = rnd.choice((1.0, 1.0, 1.5))
        a = rnd.choice((60, 90, 120))
        sw, sh = int(length) + 4, 6
        m = Shape(sw, sh).line([(2, 3), (2 + length, 3)], wdt).mask()
        paint(img, m, linear(sw, sh, [(0, CYAN + (0,)), (0.8, CYAN + (a,)), (1, (200, 245, 255, a))],
                             0, 0, sw, 0), int(x), int(y))
    # title strip (the program paints titleColor over it; this matches)
    paint(img, Image.new("L", (px(W), px(70)), 255), linear(W, 70, [(0, (12, 21, 40)), (1, TITLE)]))
    acc = Shape(W, 1).rect(0, 0, W, 1).mask()
    line = linear(W, 1, [(0, CYAN + (0,)), (0.2, CYAN + (200,)), (0.55, BLUE + (200,)),
                         (0.85, ORANGE + (140,)), (1, ORANGE + (0,))], 0, 0, W, 0)
    paint(img, acc, line, 0, 70)
    soft = Shape(W, 12).rect(0, 0, W, 3).mask().filter(blur(3))
    paint(img, soft, linear(W, 12, [(0, CYAN + (0,)), (0.3, CYAN + (50,)), (0.7, BLUE + (50,)),
                                   (1, BLUE + (0,))], 0, 0, W, 0), 0, 71)
    # footer separator
    foot = Shape(W, 1).rect(20, 0, W - 20, 1).mask()
    paint(img, foot, linear(W, 1, [(0, (80, 110, 160, 0)), (0.5, (80, 110, 160, 70)),
                                   (1, (80, 110, 160, 0))], 0, 0, W, 0), 0, 566)
    # vignette
    paint(img, Image.new("L", (px(W), px(H)), 255),
          radial(W, H, 400, 330, 560, 420, [(0, (0, 0, 0, 0)), (0.75, (0, 0, 0, 0)),
                                            (1, (0, 0, 0, 90))]))
    return save_png(img.convert("RGB").convert("RGBA"), "bg.png")


def make_logo():
    W, H = 200, 50
    img = blank(W, H)
    glow(img, Shape(W, H).rrect(4, 6, 42, 44, 9).mask(), CYAN + (120,), 4)
    img.alpha_composite(emblem(38), (px(4), px(6)))
    x = 50
    # shrink the word mark until it fits the 200 px logo box
    for size in range(24, 15, -1):
        f_l, f_c = font(size, True), font(size - 3)
        name = baseline_mask("Sorvik", size, latin=True)
        cn = baseline_mask("加速器", size - 3, bold=0.35)
        if x + unpx(name.getbbox()[2]) + 4 + unpx(cn.getbbox()[2]) <= W - 2:
            break
    base = 29
    put_text(img, name, x, base - unpx(f_l.getmetrics()[0]), TEXT, shadow=(0, 1, (0, 0, 0, 140)))
    x2 = x + unpx(name.getbbox()[2]) + 4
    put_text(img, cn, x2, base - unpx(f_c.getmetrics()[0]) + 1,
             linear(W, H, [(0, CYAN), (1, SKY)], x2, 0, x2 + unpx(cn.getbbox()[2]), 0),
             shadow=(0, 1, (0, 0, 0, 140)))
    tag = text_mask("GAME ACCELERATOR", 8, spacing=1.6)
    put_text(img, tag, x + 1, 35, MUTED + (220,))
    return save_png(img, "logo.png")


def title_button(kind, state):
    s = 24
    img = blank(s, s)
    plate = Shape(s, s).rrect(1, 1, 23, 23, 5).mask()
    if kind == "close":
        if state == 1:
            paint(img, plate, linear(s, s, [(0, (248, 92, 92)), (1, (214, 48, 56))]))
        elif state == 2:
            paint(img, plate, (170, 32, 40))
    else:
        if state == 1:
            paint(img, plate, (255, 255, 255, 34))
        elif state == 2:
            paint(img, plate, (0, 0, 0, 90))
    g = Shape(s, s)
    off = 0.5 if state == 2 else 0
    if kind == "close":
        g_cross(g, 12 + off, 12 + off, 4.2, 1.7)
    else:
        g.line([(7.5 + off, 12.5 + off), (16.5 + off, 12.5 + off)], 1.7)
    col = (196, 210, 232) if state == 0 else (255, 255, 255)
    paint(img, g.mask(), col)
    return img


def make_title_buttons():
    save_png(strip_h([title_button("close", i) for i in range(3)]), "close.png")
    save_png(strip_h([title_button("small", i) for i in range(3)]), "small.png")


def make_close2():
    s = 16
    states = []
    for st in range(3):
        img = blank(s, s)
        if st:
            paint(img, Shape(s, s).circle(8, 8, 7.5).mask(), (0, 0, 0, 28 if st == 1 else 60))
        g = Shape(s, s)
        g_cross(g, 8, 8, 3.2, 1.5)
        paint(img, g.mask(), [(98, 108, 124), (200, 50, 56), (150, 30, 36)][st])
        states.append(img)
    save_png(strip_h(states), "close2.png")


def make_badge():
    W, H = 150, 34
    img = blank(W, H)
    pill = Shape(W, H).rrect(1, 4, W - 1, H - 4, 13).mask()
    paint(img, pill, (14, 26, 48, 200))
    ring = Shape(W, H).rrect(1, 4, W - 1, H - 4, 13).rrect(2, 5, W - 2, H - 5, 12, 0).mask()
    paint(img, ring, linear(W, H, [(0, CYAN + (150,)), (1, BLUE + (60,))], 0, 0, W, 0))
    t = text_mask("稳定 · 低延迟", 13)
    sx = (W - 16 - 7 - unpx(t.width)) / 2.0 + 8  # shield centre, group centred in the pill
    sh = Shape(W, H)
    g_shield(sh, sx, 17, 8)
    paint(img, sh.mask(), linear(W, H, [(0, CYAN), (1, BLUE)], 0, 9, 0, 25))
    ck = Shape(W, H)
    g_check(ck, sx, 17, 3.6, 1.5)
    paint(img, ck.mask(), (255, 255, 255))
    put_text(img, t, sx + 8 + 7, (H - unpx(t.height)) / 2, (178, 212, 240))
    return save_png(img, "wjses.png")


def make_new_version():
    W, H = 360, 100
    img = blank(W, H)
    card = Shape(W, H).rrect(2, 2, W - 2, H - 2, 14).mask()
    glow(img, card, (0, 0, 0, 160), 3)
    paint(img, card, linear(W, H, [(0, (24, 40, 72, 245)), (1, (14, 24, 46, 245))]))
    edge = Shape(W, H).rrect(2, 2, W - 2, H - 2, 14).rrect(3, 3, W - 3, H - 3, 13, 0).mask()
    paint(img, edge, linear(W, H, [(0, CYAN + (200,)), (0.6, BLUE + (120,)), (1, BLUE + (40,))],
                            0, 0, W, H))
    # badge: up arrow in a glowing circle
    c = Shape(W, H).circle(52, 50, 26).mask()
    glow(img, c, CYAN + (110,), 6)
    paint(img, c, linear(W, H, [(0, CYAN), (1, BLUE)], 30, 26, 76, 76))
    ar = Shape(W, H)
    ar.line([(52, 63), (52, 38)], 4.2)
    ar.line([(42, 47), (52, 37), (62, 47)], 4.2)
    paint(img, ar.mask(), (255, 255, 255))
    t1 = text_mask("发现新版本", 26, bold=0.5)
    t2 = text_mask("请下载最新版本后继续使用", 14)
    x = 96
    put_text(img, t1, x, 23, TEXT, shadow=(0, 1, (0, 0, 0, 150)))
    put_text(img, t2, x, 23 + unpx(t1.height) + 12, MUTED)
    return save_png(img, "newVersion.png")


def pill_button(W, H, state, stops, glow_col, text, size, icon=None, radius=None, gloss=True,
                text_shadow=(0, 0, 0, 100)):
    """A glossy pill: usual, hover (brighter, stronger glow), pressed (darker, nudged down).
    stops holds one gradient per state."""
    img = blank(W, H)
    m = 4  # room for the glow inside each cell
    dy = 1 if state == 2 else 0
    r = radius if radius is not None else (H - 2 * m) / 2.0
    x0, y0, x1, y1 = m, m - 1 + dy, W - m, H - m - 1 + dy
    body = Shape(W, H).rrect(x0, y0, x1, y1, r).mask()
    # shadow and glow
    paint(img, body.filter(blur(2)), (0, 0, 0, 150 if state < 2 else 90), 0, 2)
    if state == 1:
        glow(img, body, glow_col + (210,), 4, 1.2)
    elif state == 0:
        glow(img, body, glow_col + (110,), 3)
    paint(img, body, linear(W, H, stops[state], x0, y0, x1, y1))
    if gloss:
        top = Shape(W, H).rrect(x0 + 2, y0 + 1.5, x1 - 2, (y0 + y1) / 2 + 1, r - 2).mask()
        a = [70, 90, 30][state]
        paint(img, ImageChops.multiply(top, body),
              linear(W, H, [(0, (255, 255, 255, a)), (1, (255, 255, 255, 0))], 0, y0, 0, (y0 + y1) / 2 + 1))
    # thin light rim on the top edge, darker at the bottom
    rim = Shape(W, H).rrect(x0, y0, x1, y1, r).rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1, 0).mask()
    paint(img, rim, linear(W, H, [(0, (255, 255, 255, 120 if state < 2 else 50)),
                                  (0.5, (255, 255, 255, 10)), (1, (0, 0, 0, 60))], 0, y0, 0, y1))
    t = text_mask(text, size, bold=0.55)
    cy = (y0 + y1) / 2.0 + 0.5
    parts = []
    if icon:
        fn, isz = icon
        im = icon_mask(isz, isz, fn, isz)
        parts.append((im, lambda x, y, mm: (paint(img, mm, text_shadow, x, y + 1),
                                            paint(img, mm, (255, 255, 255), x, y))))
    parts.append((t, lambda x, y, mm: (paint(img, mm.filter(blur(1.5)),
                                             text_shadow, x, y + 1),
                                       put_text(img, mm, x, y, (255, 255, 255),
                                                shadow=(0, 1, text_shadow)))))
    hstack_center(img, parts, W / 2.0, cy, max(6, size // 3))
    return img


def _bolt_icon(s, size):
    g_bolt(s, 0, 0, size)


def _down_icon(s, size):
    g_arrow_down(s, size / 2, size / 2, size * 0.42, size * 0.16)


def make_hero():
    stops = [[(0, (255, 172, 48)), (0.5, (255, 122, 28)), (1, (246, 72, 52))],
             [(0, (255, 196, 80)), (0.5, (255, 142, 44)), (1, (255, 90, 66))],
             [(0, (232, 128, 24)), (0.5, (220, 88, 20)), (1, (196, 52, 40))]]
    states = [pill_button(220, 64, i, stops, ORANGE, "一键加速", 27, icon=(_bolt_icon, 30),
                          text_shadow=(150, 50, 0, 150))
              for i in range(3)]
    save_png(strip_v(states), "yjjs.png")


def make_download():
    stops = [[(0, (34, 200, 238)), (0.55, (40, 150, 245)), (1, BLUE)],
             [(0, (90, 225, 250)), (0.55, (66, 175, 255)), (1, (60, 120, 250))],
             [(0, (20, 150, 190)), (0.55, (26, 110, 200)), (1, (28, 70, 180))]]
    states = [pill_button(180, 48, i, stops, SKY, "立即下载", 18, icon=(_down_icon, 20), radius=10,
                          text_shadow=(10, 40, 110, 140))
              for i in range(3)]
    save_png(strip_v(states), "download.png")


def flat_button(W, H, text, size, icon=None, color=TEXT, icon_color=None, bold=0.3, gap=6,
                outline=None):
    """'Whole' button: caption and glyph on transparency; the program paints the fill."""
    img = blank(W, H)
    if outline:
        o = Shape(W, H).rrect(0.5, 0.5, W - 0.5, H - 0.5, 5).rrect(1.5, 1.5, W - 1.5, H - 1.5, 4, 0).mask()
        paint(img, o, outline)
    t = text_mask(text, size, bold=bold)
    parts = []
    if icon:
        fn, isz = icon
        im = icon_mask(isz, isz, fn, isz)
        parts.append((im, lambda x, y, mm: paint(img, mm, icon_color or color, x, y)))
    parts.append((t, lambda x, y, mm: put_text(img, mm, x, y, color, shadow=(0, 1, (0, 0, 0, 120)))))
    hstack_center(img, parts, W / 2.0, H / 2.0, gap)
    return img


def _ico(fn, *k):
    def draw(s, size):
        fn(s, size / 2, size / 2, *[v * size for v in k])
    return draw


def make_whole_buttons():
    save_png(flat_button(160, 40, "自定义加速", 16, icon=(_ico(g_sliders, 0.4, 0.09), 18),
                         icon_color=CYAN), "zdyjs.png")
    save_png(flat_button(64, 18, "官方网站", 12, icon=(_ico(g_globe, 0.45, 0.1), 11),
                         color=(150, 170, 200), bold=0, gap=3), "website.png")
    save_png(flat_button(64, 18, "反馈交流", 12, icon=(_ico(g_bubble, 0.45, 0.1), 11),
                         color=(150, 170, 200), bold=0, gap=3), "exchange.png")
    save_png(flat_button(80, 28, "返回", 15, icon=(_ico(g_arrow_left, 0.4, 0.13), 16),
                         icon_color=CYAN), "return.png")
    save_png(flat_button(110, 32, "立即加速", 14, icon=(_bolt_icon, 16), icon_color=ORANGE),
             "ljjs.png")
    save_png(flat_button(110, 32, "刷新列表", 14, icon=(_ico(g_refresh, 0.36, 0.12), 16),
                         icon_color=CYAN), "refreshList.png")
    save_png(flat_button(110, 32, "重新测速", 14, icon=(_ico(g_gauge, 0.4, 0.11), 16),
                         icon_color=CYAN), "refreshSpeed.png")
    save_png(flat_button(140, 40, "断开加速", 16, icon=(_ico(g_power, 0.36, 0.11), 18),
                         icon_color=(255, 110, 100)), "disconnected.png")
    save_png(flat_button(140, 40, "返回", 16, icon=(_ico(g_arrow_left, 0.4, 0.12), 18),
                         icon_color=CYAN), "btnReturn.png")
    save_png(flat_button(72, 26, "退出", 14, color=(255, 150, 120)), "btnExit.png")
    save_png(flat_button(72, 26, "取消", 14), "btnCancel.png")


def result_picture(name, text, kind):
    W, H = 300, 60
    img = blank(W, H)
    t = text_mask(text, 28, bold=0.6)
    isz = 44
    icon = blank(isz, isz)
    c = isz / 2.0
    if kind == "connecting":
        # eight dots with a fading tail, like a frozen spinner
        for i in range(8):
            a = math.radians(-90 + i * 45)
            d = Shape(isz, isz).circle(c + 15 * math.cos(a), c + 15 * math.sin(a), 2.2 + 1.6 * i / 7).mask()
            paint(icon, d, CYAN + (int(50 + 205 * i / 7),))
        col = TEXT
    else:
        base = GREEN if kind == "success" else RED
        disc = Shape(isz, isz).circle(c, c, 19).mask()
        glow(icon, disc, base + (150,), 3)
        hi = tuple(min(255, v + 50) for v in base)
        paint(icon, disc, linear(isz, isz, [(0, hi), (1, base)], 0, 3, 0, 41))
        g = Shape(isz, isz)
        if kind == "success":
            g_check(g, c, c + 0.5, 9.5, 3.6)
        else:
            g_cross(g, c, c, 7, 3.6)
        paint(icon, g.mask(), (255, 255, 255))
        col = (150, 240, 180) if kind == "success" else (255, 160, 150)
    parts = [(icon.getchannel("A"), lambda x, y, mm: img.alpha_composite(icon, (px(x), px(y)))),
             (t, lambda x, y, mm: put_text(img, mm, x, y, col, shadow=(0, 2, (0, 0, 0, 150))))]
    hstack_center(img, parts, W / 2.0, H / 2.0, 12)
    return save_png(img, name)


def make_results():
    result_picture("connecting.png", "正在连接…", "connecting")
    result_picture("success.png", "加速成功", "success")
    result_picture("fail.png", "加速失败", "fail")


# ---------------------------------------------------------------- BMP load meters

def write_bmp32(img, path):
    """Uncompressed 32-bpp BI_RGB, bottom-up, 54-byte header, opaque alpha."""
    w, h = img.size
    px = img.convert("RGB").load()
    rows = []
    for y in range(h - 1, -1, -1):
        rows.append(b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0], 255)
                             for x in range(w)))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


def make_burden():
    levels = [("burden1.bmp", "流畅", 1, (22, 163, 74)),
              ("burden2.bmp", "拥挤", 2, (217, 119, 6)),
              ("burden3.bmp", "爆满", 3, (220, 38, 38))]
    for name, word, n, col in levels:
        W, H = 60, 20
        img = Image.new("RGBA", (px(W), px(H)), (255, 255, 255, 255))
        t = text_mask(word, 12)
        bw, gap = 3, 2
        meter_w = 3 * bw + 2 * gap
        total = meter_w + 5 + unpx(t.width)
        x = (W - total) // 2
        for i in range(3):
            bh = 5 + i * 4
            bx = x + i * (bw + gap)
            bar = Shape(W, H).rrect(bx, 16 - bh, bx + bw, 16, 1).mask()
            paint(img, bar, col if i < n else (214, 220, 228))
        put_text(img, t, x + meter_w + 5, (H - unpx(t.height)) / 2.0 + 0.5, col)
        write_bmp32(img, os.path.join(OUT, scaled_name(name)))


# ---------------------------------------------------------------- icon

def write_ico(path):
    """16/32/48 as classic 32-bpp DIBs (read by every Windows and by Wine), 256 as PNG."""
    images = []
    for size in (16, 32, 48, 256):
        im = icon_16() if size == 16 else emblem(size, detail=size >= 48)
        if size == 256:
            buf = io.BytesIO()
            im.save(buf, format="PNG", optimize=True)
            images.append((size, buf.getvalue()))
            continue
        px = im.load()
        xor = b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                       for y in range(size - 1, -1, -1) for x in range(size))
        stride = ((size + 31) // 32) * 4
        andm = bytearray()
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            for x in range(size):
                if px[x, y][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            andm += row
        hdr = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        images.append((size, hdr + xor + bytes(andm)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(out + entries + blobs)


# ---------------------------------------------------------------- INI files

def write_ini():
    with open(os.path.join(HERE, "theme.ini"), "wb") as f:
        f.write(b"[theme]\r\nname=default\r\n")
    lines = ["[theme]", "name=默认主题", "bgImage=bg.png"]
    lines += ["%s=%s" % (k, ",".join(str(v) for v in c)) for k, c in COLORS]
    with open(os.path.join(OUT, "config.ini"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gbk"))


# ---------------------------------------------------------------- preview

def preview(p):
    col = dict(COLORS)

    def argb(k):
        a, r, g, b = col[k]
        return (r, g, b, a)

    def load(n):
        return p[n]

    def whole(canvas, pic, x, y, fill, margin=6):
        w, h = pic.size
        canvas.alpha_composite(Image.new("RGBA", (w + 2 * margin, h + 2 * margin), argb(fill)),
                               (x - margin, y - margin))
        canvas.alpha_composite(pic, (x, y))

    def cell(pic, i, vertical):
        w, h = pic.size
        return pic.crop((0, i * h // 3, w, (i + 1) * h // 3)) if vertical else \
            pic.crop((i * w // 3, 0, (i + 1) * w // 3, h))

    W = 800
    H = 600 + 900
    cv = Image.new("RGBA", (W, H), rgba(NAVY))
    # start panel
    panel = load("bg.png").copy()
    panel.alpha_composite(Image.new("RGBA", (800, 70), argb("titleColor")))
    panel.alpha_composite(load("logo.png"), (10, 10))
    panel.alpha_composite(cell(load("small.png"), 0, False), (736, 22))
    panel.alpha_composite(cell(load("close.png"), 0, False), (766, 22))
    hero = cell(load("yjjs.png"), 0, True)
    panel.alpha_composite(hero, ((800 - hero.width) // 2, 250))
    z = load("zdyjs.png")
    whole(panel, z, (800 - z.width) // 2, 330, "btnUsual")
    whole(panel, load("website.png"), 16, 576, "btnUsual", 2)
    whole(panel, load("exchange.png"), 92, 576, "btnUsual", 2)
    b = load("wjses.png")
    panel.alpha_composite(b, (800 - b.width - 10, 600 - b.height - 10))
    cv.alpha_composite(panel, (0, 0))

    d = ImageDraw.Draw(cv)
    lab = font(12)

    def label(x, y, s):
        d.text((x, y), s, font=lab, fill=MUTED)

    y = 612
    label(10, y, "常态 / 悬停 / 按下")
    y += 20
    x = 10
    for n in ("close.png", "small.png"):
        for i in range(3):
            cv.alpha_composite(cell(load(n), i, False), (x, y))
            x += 32
        x += 12
    bar = Image.new("RGBA", (220, 30), (246, 248, 251, 255))
    for i in range(3):
        bar.alpha_composite(cell(load("close2.png"), i, False), (150 + i * 22 - 44, 7))
    ImageDraw.Draw(bar).text((8, 8), "公告栏示例", font=lab, fill=(60, 70, 90))
    cv.alpha_composite(bar, (x, y - 3))
    x += 240
    for i, n in enumerate(("burden1.bmp", "burden2.bmp", "burden3.bmp")):
        cv.alpha_composite(Image.new("RGBA", (68, 26), (255, 255, 255, 255)), (x + i * 72, y - 1))
        cv.alpha_composite(p[n], (x + 4 + i * 72, y + 2))
    y += 40
    for i in range(3):
        cv.alpha_composite(cell(load("yjjs.png"), i, True), (10 + i * 228, y))
    y += 72
    for i in range(3):
        cv.alpha_composite(cell(load("download.png"), i, True), (10 + i * 190, y))
    y += 58
    rows = [["zdyjs.png", "return.png", "disconnected.png", "btnReturn.png"],
            ["ljjs.png", "refreshList.png", "refreshSpeed.png", "btnExit.png", "btnCancel.png",
             "website.png", "exchange.png"]]
    for row in rows:
        for fill in ("btnUsual", "btnLight", "btnDown"):
            x = 16
            for n in row:
                pic = load(n)
                whole(cv, pic, x, y + 6, fill)
                x += pic.width + 22
            y += max(load(n).height for n in row) + 18
        y += 4
    x = 10
    for n in ("connecting.png", "success.png", "fail.png"):
        cv.alpha_composite(load(n), (x, y))
        x += 262
    y += 66
    cv.alpha_composite(load("newVersion.png"), (10, y))
    # confirmation window mock
    dlg = Image.new("RGBA", (400, 120), argb("bgColor"))
    ImageDraw.Draw(dlg).text((20, 24), "确定要退出 Sorvik 加速器吗？", font=font(14), fill=TEXT)
    whole(dlg, load("btnExit.png"), 114, 70, "btnUsual", 10)
    whole(dlg, load("btnCancel.png"), 220, 70, "btnLight", 10)
    cv.alpha_composite(dlg, (390, y - 10))
    y += 116
    cv = cv.crop((0, 0, W, y))
    os.makedirs(os.path.dirname(PREVIEW), exist_ok=True)
    cv.convert("RGB").save(PREVIEW, format="PNG", optimize=True)


# ---------------------------------------------------------------- main

def make_pictures():
    make_bg()
    make_logo()
    make_title_buttons()
    make_close2()
    make_badge()
    make_new_version()
    make_download()
    make_hero()
    make_whole_buttons()
    make_results()
    make_burden()


def main():
    global K, SUFFIX
    os.makedirs(OUT, exist_ok=True)
    write_ini()
    make_pictures()
    write_ico(ICON)
    # The same pictures for high-DPI screens; the icon and the preview stay 1x.
    for K, SUFFIX in SCALES:
        make_pictures()
    K, SUFFIX = 1, ""
    pics = {}
    for n in sorted(os.listdir(OUT)):
        if (n.endswith(".png") or n.endswith(".bmp")) and "@" not in n:
            with Image.open(os.path.join(OUT, n)) as im:
                pics[n] = im.convert("RGBA")
    preview(pics)


if __name__ == "__main__":
    main()
