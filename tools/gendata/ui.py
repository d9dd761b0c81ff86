"""Pictures of the interface: plaques, titles, cursors, the particle sheet."""
import math

import numpy as np
from PIL import Image

from .paint import (M, Canvas, blur, dilate, fancy_text, font, from_image, glow, noise2d, polygon, radial,
                    radial_at, shapes, text_mask, vgradient)

SERIF_BOLD = "DejaVuSerif-Bold.ttf"
SERIF = "DejaVuSerif.ttf"
SANS = "DejaVuSans.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"

CREAM = (255, 243, 200)
GOLD_TOP, GOLD_BOTTOM = (255, 236, 160), (214, 140, 40)


def wood(w, h, rng, base=(122, 80, 50), grain=0.22):
    """Wood texture: horizontal grain over a base colour."""
    n = noise2d(w // 6 + 2, h, rng, cell=3, octaves=3)
    n = np.asarray(Image.fromarray(n, "F").resize((w, h), Image.BICUBIC), np.float32)
    stripes = 0.5 + 0.5 * np.sin(np.arange(h, dtype=np.float32)[:, None] * 0.9 + n * 9)
    tone = 1 - grain + grain * 2 * (0.4 * n + 0.6 * stripes)
    col = np.empty((h, w, 3), np.float32)
    col[:] = np.array(base, np.float32) / 255
    return col * tone[..., None]


def bevel(c, body, inner, pad, h, state, light, strength):
    """Lights the rim between body and inner on top and darkens it below;
    the other way round when the plate is pressed ("dn")."""
    rim = np.clip(body - inner, 0, 1)
    yy = np.arange(c.h, dtype=np.float32)[:, None]
    top = np.clip(1 - (yy - pad) / (h * 0.5), 0, 1)
    if state == "dn":
        top = 1 - top
    c.add(light, rim * top * strength)
    c.multiply(0.55, rim * (1 - top))


def plaque(w, h, label, rng, state, size=26):
    """A wooden plaque with a label. state: 'in' normal, 'ac' hovered, 'dn' pressed.
    Returns (canvas, dx, dy): the picture and where its top-left lies from the plaque's."""
    pad = 14 if state == "ac" else 4
    c = Canvas(w + 2 * pad, h + 2 * pad, alpha=0.0)
    body = shapes(c.w, c.h, lambda d, s: d.rounded_rectangle([pad * s, pad * s, (pad + w) * s, (pad + h) * s],
                                                            radius=10 * s, fill=255)).full(c.w, c.h)
    if state == "ac":
        c.over((255, 190, 90), blur(dilate(body, 3), 7) * 0.75)
    # Drop shadow.
    sh = np.roll(np.roll(blur(body, 3), 4, 0), 2, 1)
    c.over((10, 6, 12), sh * 0.55)
    tint = {"in": 1.0, "ac": 1.22, "dn": 0.78}[state]
    grain = wood(c.w, c.h, rng) * tint
    c.over(grain, body)
    # Bevel: light on the top edge, dark on the bottom, dark rim.
    inner = shapes(c.w, c.h, lambda d, s: d.rounded_rectangle([(pad + 4) * s, (pad + 4) * s, (pad + w - 4) * s,
                                                              (pad + h - 4) * s], radius=7 * s, fill=255)).full(c.w, c.h)
    bevel(c, body, inner, pad, h, state, (255, 210, 150), 0.35)
    # Brass nails.
    for nx in (pad + 12, pad + w - 12):
        c.over((90, 64, 30), radial_at(c.w, c.h, nx, pad + h / 2, 4.5, power=0.4))
        c.add((255, 230, 160), radial_at(c.w, c.h, nx - 1, pad + h / 2 - 1.5, 2.2, power=1.0) * 0.9)
    # The label.
    fnt = font(SERIF_BOLD, size)
    col_top, col_bottom = {"in": ((255, 240, 200), (236, 200, 140)), "ac": ((255, 252, 220), (255, 214, 120)),
                           "dn": ((220, 200, 160), (190, 160, 110))}[state]
    text = fancy_text(label, fnt, col_top, col_bottom, outline=(52, 26, 10), outline_px=2, shadow=0.5,
                      glow_col=(255, 200, 100) if state == "ac" else None, glow_radius=6, pad=10)
    tx = (c.w - text.w) // 2
    ty = (c.h - text.h) // 2 + (2 if state == "dn" else 0)
    c.paste(text, tx, ty)
    dy = 2 if state == "dn" else 0
    if dy:
        shifted = Canvas(c.w, c.h, alpha=0.0)
        shifted.paste(c, 0, dy)
        c = shifted
    return c, -pad, -pad


def title_text(text, size, glow_col=(255, 170, 70)):
    return fancy_text(text, font(SERIF_BOLD, size), GOLD_TOP, GOLD_BOTTOM, outline=(48, 22, 8), outline_px=3,
                      shadow=0.7, glow_col=glow_col, glow_radius=14)


def parchment(w, h, rng, angle_deg, lines):
    """A pinned paper tag, rotated; lines = [(text, font, size, colour, y)]."""
    c = Canvas(w, h, alpha=0.0)
    edge = shapes(w, h, lambda d, s: d.rounded_rectangle([2 * s, 2 * s, (w - 3) * s, (h - 3) * s], radius=6 * s,
                                                         fill=255)).full(w, h)
    n = noise2d(w, h, rng, cell=14, octaves=3)
    paper = np.empty((h, w, 3), np.float32)
    paper[:] = np.array([236, 214, 168], np.float32) / 255
    paper *= (0.86 + 0.18 * n)[..., None]
    c.over(paper, edge)
    c.multiply((0.78, 0.68, 0.55), np.clip(edge - np.clip(blur(edge, 5) * 1.6 - 0.6, 0, 1), 0, 1))
    for text, face, size, colour, y in lines:
        m, _ = text_mask(text, font(face, size), pad=2)
        c.over(colour, m, (w - m.shape[1]) // 2, y)
    # The pin.
    c.over((150, 30, 30), radial_at(w, h, w / 2, 9, 5, power=0.4))
    c.add((255, 200, 200), radial_at(w, h, w / 2 - 1.5, 7.5, 2, power=1) * 0.8)
    img = c.image().rotate(-angle_deg, resample=Image.BICUBIC, expand=True)
    return from_image(img)


def ropes(w, h, xs, color=(150, 118, 78)):
    """Two hanging ropes, from the top edge down."""
    c = Canvas(w, h, alpha=0.0)
    def draw(d, s):
        for x in xs:
            d.line([x * s, 0, x * s, h * s], fill=255, width=3 * s)
    m = shapes(w, h, draw).full(w, h)
    c.over((40, 26, 18), np.roll(blur(m, 1.5), 2, 1) * 0.6)
    c.over(color, m)
    yy = np.arange(h, dtype=np.float32)[:, None]
    twist = (0.5 + 0.5 * np.sin(yy * 1.3)) * m
    c.multiply(0.7, twist)
    return c


# --- cursors and small images ---------------------------------------------

def arrow_cursor(colour=(250, 246, 236), outline=(20, 14, 10)):
    w = h = 32
    pts = [(1, 1), (1, 24), (7, 19), (11, 28), (15, 26), (11, 18), (19, 18)]
    c = Canvas(w, h, alpha=0.0)
    m = polygon(w, h, pts).full(w, h)
    c.over((0, 0, 0), np.roll(np.roll(blur(m, 1.2), 2, 0), 2, 1) * 0.5)
    c.over(outline, dilate(m, 1))
    grad = vgradient(w, h, [(0, colour), (28, tuple(v * 0.78 for v in colour))])
    c.over(grad, m)
    return c


def glyph_icon(ch, size, face, top, bottom, canvas=48, outline=(30, 18, 10), glow_col=None):
    c = Canvas(canvas, canvas, alpha=0.0)
    t = fancy_text(ch, font(face, size), top, bottom, outline=outline, outline_px=2, shadow=0.5,
                   glow_col=glow_col, glow_radius=4, pad=6)
    c.paste(t, (canvas - t.w) // 2, (canvas - t.h) // 2)
    return c


def magnifier(size=48, with_handle=True):
    c = Canvas(size, size, alpha=0.0)
    r = size * 0.27
    cx, cy = size * 0.4, size * 0.4
    def draw(d, s):
        d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], outline=255, width=int(4 * s))
    ring = shapes(size, size, draw).full(size, size)
    handle = polygon(size, size, [(cx + r * 0.62, cy + r * 0.8), (cx + r * 0.8, cy + r * 0.62),
                                  (size - 3, size - 7), (size - 7, size - 3)]).full(size, size)
    glass = radial(size, size, cx, cy, r, power=0.2)
    c.over((0, 0, 0), np.roll(np.roll(blur(ring + (handle if with_handle else 0), 1.5), 2, 0), 2, 1) * 0.5)
    c.over((170, 210, 230), glass * 0.35)
    c.add((255, 255, 255), radial(size, size, cx - r * 0.35, cy - r * 0.35, r * 0.4, power=1.5) * 0.6)
    if with_handle:
        c.over((90, 50, 30), dilate(handle, 1))
        c.over((150, 90, 50), handle)
    c.over((60, 40, 20), dilate(ring, 1))
    c.over(vgradient(size, size, [(0, (255, 230, 150)), (size, (180, 120, 40))]), ring)
    return c


def crosshair(colour, size=48, cross=False):
    c = Canvas(size, size, alpha=0.0)
    cx = cy = size / 2
    def draw(d, s):
        r = size * 0.32
        d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], outline=255, width=int(2.5 * s))
        for a in range(4):
            ang = a * math.pi / 2
            d.line([(cx + math.cos(ang) * 5) * s, (cy + math.sin(ang) * 5) * s,
                    (cx + math.cos(ang) * (r + 7)) * s, (cy + math.sin(ang) * (r + 7)) * s], fill=255,
                   width=int(2.5 * s))
        if cross:
            k = size * 0.16
            d.line([(cx - k) * s, (cy - k) * s, (cx + k) * s, (cy + k) * s], fill=255, width=int(3 * s))
            d.line([(cx - k) * s, (cy + k) * s, (cx + k) * s, (cy - k) * s], fill=255, width=int(3 * s))
    m = shapes(size, size, draw).full(size, size)
    c.over((0, 0, 0), dilate(m, 1) * 0.8)
    c.over(colour, m)
    c.add(colour, blur(m, 3) * 0.4)
    return c


