"""The adventure board's interface layout: the hero's portrait in a brass frame, the progress bar and the
speech bubble's frame."""
import math

import numpy as np

from . import screens
from .gui import LayeredPicture, brass, drop_shadow, rounded
from .paint import Canvas, blur, dilate, noise2d, polygon, radial, radial_at, shapes, vgradient

MOODS = ("neutral", "happy", "mad", "surprise")
SKIN = (238, 196, 160)
SKIN_SHADE = (196, 138, 104)
HAIR = (112, 58, 28)
EYE = (44, 30, 24)


def disc(size, r, cx=None, cy=None):
    cx = size / 2 if cx is None else cx
    cy = size / 2 if cy is None else cy
    return shapes(size, size, lambda d, s: d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s],
                                                     fill=255)).full(size, size)


def draw_mask(size, fn):
    return shapes(size, size, fn).full(size, size)


# --- the portrait ----------------------------------------------------------------

def backdrop(size, r, rng, boat):
    """The round backdrop: the harbour at dusk behind the hero (the open sea and a sail for the boat)."""
    c = Canvas(size, size, alpha=0.0)
    inside = disc(size, r + 2)
    horizon = size * (0.66 if boat else 0.6)
    sky = vgradient(size, size, [(size / 2 - r, (40, 36, 86)), (horizon - 24, (150, 80, 98)),
                                 (horizon, (250, 160, 84))])
    c.over(sky, inside)
    c.add((255, 190, 110), radial(size, size, size * 0.62, horizon, r * 0.9, r * 0.45, 1.6) * inside * 0.6)
    yy = np.arange(size, dtype=np.float32)[:, None]
    xx = np.arange(size, dtype=np.float32)[None, :]
    water = (yy >= horizon).astype(np.float32) * inside
    sea = vgradient(size, size, [(horizon, (70, 64, 96)), (size, (18, 30, 52))])
    c.over(sea, water)
    glints = np.clip(np.sin(xx * 0.9 + yy * 2.3) * np.sin(yy * 1.7) - 0.6, 0, 1) * np.exp(
        -((xx - size * 0.62) / 14) ** 2)
    c.add((255, 200, 120), glints * water * 1.2)
    if boat:
        mast = draw_mask(size, lambda d, s: d.rectangle([(size * 0.26) * s, (horizon - 58) * s,
                                                          (size * 0.26 + 2.2) * s, horizon * s], fill=255))
        sail = draw_mask(size, lambda d, s: d.polygon([((size * 0.26 + 3) * s, (horizon - 54) * s),
                                                        ((size * 0.26 + 3) * s, (horizon - 10) * s),
                                                        ((size * 0.26 + 34) * s, (horizon - 12) * s)], fill=255))
        c.over((40, 24, 20), mast * inside)
        c.over(vgradient(size, size, [(horizon - 54, (250, 226, 190)), (horizon, (220, 150, 110))]),
               sail * inside)
    else:
        # Roofs of the harbour town on both sides, with lit windows.
        for x0, x1, top, roof in ((0, 34, horizon - 22, 9), (30, 52, horizon - 30, 8), (88, 110, horizon - 26, 8),
                                  (106, size, horizon - 18, 10)):
            house = draw_mask(size, lambda d, s, x0=x0, x1=x1, top=top, roof=roof: d.polygon(
                [(x0 * s, (horizon + 2) * s), (x0 * s, top * s), ((x0 + x1) / 2 * s, (top - roof) * s),
                 (x1 * s, top * s), (x1 * s, (horizon + 2) * s)], fill=255))
            c.over((34, 24, 40), house * inside)
            for k in range(2):
                wx = x0 + (x1 - x0) * (0.3 + 0.4 * k)
                c.add((255, 190, 90), radial(size, size, wx, top + 8, 2.2, 2.8, 0.8) * inside)
    # Vignette toward the rim.
    c.multiply(0.55, np.clip(1 - radial(size, size, size / 2, size / 2, r * 1.05, power=0.6), 0, 1) * inside)
    return c


