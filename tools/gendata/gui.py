"""Layered pictures of the loading screen and of the shared popups: frames, journal, in-game menu, options."""
import math

import numpy as np
from PIL import Image

from . import harbour, ui
from .paint import M, Canvas, blur, dilate, fancy_text, font, noise2d, polygon, radial, radial_at, shapes, vgradient
from . import screens

# Big noisy layers: zlib's top level costs ten times the time for a tenth less size.
PNG_LEVEL = 6


def LayeredPicture(out_root, folder):
    return screens.LayeredPicture(out_root, folder, PNG_LEVEL)

TEXT_BROWN = (43, 14, 0)


# --- materials ---------------------------------------------------------------

def rounded(w, h, x0, y0, x1, y1, r):
    return shapes(w, h, lambda d, s: d.rounded_rectangle([x0 * s, y0 * s, x1 * s, y1 * s], radius=r * s,
                                                         fill=255)).full(w, h)


def paper(w, h, rng, base=(238, 220, 178), stain=0.0):
    """Paper colour with fibres and blotches (an HxWx3 array)."""
    n = noise2d(w, h, rng, cell=18, octaves=3)
    fine = noise2d(w, h, rng, cell=3, octaves=1)
    col = np.empty((h, w, 3), np.float32)
    col[:] = np.array(base, np.float32) / 255
    col *= (0.9 + 0.12 * n + 0.04 * fine)[..., None]
    if stain:
        blot = np.clip(noise2d(w, h, rng, cell=60, octaves=2) * 2.2 - 1.2, 0, 1) * stain
        col *= 1 - blot[..., None] * np.array([0.12, 0.2, 0.34], np.float32)
    return col


def edge_darken(c, mask, width, amount=(0.74, 0.62, 0.48)):
    """Browns a sheet toward its edges."""
    inner = np.clip(blur(mask, width) * 1.8 - 0.8, 0, 1)
    c.multiply(amount, np.clip(mask - inner, 0, 1))


def drop_shadow(c, mask, dx=4, dy=6, radius=6, strength=0.55):
    sh = np.roll(np.roll(blur(mask, radius), dy, 0), dx, 1)
    c.over((8, 4, 10), sh * strength)


def brass(w, h, top=(255, 226, 140), bottom=(170, 110, 40)):
    return vgradient(w, h, [(0, top), (h, bottom)])


def brass_corners(c, x0, y0, x1, y1, size=22):
    """Brass corner pieces on a rectangle's corners."""
    w, h = c.w, c.h
    for cx, cy, sx, sy in ((x0, y0, 1, 1), (x1, y0, -1, 1), (x0, y1, 1, -1), (x1, y1, -1, -1)):
        pts = [(cx, cy), (cx + sx * size, cy), (cx + sx * size * 0.55, cy + sy * size * 0.3),
               (cx + sx * size * 0.3, cy + sy * size * 0.55), (cx, cy + sy * size)]
        m = polygon(w, h, pts)
        c.over((30, 18, 8), M(dilate(m.arr, 1) * 0.8, m.x, m.y))
        c.over(brass(w, h), m)
        c.add((255, 250, 220), radial_at(w, h, cx + sx * size * 0.3, cy + sy * size * 0.3, 2.6, power=0.8) * 0.9)


def wood_board(w, h, rng, margin, base=(104, 66, 42), radius=14):
    """A dark wooden board with a parchment panel set into it; returns (canvas, panel mask)."""
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 6, 4, w - 8, h - 10, radius)
    drop_shadow(c, body)
    c.over(ui.wood(w, h, rng, base=base), body)
    inner = rounded(w, h, 12, 10, w - 14, h - 16, radius - 4)
    rim = np.clip(body - inner, 0, 1)
    yy = np.arange(h, dtype=np.float32)[:, None]
    light = np.clip(1 - yy / (h * 0.5), 0, 1)
    c.add((255, 210, 150), rim * light * 0.3)
    c.multiply(0.6, rim * (1 - light))
    panel = rounded(w, h, margin, margin - 2, w - margin - 2, h - margin - 6, 6)
    c.over((30, 16, 8), np.clip(dilate(panel, 3) - panel, 0, 1) * 0.8)
    c.over(paper(w, h, rng), panel)
    edge_darken(c, panel, 8)
    c.multiply(0.7, np.clip(panel - np.roll(np.roll(panel, 3, 0), 3, 1), 0, 1) * 0.8)
    brass_corners(c, 6, 4, w - 8, h - 10)
    return c, panel


