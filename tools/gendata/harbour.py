"""The harbour town at dusk: the picture behind the title and the menus."""
import math

import numpy as np

from .paint import (M, Canvas, blur, blur_f, glow, noise2d, polygon, radial, radial_at, shapes, smooth_noise,
                    vgradient)

W, H = 1024, 768
HZ = 440  # the horizon
SUN = (640, HZ + 6)

SKY = [(0, (14, 18, 52)), (150, (40, 34, 92)), (270, (108, 58, 112)), (350, (196, 96, 100)),
       (405, (242, 146, 96)), (HZ, (255, 196, 128))]
# The same bay at night: the moon high on the right, a last red glow low over the sea.
MOON = (846, 118)
NIGHT_SKY = [(0, (6, 8, 26)), (180, (14, 20, 56)), (320, (34, 38, 84)), (400, (70, 52, 96)), (HZ, (120, 70, 100))]


def night_sky(c, rng):
    c.rgb[:HZ] = vgradient(W, HZ, NIGHT_SKY)
    for _ in range(420):
        x, y = rng.uniform(0, W), rng.uniform(0, 1) ** 1.4 * 380
        b = rng.uniform(0.2, 1.0) * max(0.0, 1 - y / 400)
        r = 0.9 if rng.uniform() < 0.88 else 1.7
        m = radial(7, 7, 3 + (x % 1), 3 + (y % 1), r * 1.8, power=1.5)
        c.add((235, 240, 255), m * b, int(x) - 3, int(y) - 3)
    c.add((150, 60, 80), glow(W, H, SUN[0], HZ + 40, 560, 2.4) * 0.35)
    mx, my = MOON
    c.add((150, 170, 230), glow(W, H, mx, my, 260, 2.8) * 0.45)
    disc = shapes(W, H, lambda d, s: d.ellipse([(mx - 24) * s, (my - 24) * s, (mx + 24) * s, (my + 24) * s],
                                               fill=255)).full(W, H)
    c.over((236, 236, 220), disc)
    craters = radial(W, H, mx - 7, my - 5, 8, power=1) * 0.18 + radial(W, H, mx + 8, my + 8, 6, power=1) * 0.14
    c.multiply(0.75, np.clip(craters * disc * 4, 0, 1))
    for cx, cy, length, thick in ((700, 150, 360, 12), (200, 110, 300, 10), (520, 260, 420, 8), (900, 300, 240, 7)):
        def draw(d, s, cx=cx, cy=cy, length=length, thick=thick):
            for _ in range(6):
                ox, oy = rng.uniform(-length * 0.45, length * 0.45), rng.uniform(-thick * 0.6, thick * 0.4)
                lw, th = rng.uniform(0.25, 0.55) * length, thick * rng.uniform(0.6, 1.3)
                d.ellipse([(cx + ox - lw / 2) * s, (cy + oy - th) * s, (cx + ox + lw / 2) * s, (cy + oy + th) * s],
                          fill=255)
        m = blur(shapes(W, HZ, draw, 2).full(W, HZ), 3 + thick * 0.3)
        near = np.clip(1 - np.abs(np.arange(W, dtype=np.float32)[None, :] - mx) / 500, 0, 1)
        lit = np.clip((cy + thick - np.arange(HZ, dtype=np.float32)[:, None]) / (2.2 * thick), 0, 1) * near
        col = np.array([24, 26, 54], np.float32) / 255 * (1 - lit[..., None]) + \
            np.array([150, 160, 200], np.float32) / 255 * lit[..., None]
        c.over(col, m * 0.8)


def sky(c, rng, night=False):
    if night:
        night_sky(c, rng)
        return
    c.rgb[:HZ] = vgradient(W, HZ, SKY)
    # Stars in the upper sky, fading toward the glow.
    for _ in range(160):
        x, y = rng.uniform(0, W), rng.uniform(0, 230) ** 1.0
        b = rng.uniform(0.25, 1.0) * max(0.0, 1 - y / 240)
        r = 0.9 if rng.uniform() < 0.9 else 1.6
        m = radial(7, 7, 3 + (x % 1), 3 + (y % 1), r * 1.8, power=1.5)
        c.add((255, 245, 230), m * b, int(x) - 3, int(y) - 3)
    # The low sun and its wide glow.
    c.add((255, 150, 80), glow(W, H, SUN[0], SUN[1], 520, 2.6) * 0.55)
    c.add((255, 200, 120), radial(W, H, SUN[0], SUN[1], 140, 90, 1.6) * 0.6)
    disc = shapes(W, H, lambda d, s: d.ellipse([(SUN[0] - 30) * s, (SUN[1] - 30) * s, (SUN[0] + 30) * s,
                                                (SUN[1] + 30) * s], fill=255))
    disc = disc.full(W, H)
    disc[HZ:] = 0
    c.over((255, 236, 190), disc)
    clouds(c, rng)