def shoulders(size, r, rng):
    """The hero's coat, scarf and neck (the same for every mood)."""
    c = Canvas(size, size, alpha=0.0)
    inside = disc(size, r + 1)
    cx = size / 2
    base = size / 2 + r
    coat = draw_mask(size, lambda d, s: d.chord([(cx - 56) * s, (base - 40) * s, (cx + 56) * s, (base + 60) * s],
                                                 180, 360, fill=255))
    neck = draw_mask(size, lambda d, s: d.rounded_rectangle([(cx - 9) * s, (cx + 8) * s, (cx + 9) * s,
                                                              (base - 26) * s], radius=4 * s, fill=255))
    c.over(SKIN_SHADE, neck * inside)
    c.multiply(0.8, neck * np.clip((np.arange(size, dtype=np.float32)[:, None] - cx - 8) / 12, 0, 1))
    tone = 0.88 + 0.12 * noise2d(size, size, rng, cell=6, octaves=2)
    wool = vgradient(size, size, [(base - 40, (54, 72, 112)), (base, (24, 30, 54))]) * tone[..., None]
    c.over(wool, coat * inside)
    # Lapels and a red scarf knotted at the throat.
    for sx in (-1, 1):
        lapel = draw_mask(size, lambda d, s, sx=sx: d.polygon(
            [((cx + sx * 4) * s, (base - 34) * s), ((cx + sx * 30) * s, (base - 30) * s),
             ((cx + sx * 12) * s, (base + 2) * s)], fill=255))
        c.over((38, 48, 80), lapel * inside)
        c.over((226, 178, 92), np.clip(dilate(lapel, 1) - lapel, 0, 1) * inside * 0.7)
    scarf = draw_mask(size, lambda d, s: d.polygon(
        [((cx - 14) * s, (base - 38) * s), ((cx + 14) * s, (base - 38) * s), ((cx + 6) * s, (base - 26) * s),
         ((cx + 9) * s, (base - 8) * s), ((cx + 1) * s, (base - 12) * s), ((cx - 5) * s, (base - 4) * s),
         ((cx - 4) * s, (base - 26) * s)], fill=255))
    c.over(vgradient(size, size, [(base - 38, (206, 52, 40)), (base, (120, 24, 24))]), scarf * inside)
    for by in (base - 20, base - 8):
        for sx in (-1, 1):
            c.over((120, 80, 20), radial(size, size, cx + sx * 20, by, 3.2, power=0.3) * inside)
            c.add((255, 240, 170), radial(size, size, cx + sx * 20 - 0.8, by - 0.8, 1.6, power=1) * inside)
    return c