def door_cursor(size=48):
    c = Canvas(size, size, alpha=0.0)
    frame = polygon(size, size, [(10, 44), (10, 10), (34, 6), (34, 44)]).full(size, size)
    door = polygon(size, size, [(14, 42), (14, 13), (30, 10), (30, 42)]).full(size, size)
    c.over((0, 0, 0), np.roll(np.roll(blur(frame, 1.5), 2, 0), 2, 1) * 0.5)
    c.over((50, 30, 20), dilate(frame, 1))
    c.over((120, 80, 50), frame)
    c.over(vgradient(size, size, [(10, (255, 220, 130)), (44, (255, 160, 60))]), door)
    arrow = polygon(size, size, [(20, 24), (32, 24), (32, 19), (42, 27), (32, 35), (32, 30), (20, 30)]).full(size, size)
    c.over((30, 20, 10), dilate(arrow, 1))
    c.over((250, 246, 230), arrow)
    return c


def hand_cursor(closed=False, sparkle=False, size=40):
    """A pointing hand, or a closed one holding something."""
    def draw(d, s):
        def rr(x0, y0, x1, y1, r):
            d.rounded_rectangle([x0 * s, y0 * s, x1 * s, y1 * s], radius=r * s, fill=255)
        if closed:
            rr(9, 15, 31, 37, 7)
            for k in range(4):
                d.ellipse([(9 + k * 5.5) * s, 10 * s, (15.5 + k * 5.5) * s, 20 * s], fill=255)
            d.polygon([(9 * s, 24 * s), (4 * s, 19 * s), (7 * s, 15 * s), (14 * s, 21 * s)], fill=255)
        else:
            rr(10, 19, 31, 38, 6)
            rr(12.5, 2, 18.5, 24, 3)
            rr(18, 14, 23.5, 24, 2.6)
            rr(23, 15, 28.5, 25, 2.6)
            rr(27.5, 17, 32, 26, 2.2)
            d.polygon([(10.5 * s, 27 * s), (4 * s, 20 * s), (6.5 * s, 17 * s), (13 * s, 22 * s)], fill=255)
    m = shapes(size, size, draw).full(size, size)
    c = Canvas(size, size, alpha=0.0)
    c.over((0, 0, 0), np.roll(np.roll(blur(m, 1.3), 2, 0), 2, 1) * 0.45)
    c.over((60, 34, 20), dilate(m, 1))
    c.over(vgradient(size, size, [(0, (255, 232, 204)), (size, (214, 160, 120))]), m)
    # Creases between the fingers.
    def creases(d, s):
        if closed:
            for k in range(1, 4):
                d.line([(9 + k * 5.5 + 0.5) * s, 13 * s, (9 + k * 5.5 + 0.5) * s, 19 * s], fill=255, width=s)
        else:
            for x in (18.2, 23.2, 27.7):
                d.line([x * s, 17 * s, x * s, 24 * s], fill=255, width=s)
    c.over((150, 96, 64), shapes(size, size, creases).full(size, size) * 0.8)
    if sparkle:
        star = glyph_icon("\u2726", 14, SANS, (255, 255, 220), (255, 200, 80), canvas=18, glow_col=(255, 220, 120))
        c.paste(star, size - 18, 0)
    return c