def plate(w, h, rng, state, light=True, pad=14):
    """A button without its label: light brass (dark text on it) or dark wood (light text on it).
    state: 'in' normal, 'ac' hovered, 'dn' pressed. Returns (canvas, dx, dy) from the plate's top-left."""
    c = Canvas(w + 2 * pad, h + 2 * pad, alpha=0.0)
    body = rounded(c.w, c.h, pad, pad, pad + w, pad + h, min(12, h // 3))
    if state == "ac":
        c.over((255, 196, 96), blur(dilate(body, 3), 7) * 0.8)
    drop_shadow(c, body, 2, 4, 3, 0.5)
    tint = {"in": 1.0, "ac": 1.12, "dn": 0.84}[state]
    if light:
        face = vgradient(c.w, c.h, [(pad, (250, 222, 150)), (pad + h * 0.45, (232, 188, 104)),
                                    (pad + h, (186, 126, 52))])
        face *= (0.94 + 0.08 * noise2d(c.w, c.h, rng, cell=8, octaves=2))[..., None]
    else:
        face = ui.wood(c.w, c.h, rng, base=(96, 58, 36))
    c.over(np.clip(face * tint, 0, 1), body)
    inner = rounded(c.w, c.h, pad + 3, pad + 3, pad + w - 3, pad + h - 3, min(9, h // 3 - 2))
    ui.bevel(c, body, inner, pad, h, state, (255, 240, 200), 0.45)
    if light:
        c.over((110, 66, 24), np.clip(dilate(body, 1) - body, 0, 1))
    for nx in (pad + 9, pad + w - 9):
        c.over((80, 50, 20), radial_at(c.w, c.h, nx, pad + h / 2, 3.6, power=0.4))
        c.add((255, 240, 190), radial_at(c.w, c.h, nx - 0.8, pad + h / 2 - 1, 1.6, power=1.0) * 0.9)
    if state == "dn":
        shifted = Canvas(c.w, c.h, alpha=0.0)
        shifted.paste(c, 0, 2)
        c = shifted
    return c, -pad, -pad


def add_button(pic, name, x, y, w, h, seed, light=True, states=("in", "ac"), z=50):
    for state in states:
        c, dx, dy = plate(w, h, np.random.default_rng(seed), state, light)
        pic.add(f"{name}_{state}", c, x + dx, y + dy, z)


def placeholder(pic, name, x, y, w, h, z=60):
    """A rectangle the game reads (and does not draw): a transparent picture of its size."""
    pic.add(name, Canvas(w, h, alpha=0.0), x, y, z)


def arrow(w, h, direction, state, rng):
    """A brass arrow for turning pages; direction -1 left, 1 right."""
    pad = 10
    c = Canvas(w + 2 * pad, h + 2 * pad, alpha=0.0)
    cx, cy = c.w / 2, c.h / 2
    hw, hh = w / 2, h / 2
    pts = [(-hw, 0), (-hw * 0.1, -hh), (-hw * 0.1, -hh * 0.42), (hw, -hh * 0.42), (hw, hh * 0.42),
           (-hw * 0.1, hh * 0.42), (-hw * 0.1, hh)]
    pts = [(cx - direction * px, cy + py) for px, py in pts]
    m = polygon(c.w, c.h, pts).full(c.w, c.h)
    if state == "ac":
        c.over((255, 196, 96), blur(dilate(m, 3), 6) * 0.85)
    drop_shadow(c, m, 2, 3, 2, 0.5)
    c.over((60, 30, 10), dilate(m, 1))
    tint = 1.12 if state == "ac" else 1.0
    c.over(np.clip(brass(c.w, c.h) * tint, 0, 1), m)
    inner = np.clip(m - np.roll(m, -2, 0), 0, 1)
    c.add((255, 250, 220), inner * 0.4)
    return c, -pad, -pad


# --- the loading screen --------------------------------------------------------

def lamp(size=20):
    """One lit lamp of the loading row: a small glass lantern glowing warm."""
    c = Canvas(size, size, alpha=0.0)
    cx = size / 2
    c.add((255, 150, 50), radial(size, size, cx, size * 0.55, size * 0.55, power=1.6) * 0.85)
    glass = shapes(size, size, lambda d, s: d.ellipse([(cx - 4.2) * s, 6 * s, (cx + 4.2) * s, 16.5 * s],
                                                      fill=255)).full(size, size)
    c.over((60, 32, 14), np.clip(dilate(glass, 1) - glass, 0, 1) * 0.9)
    c.over(vgradient(size, size, [(6, (255, 250, 214)), (16, (255, 170, 60))]), glass)
    c.add((255, 255, 240), radial(size, size, cx, 11, 2.6, power=0.8))
    cap = polygon(size, size, [(cx - 4.5, 6.5), (cx + 4.5, 6.5), (cx + 2, 3.5), (cx - 2, 3.5)]).full(size, size)
    c.over((176, 120, 44), cap)
    c.over((120, 76, 26), polygon(size, size, [(cx - 3.5, 16), (cx + 3.5, 16), (cx + 3, 18), (cx - 3, 18)]))
    c.over((150, 100, 40), shapes(size, size, lambda d, s: d.ellipse([(cx - 1.5) * s, 1 * s, (cx + 1.5) * s,
                                                                     4 * s], outline=255, width=s)))
    return c


def lamp_line(count, cell):
    """The slot the lamps light up in: a dark groove with an unlit socket per lamp."""
    w, h = count * cell, cell
    c = Canvas(w, h, alpha=0.0)
    groove = rounded(w, h, 0, 1, w - 1, h - 1, 7)
    c.over(vgradient(w, h, [(0, (10, 8, 16)), (h, (34, 26, 36))]), groove * 0.92)
    c.multiply(0.5, np.clip(groove - np.roll(groove, 3, 0), 0, 1))
    for i in range(count):
        x = i * cell + cell / 2
        c.over((70, 64, 84), radial_at(w, h, x, h * 0.55, 4.2, power=0.25) * 0.9)
        c.add((160, 150, 180), radial_at(w, h, x - 1.2, h * 0.48, 1.4, power=1) * 0.5)
    return c


def bar_frame(w, h, rng):
    """The wooden holder with a brass rim around the lamp row."""
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 2, 2, w - 3, h - 5, 12)
    drop_shadow(c, body, 0, 4, 5, 0.6)
    c.over(ui.wood(w, h, rng, base=(88, 56, 36)), body)
    inner = rounded(w, h, 5, 5, w - 6, h - 8, 10)
    rim = np.clip(body - inner, 0, 1)
    c.add((255, 210, 150), rim * np.clip(1 - np.arange(h, dtype=np.float32)[:, None] / h * 2, 0, 1) * 0.35)
    slot = rounded(w, h, 14, 12, w - 15, h - 15, 9)
    c.over(brass(w, h), np.clip(dilate(slot, 2) - slot, 0, 1))
    for x in (8, w - 9):
        c.over((80, 50, 20), radial_at(w, h, x, h / 2 - 2, 3.2, power=0.4))
        c.add((255, 240, 190), radial_at(w, h, x - 0.6, h / 2 - 3, 1.4, power=1.0) * 0.9)
    return c


def loading(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    scene = harbour.paint(spec["scene"]["seed"], night=True)
    back = harbour.composite(scene)
    # A darker band at the bottom for the lamp row.
    yy = np.arange(back.h, dtype=np.float32)
    back.rgb *= (1 - 0.55 * np.clip((yy - 560) / 140, 0, 1))[:, None, None]
    back.rgb *= (1 - 0.4 * np.clip(1 - yy / 240, 0, 1))[:, None, None]
    pic.add("_back", back, 0, 0, 0, opaque=True)
    t = spec["title"]
    title = ui.title_text(t["text"], t["size"], glow_col=(255, 150, 60))
    pic.add("title", title, (back.w - title.w) // 2, t["y"], 20)
    r = spec["row"]
    cell = r["lamp"]
    w = r["count"] * cell
    x = (back.w - w) // 2
    pic.add("bar", bar_frame(w + 2 * 18, cell + 2 * 15 + 3, np.random.default_rng(3)), x - 18, r["y"] - 15, 30)
    pic.add("line", lamp_line(r["count"], cell), x, r["y"], 40)
    pic.add("lamp", lamp(cell), x, r["y"], 50)
    pic.write()


# --- the popup frame of close-ups --------------------------------------------

def frame_picture(size, border, rng):
    """A nine-slice frame: a third of the picture each way is a corner; the edges repeat along their length,
    so their look depends only on the distance from the outer edge."""
    c = Canvas(size, size, alpha=0.0)
    yy, xx = np.mgrid[0:size, 0:size].astype(np.float32) + 0.5
    d = np.minimum(np.minimum(xx, yy), np.minimum(size - xx, size - yy))
    wood_m = np.clip(border - d, 0, 1) * np.clip(d - 1, 0, 1)
    grain = 0.82 + 0.18 * np.sin(d * 2.1) + 0.06 * np.sin(d * 5.3)
    col = np.empty((size, size, 3), np.float32)
    col[:] = np.array([104, 66, 42], np.float32) / 255
    col *= grain[..., None]
    # Bevel: light toward the outside, shade toward the inside.
    col *= (1.18 - 0.4 * np.clip(d / border, 0, 1))[..., None]
    # A soft shade cast inward on the picture.
    c.over((6, 4, 8), np.clip(1 - (d - border) / 6, 0, 1) * (d >= border) * 0.45)
    c.over(np.clip(col, 0, 1), wood_m)
    line = np.exp(-((d - border * 0.62) / 1.1) ** 2)
    c.over((226, 178, 92), line * wood_m)
    c.over((40, 22, 10), np.exp(-((d - border + 1) / 0.9) ** 2) * wood_m * 0.8)
    third = size // 3
    for cx, cy in ((border * 0.5, border * 0.5), (size - border * 0.5, border * 0.5),
                   (border * 0.5, size - border * 0.5), (size - border * 0.5, size - border * 0.5)):
        stud = radial(size, size, cx, cy, border * 0.42, power=0.3)
        c.over((60, 34, 12), dilate(stud, 1))
        c.over(brass(size, size), stud)
        c.add((255, 250, 220), radial(size, size, cx - 2, cy - 2, 2.5, power=1) * 0.9)
    assert border + 6 <= third
    return c


def ramka(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    f = spec["frame"]
    frame = frame_picture(f["size"], f["border"], np.random.default_rng(4))
    fx, fy = f["x"], f["y"]
    pic.add("frame", frame, fx, fy, 10)
    cx = fx + f["size"] // 2
    for key, base_name, control, seed in (("up", "up", "skip", 12), ("bottom", "bottom", "close", 13)):
        p = spec[key]
        x = cx - p["w"] // 2
        y = fy - p["over"] if key == "up" else fy + f["size"] + p["over"] - p["h"]
        base, bx, by = plate(p["w"], p["h"], np.random.default_rng(seed), "in", light=False, pad=8)
        # The empty slot the charge fills.
        sx, sy, sw, sh = p["slot"]
        slot = rounded(base.w, base.h, 8 + sx, 8 + sy, 8 + sx + sw, 8 + sy + sh, sh // 2)
        base.over((20, 12, 10), slot * 0.9)
        base.multiply(0.5, np.clip(slot - np.roll(slot, 3, 0), 0, 1))
        pic.add(base_name, base, x + bx, y + by, 20)
        for state in ("in", "ac", "dn"):
            c, dx, dy = plate(sw, sh, np.random.default_rng(seed + 10), state, light=True, pad=10)
            pic.add(f"{control}/{control}_{state}", c, x + sx + dx, y + sy + dy, 30)
    pic.write()


def ramka_tutorial(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    b = spec["back"]
    w, h = b["w"], b["h"]
    rng = np.random.default_rng(6)
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 6, 4, w - 8, h - 10, 16)
    drop_shadow(c, body)
    c.over(ui.wood(w, h, rng, base=(70, 44, 30)), body)
    panel = rounded(w, h, 18, 16, w - 20, h - 22, 10)
    night = vgradient(w, h, [(0, (26, 30, 64)), (h, (12, 12, 30))])
    c.over(night, panel * 0.94)
    c.add((255, 180, 90), radial(w, h, w * 0.5, 0, w * 0.7, h * 0.8, 1.5) * panel * 0.12)
    c.over((226, 178, 92), np.clip(dilate(panel, 2) - panel, 0, 1))
    brass_corners(c, 6, 4, w - 8, h - 10, 20)
    x, y = b["x"], b["y"]
    pic.add("_back", c, x, y, 0)
    tx, ty, tw, th = spec["text"]["rect"]
    placeholder(pic, "text", x + tx, y + ty, tw, th)
    cb = spec["close"]
    add_button(pic, "close/close", x + cb["x"], y + cb["y"], cb["w"], cb["h"], 14)
    pic.write()


# --- the journal -------------------------------------------------------------------

def book_cover(w, h, rng, leather, tooling, pages=()):
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 4, 4, w - 8, h - 10, 18)
    drop_shadow(c, body, 4, 8, 8, 0.6)
    n = noise2d(w, h, rng, cell=5, octaves=3)
    col = np.empty((h, w, 3), np.float32)
    col[:] = np.array(leather, np.float32) / 255
    col *= (0.82 + 0.3 * n)[..., None]
    col *= (1 - 0.35 * (1 - radial(w, h, w / 2, h / 2, w * 0.75, h * 0.8, 0.8)))[..., None]
    c.over(col, body)
    inner = rounded(w, h, 22, 22, w - 26, h - 28, 10)
    c.over(tooling, np.clip(dilate(inner, 1) - inner, 0, 1) * 0.8)
    c.over(tooling, np.clip(dilate(inner, 7) - dilate(inner, 6), 0, 1) * 0.5)
    # The spine's fold.
    xx = np.arange(w, dtype=np.float32)[None, :]
    c.multiply(0.55, body * np.exp(-((xx - w / 2) / 12) ** 2))
    # The edges of the sheets under each page.
    for px, py, pw, ph, side in pages:
        base = rounded(w, h, px, py, px + pw - 1, py + ph - 1, 4)
        x0, y0 = max(0, int(px) - 10), max(0, int(py) - 10)
        x1, y1 = min(w, int(px + pw) + 10), min(h, int(py + ph) + 10)
        for k in (4, 3, 2, 1):
            sheet = np.roll(np.roll(base, int(k * 1.2 + 0.5), 0), int(side * k * 1.5), 1)
            edge = np.clip(sheet - np.roll(np.roll(sheet, -1, 0), -int(side), 1), 0, 1) * 0.6
            c.over(tuple(v * (0.8 - k * 0.05) for v in (236, 220, 180)), M(sheet[y0:y1, x0:x1], x0, y0))
            c.over((120, 96, 70), M(edge[y0:y1, x0:x1], x0, y0))
    return c


def page_sheet(w, h, rng, side, design, base, stain):
    """One page; side -1 left, 1 right. design 1 has a thin ruled border, 2 a faded compass rose."""
    c = Canvas(w, h, alpha=0.0)
    sheet = rounded(w, h, 0, 0, w - 1, h - 1, 4)
    c.over(paper(w, h, rng, base, stain), sheet)
    # The gutter: darker toward the spine.
    xx = np.arange(w, dtype=np.float32)[None, :]
    gutter = np.exp(-((w - xx if side < 0 else xx) / 40) ** 2)
    c.multiply(0.72, sheet * gutter)
    edge_darken(c, sheet, 10)
    ink = (120, 70, 40)
    if design == 1:
        frame = rounded(w, h, 14, 14, w - 15, h - 15, 3)
        c.over(ink, np.clip(frame - rounded(w, h, 15, 15, w - 16, h - 16, 3), 0, 1) * 0.45)
        frame2 = rounded(w, h, 19, 19, w - 20, h - 20, 2)
        c.over(ink, np.clip(frame2 - rounded(w, h, 20, 20, w - 21, h - 21, 2), 0, 1) * 0.25)
    else:
        cx, cy, r = w * 0.5, h * 0.56, min(w, h) * 0.3
        ring = shapes(w, h, lambda d, s: d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s],
                                                   outline=255, width=2 * s)).full(w, h)
        star = np.zeros((h, w), np.float32)
        for k in range(8):
            a = k * math.pi / 4
            L = r * (1.0 if k % 2 == 0 else 0.6)
            tip = (cx + math.cos(a) * L, cy + math.sin(a) * L)
            left = (cx + math.cos(a + 0.5) * r * 0.12, cy + math.sin(a + 0.5) * r * 0.12)
            right = (cx + math.cos(a - 0.5) * r * 0.12, cy + math.sin(a - 0.5) * r * 0.12)
            star = np.maximum(star, polygon(w, h, [left, tip, right, (cx, cy)]).full(w, h))
        c.over(ink, np.clip(ring + star, 0, 1) * 0.12)
    return c


def book_frame(w, h, rng, colour):
    """Drawn over the pages: brass corner guards, a ribbon and the spine's shade."""
    c = Canvas(w, h, alpha=0.0)
    xx = np.arange(w, dtype=np.float32)[None, :]
    yy = np.arange(h, dtype=np.float32)[:, None]
    spine = np.exp(-((xx - w / 2) / 7) ** 2) * np.clip((yy - 20) / 20, 0, 1) * np.clip((h - 24 - yy) / 20, 0, 1)
    c.over((20, 10, 6), np.broadcast_to(spine, (h, w)).copy() * 0.45)
    brass_corners(c, 4, 4, w - 8, h - 10, 40)
    rx, end = w / 2 + 22, h * 0.72
    ribbon = polygon(w, h, [(rx - 7, 0), (rx + 7, 0), (rx + 7, end), (rx, end - 10), (rx - 7, end)]).full(w, h)
    drop_shadow(c, ribbon, 2, 2, 2, 0.4)
    shade = vgradient(w, h, [(0, colour), (h, tuple(v * 0.7 for v in colour))])
    shade *= (0.85 + 0.15 * np.sin(xx * 0.9))[..., None]
    c.over(shade, ribbon)
    return c


def notebook(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    b = spec["book"]
    x, y, w, h = b["x"], b["y"], b["w"], b["h"]
    p = spec["page"]
    pw, ph = p["w"], p["h"]
    lx, py = x + w // 2 - pw - p["gutter"], y + p["top"]
    rx = x + w // 2 + p["gutter"]
    for style, leather, tooling, seed, base, stain in (
            ("book_new", (96, 30, 26), (226, 178, 92), 30, (240, 224, 186), 0.0),
            ("book_old", (62, 70, 44), (200, 170, 110), 40, (226, 200, 146), 0.7)):
        sheets = [(lx - x, py - y, pw, ph, -1), (rx - x, py - y, pw, ph, 1)]
        pic.add(f"{style}/_back", book_cover(w, h, np.random.default_rng(seed), leather, tooling, sheets), x, y, 0)
        for design in (1, 2):
            for side, px in ((-1, lx), (1, rx)):
                sheet = page_sheet(pw, ph, np.random.default_rng(seed + design * 2 + (side > 0)), side, design, base,
                                   stain)
                pic.add(f"{style}/pages/{design}/{1 if side < 0 else 2}", sheet, px, py, 10)
    pic.add("frame", book_frame(w, h, np.random.default_rng(5), (150, 28, 30)), x, y, 40)
    r = spec["rects"]
    for side, px in (("left", lx), ("right", rx)):
        placeholder(pic, f"date_{side}", px + r["margin"], py + r["date_y"], pw - 2 * r["margin"], r["date_h"])
        placeholder(pic, f"text_{side}", px + r["margin"], py + r["text_y"], pw - 2 * r["margin"],
                    ph - r["text_y"] - r["text_bottom"])
        nx = px + r["margin"] if side == "left" else px + pw - r["margin"] - r["number_w"]
        placeholder(pic, f"number_{side}", nx, py + ph - r["number_bottom"], r["number_w"], r["number_h"])
    cb = spec["close"]
    add_button(pic, "buttons/close/close", x + (w - cb["w"]) // 2, y + h - cb["h"] - cb["bottom"], cb["w"], cb["h"],
               15)
    a = spec["arrows"]
    for name, direction, ax in (("arrow_left", -1, lx + a["inset"]), ("arrow_right", 1, rx + pw - a["inset"] - a["w"])):
        for state in ("in", "ac"):
            c, dx, dy = arrow(a["w"], a["h"], direction, state, None)
            pic.add(f"buttons/{name}/{name}_{state}", c, ax + dx, py + ph - a["h"] - a["bottom"] + dy, 50)
    pic.write()


# --- the in-game menu and the options popup ----------------------------------------

def ingamemenu(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    b = spec["back"]
    board, _ = wood_board(b["w"], b["h"], np.random.default_rng(8), b["margin"])
    pic.add("_back", board, b["x"], b["y"], 0)
    mx, my, mw, mh = spec["title"]["rect"]
    placeholder(pic, "menu", b["x"] + mx, b["y"] + my, mw, mh)
    bw, bh = spec["buttons"]["w"], spec["buttons"]["h"]
    bx = b["x"] + (b["w"] - bw) // 2
    for i, name in enumerate(spec["buttons"]["names"]):
        add_button(pic, f"{name}/{name}", bx, b["y"] + spec["buttons"]["y"] + i * spec["buttons"]["step"], bw, bh,
                   20 + i)
    pic.write()


def slider_track(w, h, rng):
    """A slider's track: three equal cells (left end, middle, right end) side by side."""
    c = Canvas(w, h, alpha=0.0)
    cy = h / 2
    groove = rounded(w, h, 4, cy - 5, w - 5, cy + 5, 5)
    c.over((255, 250, 235), np.roll(groove, 1, 0) * 0.35)
    c.over(vgradient(w, h, [(cy - 5, (40, 20, 10)), (cy + 5, (96, 60, 34))]), groove)
    c.multiply(0.6, np.clip(groove - np.roll(groove, 2, 0), 0, 1))
    for x in (6, w - 7):
        cap = radial(w, h, x, cy, 7, power=0.25)
        c.over((70, 40, 14), dilate(cap, 1))
        c.over(brass(w, h), cap)
    return c


def thumb(size):
    c = Canvas(size, size, alpha=0.0)
    r = size / 2 - 3
    knob = radial(size, size, size / 2, size / 2, r, power=0.02)
    drop_shadow(c, knob, 1, 2, 2, 0.5)
    c.over((70, 36, 12), dilate(knob, 1))
    c.over(vgradient(size, size, [(0, (255, 236, 160)), (size, (176, 110, 36))]), knob)
    c.add((255, 255, 240), radial(size, size, size / 2 - r * 0.3, size / 2 - r * 0.35, r * 0.5, power=1.5) * 0.6)
    c.over((120, 70, 20), radial(size, size, size / 2, size / 2, r * 0.35, power=0.2) * 0.5)
    return c


def checkbox(size, ticked, state):
    pad = 8
    c = Canvas(size + 2 * pad, size + 2 * pad, alpha=0.0)
    box = rounded(c.w, c.h, pad, pad, pad + size, pad + size, 5)
    if state == "ac":
        c.over((255, 196, 96), blur(dilate(box, 3), 5) * 0.8)
    drop_shadow(c, box, 1, 2, 2, 0.4)
    c.over((90, 56, 24), box)
    hole = rounded(c.w, c.h, pad + 4, pad + 4, pad + size - 4, pad + size - 4, 3)
    c.over((250, 236, 200), hole)
    c.multiply(0.75, np.clip(hole - np.roll(hole, 2, 0), 0, 1))
    if ticked:
        s0 = size / 32
        pts = [(pad + 7 * s0, pad + 16 * s0), (pad + 13 * s0, pad + 23 * s0), (pad + 28 * s0, pad + 3 * s0)]
        tick = shapes(c.w, c.h, lambda d, s: d.line([(px * s, py * s) for px, py in pts], fill=255,
                                                    width=int(4.5 * s0 * s), joint="curve")).full(c.w, c.h)
        c.over((120, 20, 16), tick)
    if state == "ac":
        c.add((255, 220, 150), box * 0.12)
    return c, -pad, -pad


def options(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    dark = Canvas(1024, 768, rgb=(4, 4, 10), alpha=0.55)
    pic.add("dark", dark, 0, 0, 0)
    f = spec["frame"]
    fx, fy = f["x"], f["y"]
    board, _ = wood_board(f["w"], f["h"], np.random.default_rng(9), f["margin"])
    pic.add("frame", board, fx, fy, 10)
    for name, rect in spec["placeholders"].items():
        placeholder(pic, f"placeholders/{name}", fx + rect[0], fy + rect[1], rect[2], rect[3])
    s = spec["sliders"]
    track = None
    for i, name in enumerate(("music", "sound", "ambient")):
        track = slider_track(s["w"], s["h"], np.random.default_rng(50 + i))
        pic.add(f"scroll/{name}_line", track, fx + s["x"], fy + s[name], 20)
    pic.add("scroll/dot", thumb(s["h"]), fx + s["x"], fy + s["music"], 30)
    cb = spec["close"]
    add_button(pic, "buttons/close/close", fx + cb["x"], fy + cb["y"], cb["w"], cb["h"], 16, states=("in",))
    m = spec["changemode"]
    add_button(pic, "buttons/changemode/changemode", fx + m["x"], fy + m["y"], m["w"], m["h"], 17, light=False)
    c = spec["cursor"]
    for name, ticked in (("cursor_on", True), ("cursor_off", False)):
        for state in ("in", "ac"):
            pic_c, dx, dy = checkbox(c["size"], ticked, state)
            pic.add(f"buttons/{name}/cursor_{state}", pic_c, fx + c["x"] + dx, fy + c["y"] + dy, 40)
    pic.write()