def face(size, r, mood, rng):
    """The hero's head with the mood's expression, within the portrait's circle."""
    c = Canvas(size, size, alpha=0.0)
    inside = disc(size, r + 1)
    cx, cy = size / 2, size / 2 - 6
    hx, hy = 22, 27
    head = draw_mask(size, lambda d, s: d.ellipse([(cx - hx) * s, (cy - hy) * s, (cx + hx) * s, (cy + hy) * s],
                                                  fill=255))
    ears = draw_mask(size, lambda d, s: [d.ellipse([(cx + sx * hx - 5) * s, (cy - 4) * s, (cx + sx * hx + 5) * s,
                                                    (cy + 10) * s], fill=255) for sx in (-1, 1)])
    c.over((0, 0, 0), np.roll(blur(head, 3), 3, 0) * 0.35 * inside)
    skin = vgradient(size, size, [(cy - hy, SKIN), (cy + hy, (222, 170, 130))])
    c.over(skin * 0.92, ears * inside)
    c.over(skin, head * inside)
    # Shade on the lit-from-the-right face, warm cheeks.
    c.multiply((0.86, 0.8, 0.78), head * np.clip(1 - radial(size, size, cx + 8, cy - 6, hx * 1.6, hy * 1.3, 0.8),
                                                   0, 1) * 0.55)
    blush = 0.55 if mood == "happy" else 0.9 if mood == "mad" else 0.3
    for sx in (-1, 1):
        c.over((232, 110, 96), radial(size, size, cx + sx * 12, cy + 9, 6, 4, 1.4) * head * blush)
    if mood == "mad":
        c.over((220, 80, 60), radial(size, size, cx, cy - 14, 16, 8, 1.4) * head * 0.35)

    def strokes(fn, width=1.0):
        return draw_mask(size, lambda d, s: fn(d, s, max(1, int(round(width * s)))))

    eye_y, eye_dx = cy + 1, 9
    # Eyes.
    if mood == "happy":
        eyes = strokes(lambda d, s, w: [d.arc([(cx + sx * eye_dx - 5) * s, (eye_y - 3) * s, (cx + sx * eye_dx + 5) * s,
                                               (eye_y + 5) * s], 200, 340, fill=255, width=w) for sx in (-1, 1)], 2.0)
        c.over(EYE, eyes * inside)
    else:
        ew, eh = {"neutral": (4.6, 3.4), "mad": (4.6, 2.2), "surprise": (5.2, 5.0)}[mood]
        whites = draw_mask(size, lambda d, s: [d.ellipse([(cx + sx * eye_dx - ew) * s, (eye_y - eh) * s,
                                                          (cx + sx * eye_dx + ew) * s, (eye_y + eh) * s], fill=255)
                                               for sx in (-1, 1)])
        c.over((250, 246, 240), whites * inside)
        ir = {"neutral": 2.8, "mad": 2.2, "surprise": 2.2}[mood]
        for sx in (-1, 1):
            ex = cx + sx * eye_dx
            c.over((70, 110, 70), radial(size, size, ex, eye_y, ir + 0.4, power=0.15) * whites)
            c.over((14, 10, 10), radial(size, size, ex, eye_y, ir * 0.55, power=0.25) * whites)
            c.add((255, 255, 255), radial(size, size, ex + 0.9, eye_y - 1.0, 1.0, power=0.5) * whites)
        lids = strokes(lambda d, s, w: [d.arc([(cx + sx * eye_dx - ew) * s, (eye_y - eh) * s,
                                               (cx + sx * eye_dx + ew) * s, (eye_y + eh) * s], 190, 350, fill=255,
                                              width=w) for sx in (-1, 1)], 1.3)
        c.over(EYE, lids * inside)
    # Nose.
    nose = strokes(lambda d, s, w: d.line([(cx + 1) * s, (eye_y + 3) * s, (cx + 3) * s, (eye_y + 10) * s,
                                           (cx - 1) * s, (eye_y + 11) * s], fill=255, width=w, joint="curve"), 1.2)
    c.over(SKIN_SHADE, nose * inside)
    # Mouth.
    my = cy + 16
    if mood == "neutral":
        mouth = strokes(lambda d, s, w: d.arc([(cx - 7) * s, (my - 5) * s, (cx + 7) * s, (my + 2) * s], 25, 155,
                                              fill=255, width=w), 1.6)
        c.over((150, 60, 50), mouth * inside)
    elif mood == "happy":
        open_m = draw_mask(size, lambda d, s: d.chord([(cx - 10) * s, (my - 7) * s, (cx + 10) * s, (my + 7) * s], 0,
                                                      180, fill=255))
        c.over((110, 30, 30), open_m * inside)
        teeth = draw_mask(size, lambda d, s: d.rectangle([(cx - 8) * s, my * s, (cx + 8) * s, (my + 2.2) * s],
                                                         fill=255))
        c.over((250, 244, 236), teeth * open_m * inside)
        c.over((220, 90, 90), radial(size, size, cx, my + 6, 5, 2.5, 0.8) * open_m * inside)
    elif mood == "mad":
        mouth = strokes(lambda d, s, w: d.arc([(cx - 8) * s, (my - 1) * s, (cx + 8) * s, (my + 8) * s], 200, 340,
                                              fill=255, width=w), 2.0)
        c.over((120, 40, 36), mouth * inside)
    else:
        o = draw_mask(size, lambda d, s: d.ellipse([(cx - 4.5) * s, (my - 4) * s, (cx + 4.5) * s, (my + 6) * s],
                                                   fill=255))
        c.over((150, 60, 50), dilate(o, 1) * inside)
        c.over((70, 16, 20), o * inside)
    # Tousled hair above the brow, a little over the ears.
    def hair(d, s):
        d.chord([(cx - hx - 3) * s, (cy - hy - 6) * s, (cx + hx + 3) * s, (cy + hy * 0.05) * s], 180, 360, fill=255)
        for k in range(6):
            x = cx - hx + 5 + k * (2 * hx - 10) / 5
            tip = cy - 11 + (k % 2) * 2.5
            d.polygon([((x - 6) * s, (cy - 17) * s), ((x + 6) * s, (cy - 17) * s),
                       ((x - 2 + (k % 3 - 1) * 2) * s, tip * s)], fill=255)
        for sx in (-1, 1):
            d.polygon([((cx + sx * (hx + 3)) * s, (cy - 16) * s), ((cx + sx * (hx - 3)) * s, (cy - 18) * s),
                       ((cx + sx * (hx + 1)) * s, (cy - 1) * s)], fill=255)
    hm = draw_mask(size, hair)
    yy, xx = np.mgrid[0:size, 0:size].astype(np.float32)
    tone = 0.82 + 0.3 * noise2d(size, size, np.random.default_rng(21), cell=4, octaves=2)
    strands = 0.9 + 0.1 * np.sin((xx - cx) * 1.1 + (yy - cy) * 0.35 * np.sign(xx - cx))
    col = np.empty((size, size, 3), np.float32)
    col[:] = np.array(HAIR, np.float32) / 255
    col *= (tone * strands)[..., None]
    c.over((40, 18, 8), np.clip(dilate(hm, 1) - hm, 0, 1) * 0.5 * inside)
    c.over(np.clip(col, 0, 1), hm * inside)
    c.add((255, 190, 120), radial(size, size, cx + 8, cy - hy + 2, 12, 5, 1.5) * hm * inside * 0.45)
    # Brows over everything: (inner height, outer height) above the eye.
    inner, outer = {"neutral": (7.0, 7.5), "happy": (9.0, 8.5), "mad": (3.4, 9.0), "surprise": (11.0, 10.0)}[mood]
    brows = strokes(lambda d, s, w: [d.line([((cx + sx * 3.5) * s, (eye_y - inner) * s),
                                             ((cx + sx * 13) * s, (eye_y - outer) * s)], fill=255, width=w)
                                     for sx in (-1, 1)], 2.4)
    c.over((70, 34, 16), brows * inside)
    if mood == "mad":
        # Anger mark at the temple.
        vein = strokes(lambda d, s, w: [d.line([((cx + 12) * s, (cy - 15) * s), ((cx + 17) * s, (cy - 10) * s)],
                                               fill=255, width=w),
                                        d.line([((cx + 17) * s, (cy - 15) * s), ((cx + 12) * s, (cy - 10) * s)],
                                               fill=255, width=w)], 1.6)
        c.over((200, 30, 30), vein * head * inside)
    if mood == "surprise":
        for k in range(3):
            a = -2.2 + k * 0.5
            p0 = (cx + math.cos(a) * (hy + 6), cy + math.sin(a) * (hy + 6))
            p1 = (cx + math.cos(a) * (hy + 13), cy + math.sin(a) * (hy + 13))
            tick = strokes(lambda d, s, w, p0=p0, p1=p1: d.line([p0[0] * s, p0[1] * s, p1[0] * s, p1[1] * s],
                                                                  fill=255, width=w), 2.0)
            c.over((255, 236, 170), tick * inside)
    if mood == "happy":
        for sx, sy in ((-1, -1), (1, -0.6)):
            c.add((255, 240, 180), radial(size, size, cx + sx * (hx + 9), cy + sy * 16, 2.5, power=0.6) * inside)
    return c