def clouds(c, rng):
    specs = [(120, 120, 260, 16), (420, 90, 300, 14), (820, 140, 280, 18), (300, 215, 380, 12),
             (700, 250, 420, 11), (90, 300, 240, 9), (930, 318, 200, 8), (520, 330, 300, 7), (250, 372, 260, 5)]
    for cx, cy, length, thick in specs:
        def draw(d, s, cx=cx, cy=cy, length=length, thick=thick):
            for _ in range(7):
                ox = rng.uniform(-length * 0.45, length * 0.45)
                oy = rng.uniform(-thick * 0.6, thick * 0.4)
                lw = rng.uniform(0.25, 0.55) * length
                th = thick * rng.uniform(0.6, 1.3)
                d.ellipse([(cx + ox - lw / 2) * s, (cy + oy - th) * s, (cx + ox + lw / 2) * s, (cy + oy + th) * s],
                          fill=255)
        m = blur(shapes(W, HZ, draw, 2).full(W, HZ), 3 + thick * 0.25)
        # Lit from below and from the sun's side.
        lit = np.clip((np.arange(HZ, dtype=np.float32)[:, None] - (cy - thick)) / (2.2 * thick), 0, 1)
        near = np.clip(1 - np.abs(np.arange(W, dtype=np.float32)[None, :] - SUN[0]) / 700, 0, 1)
        dark = np.array([62, 42, 92], np.float32) / 255 * (0.7 + 0.5 * cy / HZ)
        bright = np.array([255, 160, 120], np.float32) / 255
        t = (lit * (0.45 + 0.55 * near) * (0.35 + 0.65 * cy / HZ))[..., None]
        col = dark * (1 - t) + bright * t
        c.over(col, m * 0.85)


def ridge(x0, x1, base, amp, rng, scale=90.0):
    n = smooth_noise(x1 - x0 + 1, rng, 4, scale)
    pts = [(x0 + i, base - amp * (0.6 + 0.4 * n[i])) for i in range(0, x1 - x0 + 1, 4)]
    return pts


def far_land(c, rng):
    # A hazy headland on the right with the lighthouse.
    pts = [(600, HZ + 1)]
    for x, y in ridge(600, W, HZ, 1, rng):
        t = (x - 600) / (W - 600)
        pts.append((x, HZ - (70 * math.sin(min(t * 1.6, 1) * math.pi / 2) + 8 * math.sin(x / 13.0) * t) -
                    6 * (1 - abs(2 * t - 1))))
    pts.append((W, HZ + 1))
    c.over((82, 52, 98), polygon(W, H, pts))
    rim = blur(polygon(W, H, pts).full(W, H), 1.2) - polygon(W, H, [(x, y + 2.5) for x, y in pts]).full(W, H)
    c.add((255, 150, 110), np.clip(rim, 0, 1) * 0.35)
    # Lighthouse.
    lx, ly = 742, HZ - 44
    tower = polygon(W, H, [(lx - 11, ly), (lx + 11, ly), (lx + 7, ly - 62), (lx - 7, ly - 62)])
    c.over((190, 160, 170), tower)
    for k in range(3):
        band = polygon(W, H, [(lx - 11 + k * 1.3, ly - 10 - k * 20), (lx + 11 - k * 1.3, ly - 10 - k * 20),
                              (lx + 10.5 - k * 1.3, ly - 19 - k * 20), (lx - 10.5 + k * 1.3, ly - 19 - k * 20)])
        c.over((150, 50, 60), band)
    c.multiply((0.62, 0.55, 0.72), polygon(W, H, [(lx - 11, ly), (lx - 1, ly), (lx - 1, ly - 62), (lx - 7, ly - 62)]))
    c.over((60, 40, 60), polygon(W, H, [(lx - 10, ly - 62), (lx + 10, ly - 62), (lx + 10, ly - 66),
                                        (lx - 10, ly - 66)]))
    c.over((255, 236, 170), polygon(W, H, [(lx - 6, ly - 66), (lx + 6, ly - 66), (lx + 6, ly - 76),
                                           (lx - 6, ly - 76)]))
    c.over((60, 40, 60), polygon(W, H, [(lx - 8, ly - 76), (lx + 8, ly - 76), (lx, ly - 88)]))
    c.add((255, 220, 150), glow(W, H, lx, ly - 71, 70, 2.5) * 0.9)
    beam = blur(polygon(W, H, [(lx, ly - 73), (lx + 300, ly - 130), (lx + 300, ly - 60)]).full(W, H), 6)
    beam *= np.clip(1 - np.abs(np.arange(W, dtype=np.float32)[None, :] - lx) / 330, 0, 1) ** 1.5
    c.add((255, 220, 160), beam * 0.22)
    # Behind the town on the left, far hills.
    pts = [(0, HZ + 1)] + [(x, y) for x, y in ridge(0, 620, HZ - 10, 150, rng, 120)]
    pts = [(x, y + (x / 620) ** 1.4 * 120) for x, y in pts] + [(620, HZ + 1)]
    c.over((70, 48, 92), polygon(W, H, pts))