def round_button(size, symbol, base=(150, 50, 40), glow_strength=0.0):
    c = Canvas(size, size, alpha=0.0)
    cx = cy = size / 2
    r = size / 2 - 3
    disc = radial(size, size, cx, cy, r, power=0.02)
    if glow_strength:
        c.over((255, 200, 100), blur(dilate(disc, 2), 3) * glow_strength)
    c.over((0, 0, 0), np.roll(np.roll(blur(disc, 1.5), 2, 0), 1, 1) * 0.5)
    c.over(vgradient(size, size, [(0, tuple(min(255, v * 1.5) for v in base)), (size, tuple(v * 0.6 for v in base))]),
           disc)
    c.add((255, 255, 255), radial(size, size, cx - r * 0.3, cy - r * 0.45, r * 0.55, power=2) * 0.35)
    ring = np.clip(disc - radial(size, size, cx, cy, r - 2.5, power=0.02), 0, 1)
    c.over((70, 40, 16), ring)
    m, _ = text_mask(symbol, font(SANS_BOLD, int(size * 0.55)), pad=2)
    c.over((0, 0, 0), blur(m, 1), (size - m.shape[1]) // 2 + 1, (size - m.shape[0]) // 2 + 1)
    c.over((255, 245, 220), m, (size - m.shape[1]) // 2, (size - m.shape[0]) // 2)
    return c


def particle_sheet(cel=64, cols=4, rows=4):
    """Sprite cels for the particle effects, white (tinted when drawn):
    0 soft dot, 1 sparkle star, 2 glow, 3 ring, 4 smoke puff, 5 spark streak, 6 snow flake, 7 drop,
    8 leaf, 9 bubble, 10 small star, 11 flare cross, 12 haze, 13 ember, 14 petal, 15 firefly."""
    rng = np.random.default_rng(7)
    c = Canvas(cel * cols, cel * rows, alpha=0.0)
    h = cel / 2

    def put(i, m):
        x, y = (i % cols) * cel, (i // cols) * cel
        c.over((255, 255, 255), np.clip(m, 0, 1), x, y)

    yy, xx = np.mgrid[0:cel, 0:cel].astype(np.float32) + 0.5
    d = np.sqrt((xx - h) ** 2 + (yy - h) ** 2) / h
    put(0, np.clip(1 - d, 0, 1) ** 2)
    star = np.clip(1 - d, 0, 1) ** 3 + np.exp(-((xx - h) / 2.2) ** 2) * np.clip(1 - d, 0, 1) ** 1.2 + \
        np.exp(-((yy - h) / 2.2) ** 2) * np.clip(1 - d, 0, 1) ** 1.2
    put(1, star)
    put(2, np.exp(-(d * 2.2) ** 2))
    put(3, np.exp(-((d - 0.7) / 0.08) ** 2))
    n = noise2d(cel, cel, rng, cell=10, octaves=3)
    put(4, np.clip(1 - d, 0, 1) ** 1.2 * (0.5 + 0.7 * n))
    put(5, np.exp(-((yy - h) / 2.0) ** 2) * np.clip(1 - np.abs(xx - h) / h, 0, 1) ** 1.5)
    flake = shapes(cel, cel, lambda dr, s: [dr.line([(h + math.cos(a) * 4) * s, (h + math.sin(a) * 4) * s,
                                                      (h + math.cos(a) * 26) * s, (h + math.sin(a) * 26) * s],
                                                     fill=255, width=3 * s)
                                             for a in np.arange(6) * math.pi / 3]).full(cel, cel)
    put(6, flake + np.clip(1 - d * 4, 0, 1))
    drop = polygon(cel, cel, [(h, 6), (h + 12, 36), (h, 52), (h - 12, 36)]).full(cel, cel)
    put(7, blur(drop, 2))
    leaf = polygon(cel, cel, [(10, 50), (30, 14), (54, 10), (40, 40)]).full(cel, cel)
    put(8, leaf * 0.95)
    put(9, np.exp(-((d - 0.75) / 0.1) ** 2) + np.clip(1 - np.sqrt((xx - h * 0.7) ** 2 + (yy - h * 0.7) ** 2) / 6, 0, 1))
    put(10, np.clip(1 - d * 2, 0, 1) ** 3 + np.exp(-((xx - h) / 1.2) ** 2) * np.clip(1 - d * 1.5, 0, 1) +
        np.exp(-((yy - h) / 1.2) ** 2) * np.clip(1 - d * 1.5, 0, 1))
    diag1, diag2 = (xx - yy) / math.sqrt(2), (xx + yy - cel) / math.sqrt(2)
    put(11, np.clip(1 - d, 0, 1) ** 2 * 0.6 + (np.exp(-(diag1 / 1.5) ** 2) + np.exp(-(diag2 / 1.5) ** 2)) *
        np.clip(1 - d, 0, 1))
    put(12, np.exp(-(d * 1.4) ** 2) * (0.6 + 0.5 * noise2d(cel, cel, rng, cell=16, octaves=2)))
    put(13, np.exp(-(d * 3.5) ** 2) + np.clip(1 - d, 0, 1) ** 4 * 0.4)
    petal = shapes(cel, cel, lambda dr, s: dr.ellipse([14 * s, 22 * s, 50 * s, 42 * s], fill=255)).full(cel, cel)
    put(14, blur(petal, 1.5))
    put(15, np.exp(-(d * 5) ** 2) + np.exp(-(d * 1.6) ** 2) * 0.35)
    return c