def bezel(size, r):
    """The brass frame over the portrait and a glass highlight on it (every character shares it)."""
    c = Canvas(size, size, alpha=0.0)
    outer = disc(size, size / 2 - 2)
    inner = disc(size, r)
    ring = np.clip(outer - inner, 0, 1)
    drop_shadow(c, outer, 2, 3, 3, 0.5)
    c.multiply(1.0)
    yy, xx = np.mgrid[0:size, 0:size].astype(np.float32) + 0.5
    ang = np.arctan2(yy - size / 2, xx - size / 2)
    light = 0.5 + 0.5 * np.cos(ang + 2.2)
    metal = brass(size, size) * (0.7 + 0.5 * light[..., None])
    c.over(np.clip(metal, 0, 1), ring)
    d = np.sqrt((xx - size / 2) ** 2 + (yy - size / 2) ** 2)
    mid = (size / 2 - 2 + r) / 2
    c.multiply(0.6, np.exp(-((d - mid) / 0.8) ** 2) * ring)
    c.add((255, 244, 200), np.exp(-((d - mid - 1.6) / 0.7) ** 2) * ring * 0.5)
    c.over((40, 22, 8), np.clip(dilate(inner, 1) - inner, 0, 1))
    c.over((60, 34, 12), np.clip(outer - disc(size, size / 2 - 3), 0, 1))
    for k in range(8):
        a = k * math.pi / 4 + math.pi / 8
        rx, ry = size / 2 + math.cos(a) * mid, size / 2 + math.sin(a) * mid
        c.over((90, 54, 18), radial(size, size, rx, ry, 2.6, power=0.3))
        c.add((255, 250, 220), radial(size, size, rx - 0.6, ry - 0.6, 1.3, power=1.0) * 0.9)
    # The glass: a faint tint, an inner shade at the rim, a curved highlight upper left and a spark.
    c.over((200, 220, 255), inner * 0.06)
    c.over((10, 6, 16), inner * np.clip((d - r + 8) / 8, 0, 1) * 0.35)
    arc = np.clip(1 - np.abs(d - r * 0.78) / 5, 0, 1) * np.clip(-np.cos(ang + 2.3) * 1.5 - 0.4, 0, 1)
    c.over((255, 255, 255), arc * inner * 0.4)
    c.add((255, 255, 255), radial(size, size, size / 2 + r * 0.45, size / 2 - r * 0.55, 4, power=1.4) * 0.8)
    return c