def sea(c, rng, night=False):
    n = H - HZ
    y = np.arange(n, dtype=np.float32)
    # The sky mirrored, darkening toward the viewer.
    src = np.clip(HZ - 1 - (y * 0.55 + rng.uniform(-1.5, 1.5, n) * (y / n) * 6).astype(int), 0, HZ - 1)
    shift = (smooth_noise(n, rng, 3, 3.0) * (2 + y * 0.06) + rng.normal(0, 1, n) * (y / n) * 4).astype(int)
    idx = np.clip(np.arange(W)[None, :] + shift[:, None], 0, W - 1)
    mirror = c.rgb[src[:, None], idx]
    mirror = np.stack([blur_f(mirror[..., k], 1.2) for k in range(3)], axis=-1)
    deep = vgradient(W, n, [(0, (120, 80, 110)), (80, (52, 50, 92)), (n, (12, 20, 42))])
    t = np.clip(y / n, 0, 1)[:, None, None] ** 0.6
    col = mirror * (0.75 - 0.45 * t) + deep * (0.25 + 0.75 * t)
    # Waves: stretched noise in bands.
    ripples = noise2d(W // 8 + 1, n, rng, cell=6, octaves=2)
    ripples = np.repeat(ripples, 8, axis=1)[:, :W]
    band = 0.5 + 0.5 * np.sin(y[:, None] * (0.9 - 0.6 * y[:, None] / n) + ripples * 6)
    col *= (0.88 + 0.2 * band * (0.3 + 0.7 * (1 - t[..., 0])))[..., None]
    c.rgb[HZ:] = col
    c.a[HZ:] = 1
    # The sun's glitter path.
    glitter = np.zeros((n, W), np.float32)
    for _ in range(900):
        yy = int(rng.uniform(0, 1) ** 1.8 * (n - 10)) + 1
        spread = 18 + yy * 0.9
        xx = SUN[0] + rng.normal(0, spread * 0.45)
        length = rng.uniform(6, 22) * (0.5 + yy / n)
        x0, x1 = int(max(0, xx - length / 2)), int(min(W, xx + length / 2))
        glitter[yy, x0:x1] += rng.uniform(0.3, 1.0) * (1 - yy / n) ** 1.2
    glitter = blur_f(glitter, 0.7)
    if night:
        glitter = np.roll(glitter, MOON[0] - SUN[0], axis=1)
        c.add((200, 210, 250), np.clip(glitter, 0, 1) * 0.5, 0, HZ)
        return
    c.add((255, 190, 120), np.clip(glitter, 0, 1) * 0.9, 0, HZ)
    c.add((255, 160, 100), radial(W, n, SUN[0], 0, 260, 60, 1.5) * 0.35, 0, HZ)
    # Horizon haze.
    c.add((255, 170, 130), radial(W, 24, SUN[0], 0, 900, 12, 1.0) * 0.25, 0, HZ - 4)


def reflect_light(c, x, y_water, colour, strength, rng, width=10, length=160):
    """A wavering column of light on the water below a lamp."""
    m = np.zeros((length, 4 * width + 1), np.float32)
    for i in range(length):
        off = math.sin(i * 0.35 + rng.uniform(0, 0.6)) * width * 0.5
        half = width * (0.3 + 0.7 * rng.uniform(0.3, 1.0)) * (0.5 + i / length)
        a = (1 - i / length) ** 1.6 * (0.5 + 0.5 * (i % 3 != 0))
        x0 = int(2 * width + off - half)
        m[i, max(0, x0):max(0, x0 + int(2 * half) + 1)] = a
    m = blur_f(m, 1.0)
    c.add(colour, np.clip(m, 0, 1) * strength, int(x - 2 * width), int(y_water))


HOUSE_COLOURS = [(196, 150, 98), (170, 92, 70), (120, 136, 130), (214, 190, 150), (150, 110, 130),
                 (186, 120, 80), (104, 120, 150), (200, 170, 120)]


def house(c, x, base, w, h, roof_h, colour, rng, lit_windows, shade=1.0, window_lights=None):
    """One house standing on base (its bottom edge), with a gable roof."""
    dusk = np.array([0.52, 0.44, 0.62]) * shade
    body = tuple(float(v) for v in np.array(colour) * dusk)
    c.over(body, polygon(W, H, [(x, base), (x + w, base), (x + w, base - h), (x, base - h)]))
    # The sunset side catches light.
    c.add((255, 140, 90), polygon(W, H, [(x + w - 3, base), (x + w, base), (x + w, base - h),
                                         (x + w - 3, base - h)]) * 0.22 * shade)
    roof = (96 * shade * 0.55, 52 * shade * 0.55, 58 * shade * 0.55)
    c.over(roof, polygon(W, H, [(x - 4, base - h + 1), (x + w + 4, base - h + 1), (x + w / 2, base - h - roof_h)]))
    c.add((255, 150, 100), polygon(W, H, [(x + w / 2, base - h - roof_h), (x + w + 4, base - h + 1),
                                          (x + w + 1, base - h + 1)]) * 0.25 * shade)
    if rng.uniform() < 0.6:
        cx = x + w * rng.uniform(0.2, 0.75)
        c.over(roof, polygon(W, H, [(cx, base - h - roof_h * 0.45), (cx + 6, base - h - roof_h * 0.45),
                                    (cx + 6, base - h - roof_h * 0.95), (cx, base - h - roof_h * 0.95)]))
    # Windows in rows.
    rows = max(1, int((h - 10) // 22))
    cols = max(1, int((w - 6) // 18))
    ww, wh = 7 + w / 60, 10 + h / 50
    for r in range(rows):
        for k in range(cols):
            wx = x + (k + 0.5) * w / cols - ww / 2
            wy = base - h + 8 + r * (h - 8) / rows
            lit = rng.uniform() < lit_windows
            m = polygon(W, H, [(wx, wy), (wx + ww, wy), (wx + ww, wy + wh), (wx, wy + wh)])
            if lit:
                warm = (255, 196 + rng.uniform(-20, 20), 110)
                c.over(warm, m)
                c.add((255, 170, 80), glow(W, H, wx + ww / 2, wy + wh / 2, 22, 2.4) * 0.5 * shade)
                if window_lights is not None:
                    window_lights.append((wx + ww / 2, wy + wh / 2))
            else:
                c.over((28, 30, 58), m)
    # A door on the ground floor.
    dx = x + w * rng.uniform(0.25, 0.6)
    c.over((40, 26, 30), polygon(W, H, [(dx, base), (dx + 9, base), (dx + 9, base - 16), (dx, base - 16)]))


def town(c, rng, window_lights):
    # The hill the town stands on.
    def hill_y(x):
        return 250 + (max(x, 0) / 600) ** 1.7 * 250 + 6 * math.sin(x / 40)
    hill = [(0, 250)]
    for x in range(0, 600, 8):
        hill.append((x, hill_y(x)))
    hill += [(600, 620), (0, 620)]
    c.over((44, 34, 62), polygon(W, H, hill))
    # Rows of houses from the top of the hill down to the water, back to front.
    rows = [(300, 0.62, 0, 330, 0.55), (360, 0.74, 0, 420, 0.45), (430, 0.86, 0, 500, 0.4),
            (500, 0.96, 0, 560, 0.35), (575, 1.0, 0, 600, 0.3)]
    for base, shade, x0, x1, lit in rows:
        x = x0 - rng.uniform(0, 20)
        while x < x1 and hill_y(x + 30) < base + 4:
            w = rng.uniform(38, 70) * (0.7 + 0.3 * shade)
            h = rng.uniform(36, 62) * (0.7 + 0.3 * shade)
            b = base + rng.uniform(-6, 6) + (max(x, 0) / 600) ** 1.7 * 40
            house(c, x, b, w, h, rng.uniform(14, 24) * (0.7 + 0.3 * shade),
                  HOUSE_COLOURS[int(rng.integers(len(HOUSE_COLOURS)))], rng, lit, shade, window_lights)
            x += w + rng.uniform(2, 10)
        if base == 360:
            church(c, 250, 352)


def church(c, x, base):
    body = (70, 58, 80)
    c.over(body, polygon(W, H, [(x, base), (x + 30, base), (x + 30, base - 90), (x, base - 90)]))
    c.over((58, 40, 56), polygon(W, H, [(x - 3, base - 90), (x + 33, base - 90), (x + 15, base - 150)]))
    c.add((255, 150, 100), polygon(W, H, [(x + 15, base - 150), (x + 33, base - 90), (x + 30, base - 90)]) * 0.3)
    c.over((255, 210, 140), polygon(W, H, [(x + 9, base - 75), (x + 21, base - 75), (x + 21, base - 58),
                                           (x + 9, base - 58)]))
    c.add((255, 180, 90), glow(W, H, x + 15, base - 66, 40, 2.2) * 0.5)
    c.over((200, 180, 150), shapes(W, H, lambda d, s: d.ellipse([(x + 10) * s, (x and (base - 45)) * s,
                                                                  (x + 20) * s, (base - 35) * s], fill=255)))
    c.over((40, 30, 40), polygon(W, H, [(x + 14, base - 150), (x + 16, base - 150), (x + 16, base - 168),
                                        (x + 14, base - 168)]))
    c.over((40, 30, 40), polygon(W, H, [(x + 9, base - 162), (x + 21, base - 162), (x + 21, base - 159),
                                        (x + 9, base - 159)]))


QUAY_TOP = 612


def quay(c, rng):
    # The quay's stone face along the water, from the left edge to the pier.
    top = QUAY_TOP
    face = polygon(W, H, [(0, top), (560, top), (560, top + 52), (0, top + 58)])
    c.over((78, 66, 82), face)
    # Stone courses.
    def stones(d, s):
        for row in range(4):
            yy = top + 6 + row * 13
            off = (row % 2) * 20
            for xx in range(-off, 560, 40):
                d.rectangle([(xx + 1) * s, (yy + 1) * s, (xx + 38) * s, (yy + 11) * s], fill=255)
    face = face.full(W, H)
    st = shapes(W, H, stones, 2).full(W, H) * face
    tone = noise2d(W, H, rng, cell=20, octaves=2)
    c.multiply(0.75, (1 - st) * face)
    c.add((60, 50, 60), st * tone * 0.4)
    # The walkway on top, lit by the lamps.
    walk = polygon(W, H, [(0, top - 10), (560, top - 10), (560, top), (0, top)])
    c.over((104, 90, 104), walk)
    c.over((60, 50, 66), polygon(W, H, [(0, top - 1), (560, top - 1), (560, top + 2), (0, top + 2)]))
    # Wet line at the water.
    c.over((24, 26, 44), polygon(W, H, [(0, top + 50), (560, top + 46), (560, top + 54), (0, top + 60)]))


def pier(c):
    y = QUAY_TOP - 4
    # Posts into the water, then the deck.
    for x in range(560, 790, 34):
        c.over((46, 32, 36), polygon(W, H, [(x, y), (x + 7, y), (x + 7, y + 70), (x, y + 70)]))
        c.add((255, 160, 90), polygon(W, H, [(x + 5, y), (x + 7, y), (x + 7, y + 70), (x + 5, y + 70)]) * 0.15)
    c.over((96, 70, 62), polygon(W, H, [(552, y - 8), (800, y - 8), (800, y + 2), (552, y + 2)]))
    for x in range(556, 800, 14):
        c.over((66, 46, 44), polygon(W, H, [(x, y - 8), (x + 1.2, y - 8), (x + 1.2, y + 2), (x, y + 2)]))
    c.over((54, 38, 40), polygon(W, H, [(552, y + 2), (800, y + 2), (800, y + 6), (552, y + 6)]))


def boat(c, x, water, length, rng, sail=True, hull_col=(120, 44, 40), mast=None):
    """A moored boat with its reflection; x is the bow's left end."""
    hh = length * 0.16
    hull = [(x, water - hh), (x + length, water - hh * 1.3), (x + length * 0.9, water + hh * 0.15),
            (x + length * 0.12, water + hh * 0.1)]
    refl = Canvas(W, H, alpha=0.0)
    for target, flip in ((c, False), (refl, True)):
        def p(pts):
            return [(px, 2 * water - py) if flip else (px, py) for px, py in pts]
        target.over(tuple(v * 0.6 for v in hull_col), polygon(W, H, p(hull)))
        target.over((220, 200, 170), polygon(W, H, p([(x + 2, water - hh), (x + length - 2, water - hh * 1.28),
                                                       (x + length - 3, water - hh * 1.1),
                                                       (x + 3, water - hh * 0.82)])))
        if sail:
            mx = x + (mast or 0.45) * length
            top = water - hh - length * 1.1
            target.over((60, 44, 44), polygon(W, H, p([(mx - 1.5, water - hh), (mx + 1.5, water - hh),
                                                       (mx + 1, top), (mx - 1, top)])))
            # A furled sail along the boom and a small jib.
            target.over((214, 196, 170), polygon(W, H, p([(mx, water - hh - 10), (mx + length * 0.5, water - hh - 6),
                                                          (mx + length * 0.5, water - hh - 12),
                                                          (mx, water - hh - 18)])))
            target.over((200, 176, 150), polygon(W, H, p([(mx - 2, top + 10), (mx - 2, water - hh - 14),
                                                          (x + 6, water - hh - 8)])))
            # Rigging.
            for (ax, ay), (bx, by) in [((mx, top), (x + 2, water - hh)), ((mx, top), (x + length - 2, water - hh * 1.3))]:
                target.over((40, 30, 40), shapes(W, H, lambda d, s, ax=ax, ay=ay, bx=bx, by=by: d.line(
                    [ax * s, (2 * water - ay if flip else ay) * s, bx * s, (2 * water - by if flip else by) * s],
                    fill=160, width=max(1, s // 2))))
    # The reflection: darker, broken by the waves.
    rows = np.arange(H, dtype=np.float32)[:, None]
    breakup = (0.55 + 0.45 * np.sin(rows * 1.7 + np.sin(rows * 0.3) * 2)) * np.clip(1 - (rows - water) / (length * 0.9), 0, 1)
    shift = (np.sin(rows * 0.8) * 2).astype(int)
    ra = np.zeros_like(refl.a)
    for yy in range(int(water), min(H, int(water + length))):
        ra[yy] = np.roll(refl.a[yy], shift[yy, 0])
    ra[:int(water)] = 0
    c.over(tuple(v * 0.5 for v in (60, 50, 70)), ra * breakup * 0.75)
    # A lantern at the stern.
    lx, ly = x + length * 0.92, water - hh * 1.3 - length * 0.08
    c.over((255, 220, 150), radial_at(W, H, lx, ly, 2.5, power=0.5))
    c.add((255, 180, 90), glow(W, H, lx, ly, 26, 2.4) * 0.7)
    reflect_light(c, lx, water, (255, 170, 80), 0.45, rng, width=5, length=60)


def lantern_post(c, x, ground, height, rng, front=False):
    """An iron lamp post; returns the lamp centre."""
    dark = (26, 22, 32)
    c.over(dark, polygon(W, H, [(x - 2.5, ground), (x + 2.5, ground), (x + 1.8, ground - height),
                                (x - 1.8, ground - height)]))
    c.over(dark, polygon(W, H, [(x - 6, ground), (x + 6, ground), (x + 4, ground - 8), (x - 4, ground - 8)]))
    ly = ground - height - 10
    c.over(dark, polygon(W, H, [(x - 8, ly - 12), (x + 8, ly - 12), (x, ly - 20)]))
    c.over((255, 214, 140), polygon(W, H, [(x - 6, ly - 11), (x + 6, ly - 11), (x + 5, ly + 8), (x - 5, ly + 8)]))
    c.over((255, 246, 210), radial_at(W, H, x, ly, 4, power=0.6))
    c.over(dark, polygon(W, H, [(x - 7, ly + 8), (x + 7, ly + 8), (x + 7, ly + 11), (x - 7, ly + 11)]))
    c.over(dark, polygon(W, H, [(x - 0.8, ly - 11), (x + 0.8, ly - 11), (x + 0.8, ly + 8), (x - 0.8, ly + 8)]))
    return x, ly


def lamp_light(c, x, y, ground, water, rng, strength=1.0):
    c.add((255, 160, 70), glow(W, H, x, y, 120, 2.8) * 0.55 * strength)
    c.add((255, 210, 130), glow(W, H, x, y, 36, 2.0) * 0.8 * strength)
    if ground is not None:
        c.add((255, 170, 90), radial_at(W, H, x, ground, 70, 9, 1.4) * 0.5 * strength)
    if water is not None:
        reflect_light(c, x, water, (255, 170, 80), 0.7 * strength, rng, width=9, length=130)


def crates(c, rng):
    """Foreground cargo on the quay: crates, a barrel and a coil of rope."""
    g = QUAY_TOP - 6
    wood, dark = (118, 80, 58), (60, 40, 36)
    for bx, bw, bh, by in [(18, 64, 52, g), (70, 52, 44, g), (34, 50, 40, g - 52)]:
        box = polygon(W, H, [(bx, by), (bx + bw, by), (bx + bw, by - bh), (bx, by - bh)])
        c.over(tuple(v * 0.55 for v in wood), box)
        for k in range(1, 4):
            yy = by - bh * k / 4
            c.over(dark, polygon(W, H, [(bx, yy), (bx + bw, yy), (bx + bw, yy + 1.5), (bx, yy + 1.5)]))
        c.over(dark, polygon(W, H, [(bx, by - 3), (bx + bw, by - bh + 3), (bx + bw, by - bh + 7), (bx, by + 1)]) * box)
        c.add((255, 170, 90), polygon(W, H, [(bx + bw - 5, by), (bx + bw, by), (bx + bw, by - bh),
                                             (bx + bw - 5, by - bh)]) * 0.25)
    # The barrel.
    bx, bw, bh = 132, 40, 54
    barrel = shapes(W, H, lambda d, s: d.rounded_rectangle([bx * s, (g - bh) * s, (bx + bw) * s, g * s],
                                                          radius=10 * s, fill=255))
    shade = np.clip(1 - np.abs(np.arange(W, dtype=np.float32) - (bx + bw * 0.62)) / (bw * 0.6), 0.25, 1)[None, :]
    col = np.empty((H, W, 3), np.float32)
    col[:] = np.array(wood, np.float32) / 255 * 0.6
    col *= shade[..., None]
    c.over(col, barrel)
    for yy in (g - bh + 10, g - 10):
        c.over((50, 44, 50), polygon(W, H, [(bx, yy), (bx + bw, yy), (bx + bw, yy + 3), (bx, yy + 3)]) * barrel)
    # Rope coil.
    rx, ry = 205, g - 6
    def coil(d, s):
        for k in range(4):
            r = 18 - k * 3.5
            d.ellipse([(rx - r) * s, (ry - r * 0.4) * s, (rx + r) * s, (ry + r * 0.4) * s], outline=255, width=2 * s)
    c.over((150, 120, 80), shapes(W, H, coil, 4))


def bollard(c, x, ground):
    c.over((34, 30, 40), shapes(W, H, lambda d, s: (d.rounded_rectangle(
        [(x - 9) * s, (ground - 26) * s, (x + 9) * s, ground * s], radius=4 * s, fill=255), d.ellipse(
        [(x - 13) * s, (ground - 32) * s, (x + 13) * s, (ground - 22) * s], fill=255))))
    c.add((255, 170, 100), shapes(W, H, lambda d, s: d.rectangle([(x + 5) * s, (ground - 26) * s, (x + 8) * s,
                                                                   ground * s], fill=255)) * 0.25)


def foliage(c, rng):
    """Dark leaves framing the top-left corner."""
    def leaves(d, s):
        for _ in range(220):
            t = rng.uniform(0, 1)
            ang = rng.uniform(0, math.pi * 2)
            cx = rng.uniform(-20, 150) * (1 - t * 0.5)
            cy = rng.uniform(-20, 40) + t * 90 * (1 - cx / 200)
            r = rng.uniform(5, 11)
            pts = [(cx + math.cos(ang) * r * 1.6, cy + math.sin(ang) * r * 1.6),
                   (cx + math.cos(ang + 1.7) * r * 0.6, cy + math.sin(ang + 1.7) * r * 0.6),
                   (cx - math.cos(ang) * r * 0.4, cy - math.sin(ang) * r * 0.4),
                   (cx + math.cos(ang - 1.7) * r * 0.6, cy + math.sin(ang - 1.7) * r * 0.6)]
            d.polygon([(px * s, py * s) for px, py in pts], fill=255)
        d.line([(-10 * s, 60 * s), (120 * s, 8 * s)], fill=255, width=4 * s)
    m = shapes(W, H, leaves, 2).full(W, H)
    c.over((14, 14, 28), m)
    c.add((255, 130, 90), np.clip(m - np.roll(np.roll(m, 2, 0), -2, 1), 0, 1) * 0.18)


def gulls(c, rng):
    """A few gulls gliding over the bay."""
    for gx, gy, size in ((560, 250, 9), (598, 236, 7), (640, 268, 6), (470, 300, 5)):
        def draw(d, s, gx=gx, gy=gy, size=size):
            tip = size * 0.35
            d.line([(gx - size) * s, (gy + tip * 0.6) * s, (gx - size * 0.5) * s, (gy - tip) * s, gx * s, gy * s,
                    (gx + size * 0.5) * s, (gy - tip) * s, (gx + size) * s, (gy + tip * 0.6) * s], fill=255,
                   width=int(max(1.5, size / 4) * s), joint="curve")
        c.over((40, 28, 52), shapes(W, H, draw))


def paint(seed=1, night=False):
    """The scene: back (opaque), front (transparent foreground), lights (positions of flickering lights).
    night: the moonlit bay after dusk."""
    rng = np.random.default_rng(seed)
    back = Canvas(W, H)
    sky(back, rng, night)
    far_land(back, rng)
    if not night:
        gulls(back, rng)
    sea(back, rng, night)
    window_lights = []
    town(back, rng, window_lights)
    quay(back, rng)
    pier(back)
    boat(back, 860, 572, 50, rng, hull_col=(90, 80, 110), mast=0.5)
    boat(back, 600, 668, 190, rng)
    boat(back, 330, 720, 90, rng, sail=False, hull_col=(60, 90, 110))
    if night:
        # Moonlight: everything darker and bluer; the lit windows shine on.
        back.rgb *= np.array([0.62, 0.66, 0.9], np.float32)
        for x, y in window_lights:
            back.add((255, 196, 110), radial_at(W, H, x, y, 5.5, power=0.35) * 0.75)
            back.add((255, 160, 70), glow(W, H, x, y, 20, 2.4) * 0.35)
    lamps = []
    for lx, h in ((110, 70), (300, 74), (470, 70), (780, 64)):
        ground = QUAY_TOP - 10 if lx < 560 else QUAY_TOP - 12
        lamps.append(lantern_post(back, lx, ground, h, rng) + (ground,))
    for x, y, ground in lamps:
        lamp_light(back, x, y, ground, QUAY_TOP + 56 if x < 560 else QUAY_TOP + 64, rng)
    # Evening shade toward the edges.
    vign = 1 - 0.45 * (1 - radial(W, H, W * 0.55, H * 0.45, W * 0.85, H * 0.8, 0.8))
    back.rgb *= vign[..., None]

    front = Canvas(W, H, alpha=0.0)
    crates(front, rng)
    bollard(front, 520, QUAY_TOP - 8)
    lx, ly = 250, QUAY_TOP - 8
    return {"back": back, "front": front, "lamps": lamps, "windows": window_lights, "rng": rng}


def composite(scene):
    full = Canvas(W, H)
    full.rgb = scene["back"].rgb.copy()
    full.paste(scene["front"], 0, 0)
    return full