def portrait(pic, spec):
    size = spec["size"]
    r = size / 2 - 12
    x, y = spec["x"], spec["y"]
    for name in spec["characters"]:
        rng = np.random.default_rng(sum(map(ord, name)))
        base = f"animated_faces/{name}/"
        pic.add(base + "_back_01", backdrop(size, r, rng, name == "boat"), x, y, 100)
        pic.add(base + "ab", shoulders(size, r, rng), x, y, 101)
        for mood in MOODS:
            head, hx, hy = screens.cropped(face(size, r, mood, np.random.default_rng(7)))
            pic.add(base + "face_" + mood, head, x + hx, y + hy, 102)
    pic.add("animated_faces/_glass_02", bezel(size, r), x, y, 103)


# --- the progress bar ------------------------------------------------------------------

def bar_empty(w, h):
    """A dark glass tube in a brass rim."""
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 0, 0, w - 1, h - 1, h // 2)
    c.over((60, 34, 12), body)
    c.over(brass(w, h), rounded(w, h, 1, 1, w - 2, h - 2, h // 2 - 1))
    tube = rounded(w, h, 4, 4, w - 5, h - 5, h // 2 - 4)
    c.over(vgradient(w, h, [(4, (14, 10, 18)), (h - 4, (46, 34, 40))]), tube)
    c.add((255, 240, 210), np.clip(tube - np.roll(tube, 2, 0), 0, 1) * 0.12)
    return c


def bar_full(w, h):
    """The glowing amber fill of the tube; its right end is the leading edge, a bright rounded tip."""
    c = Canvas(w, h, alpha=0.0)
    fill = rounded(w, h, 4, 5, w - 5, h - 6, h // 2 - 5)
    amber = vgradient(w, h, [(4, (255, 226, 130)), (h / 2, (244, 160, 44)), (h - 4, (170, 84, 18))])
    xx = np.arange(w, dtype=np.float32)[None, :]
    amber *= (0.95 + 0.05 * np.sin(xx * 0.35))[..., None]
    c.over(np.clip(amber, 0, 1), fill)
    c.add((255, 250, 220), np.clip(fill - np.roll(fill, 3, 0), 0, 1) * 0.5)
    c.add((255, 240, 180), radial(w, h, w - 10, h / 2, 14, h * 0.45, 1.2) * fill * 0.8)
    return c


def progress(pic, spec):
    x, y, w, h = spec["x"], spec["y"], spec["w"], spec["h"]
    pic.add("progress/progress_empty", bar_empty(w, h), x, y, 50)
    pic.add("progress/progress_full", bar_full(w, h), x, y, 51)


# --- the speech bubble -----------------------------------------------------------------

def bubble_frame(size):
    """A dark, slightly see-through speech bubble with a brass rim. The game stretches it nine-sliced (corners of a
    third of the picture), so the edges' middle thirds are plain along their length; the tail pointing down at the
    hero's portrait lies wholly in the bottom-left corner."""
    third = size // 3
    body_bottom = size - third // 2 - 6
    radius = third - 8
    c = Canvas(size, size, alpha=0.0)
    body = rounded(size, size, 1, 1, size - 2, body_bottom, radius)
    tail = polygon(size, size, [(third * 0.35, body_bottom - 6), (third * 0.95, body_bottom - 6),
                                (4, size - 3)]).full(size, size)
    shape = np.clip(body + tail, 0, 1)
    rim = np.clip(shape - np.clip(shape - dilate(1 - shape, 2), 0, 1), 0, 1)
    c.over((46, 26, 14), shape * 0.88)
    c.over(brass(size, size, (238, 196, 112), (238, 196, 112)), rim)
    inner_line = np.clip(dilate(1 - shape, 4) - dilate(1 - shape, 3), 0, 1) * shape
    c.over((120, 80, 40), inner_line * 0.6)
    return c


def bubble(pic, spec):
    # The layer's bottom-left corner is where the bubble grows up from.
    size = spec["size"]
    pic.add("bubble", bubble_frame(size), spec["x"], spec["bottom"] - size, 90)


def interface(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    portrait(pic, spec["avatar"])
    progress(pic, spec["progress"])
    bubble(pic, spec["bubble"])
    pic.write()
