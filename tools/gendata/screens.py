"""Layered pictures of the screens, the logos and the interface images."""
import math
import os

import numpy as np
from PIL import Image

from . import harbour, ui
from .paint import (Canvas, blur, dilate, fancy_text, font, from_image, glow, noise2d, polygon, radial, radial_at,
                    save_jpg, save_png, shapes, text_mask, vgradient)


def cropped(c):
    """The canvas cut to what it shows: (canvas, x, y)."""
    ys, xs = np.nonzero(c.a > 1 / 255)
    if len(xs) == 0:
        return c.crop(0, 0, 1, 1), 0, 0
    x0, y0, x1, y1 = xs.min(), ys.min(), xs.max() + 1, ys.max() + 1
    return c.crop(x0, y0, x1 - x0, y1 - y0), int(x0), int(y0)


class LayeredPicture:
    """Collects layers and writes the folder: one PNG (or JPEG) per layer and layers.ini."""

    def __init__(self, out_root, folder, png_level=9):
        self.folder = folder
        self.path = os.path.join(out_root, folder)
        self.layers = []
        self.png_level = png_level

    def add(self, name, canvas, x, y, z, opaque=False):
        rel = name + (".jpg" if opaque else ".png")
        full = os.path.join(self.path, rel)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        if opaque:
            save_jpg(canvas.image_rgb(), full, quality=92)
        else:
            save_png(canvas.image(), full, self.png_level)
        self.layers.append((name, int(x), int(y), canvas.w, canvas.h, z))

    def write(self):
        lines = ["[layers]"]
        for name, x, y, w, h, z in self.layers:
            lines.append(f"{name} = {x} {y} {w} {h} 255 0 {z}")
        with open(os.path.join(self.path, "layers.ini"), "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def lamp_glow(r, colour=(255, 200, 120)):
    c = Canvas(2 * r, 2 * r, alpha=0.0)
    c.over(colour, glow(2 * r, 2 * r, r, r, r, 2.0).full(2 * r, 2 * r))
    c.over((255, 244, 214), radial(2 * r, 2 * r, r, r, r * 0.12, power=0.8))
    return c


def main_menu(spec, out_root, rng):
    pic = LayeredPicture(out_root, spec["folder"])
    scene = harbour.paint(spec["scene"]["seed"])
    pic.add("_back", scene["back"], 0, 0, 0, opaque=True)
    front, fx, fy = cropped(scene["front"])
    pic.add("_back2", front, fx, fy, 20)
    # Lights that flicker now and then: the quay lamps and the lighthouse.
    for i, (x, y, _ground) in enumerate(scene["lamps"]):
        g = lamp_glow(44)
        pic.add(f"fx/lamp{i + 1}", g, x - 44, y - 44, 10)
    lh = lamp_glow(60, (255, 230, 160))
    pic.add("fx/lighthouse", lh, 742 - 60, harbour.HZ - 44 - 71 - 60, 10)
    for i, (x, y) in enumerate(scene["windows"][::9][:6]):
        pic.add(f"fx/window{i + 1}", lamp_glow(22, (255, 190, 100)), x - 22, y - 22, 10)
    t = spec["title"]
    title = ui.title_text(t["text"], t["size"])
    sub = fancy_text(t["subtitle"], font(ui.SERIF_BOLD, int(t["size"] * 0.36)), (255, 236, 200), (230, 190, 130),
                     outline=(40, 20, 10), outline_px=2, shadow=0.6, glow_col=(255, 160, 80), glow_radius=8)
    block = Canvas(max(title.w, sub.w + 60), title.h + sub.h - 40, alpha=0.0)
    block.paste(title, 0, 0)
    block.paste(sub, 60, title.h - 52)
    block, bx, by = cropped(block)
    pic.add("title", block, t["x"] + bx, t["y"] + by, 40)
    r = spec["ropes"]
    pic.add("ropes", ui.ropes(r["w"], r["h"], [r["left"], r["right"]]), r["x"], r["y"], 30)
    for b in spec["button"]:
        for state in ("in", "ac", "dn"):
            c, dx, dy = ui.plaque(b["w"], b["h"], b["label"], np.random.default_rng(len(b["name"])), state)
            pic.add(f"buttons/{b['name']}_{state}", c, b["x"] + dx, b["y"] + dy, 50)
    n = spec["name_tag"]
    # The paper tag is part of the picture, so the name drawn by the menu lies
    # on it; the button (buttons/here_*) is the hint line on the tag.
    # Aged dark paper: the name is written on it in pale yellow.
    tag = ui.parchment(n["w"], n["h"], np.random.default_rng(5), n["angle"], [])
    tag.multiply((0.36, 0.26, 0.2))
    pic.add("name_tag", tag, n["x"], n["y"], 45)
    for state in ("in", "ac", "dn"):
        tint = {"in": (214, 180, 130), "ac": (255, 226, 160), "dn": (180, 150, 104)}[state]
        line = Canvas(n["w"], n["h"], alpha=0.0)
        m, _ = text_mask(n["hint"], font(ui.SERIF, 13), pad=2)
        line.over(tint, m, (n["w"] - m.shape[1]) // 2, n["h"] - 26)
        # A faint backing over the whole tag, so that all of it answers the
        # mouse, not only the letters.
        line.over(tint, np.clip(blur(dilate(line.a, 4), 3) * 4, 0, 1) * 0.03)
        whole = shapes(n["w"], n["h"], lambda d, s: d.rounded_rectangle(
            [2 * s, 2 * s, (n["w"] - 3) * s, (n["h"] - 3) * s], radius=6 * s, fill=255)).full(n["w"], n["h"])
        line.over(tint, whole * 0.03)
        if state == "ac":
            line.add((255, 200, 100), blur(dilate(line.a, 2), 4) * 0.5)
        turned = from_image(line.image().rotate(-n["angle"], resample=Image.BICUBIC, expand=True))
        hint, hx, hy = cropped(turned)
        dy = 2 if state == "dn" else 0
        pic.add(f"buttons/here_{state}", hint, n["x"] + hx, n["y"] + hy + dy, 50)
    # The name's centre: where the tag's upper half lies once turned.
    ang = math.radians(n["angle"])
    cx, cy = n["w"] / 2, n["h"] * 0.42
    w2, h2 = n["w"] / 2, n["h"] / 2
    ex = abs(n["w"] * math.cos(ang)) + abs(n["h"] * math.sin(ang))
    ey = abs(n["w"] * math.sin(ang)) + abs(n["h"] * math.cos(ang))
    rx = ex / 2 + (cx - w2) * math.cos(ang) - (cy - h2) * math.sin(ang)
    ry = ey / 2 + (cx - w2) * math.sin(ang) + (cy - h2) * math.cos(ang)
    pic.add("buttons/player_name", Canvas(2, 2, alpha=0.0), n["x"] + rx, n["y"] + ry, 60)
    pic.write()
    return scene


def studio_logo(spec, w=1024, h=768):
    rng = np.random.default_rng(11)
    c = Canvas(w, h)
    c.rgb[:] = vgradient(w, h, [(0, (10, 12, 20)), (h * 0.6, (24, 22, 34)), (h, (12, 10, 16))])
    c.add((255, 190, 110), radial(w, h, w / 2, h * 0.45, 420, 320, 2.0) * 0.18)
    # The hill and the oak.
    cx, ground = w / 2, h * 0.56
    hill = [(cx - 260 + i * 4, ground + 40 - 46 * math.sin(i * 4 / 520 * math.pi)) for i in range(131)]
    gold = vgradient(w, h, [(h * 0.2, (255, 222, 140)), (h * 0.62, (196, 128, 44))])
    c.over(gold, polygon(w, h, hill + [(cx + 260, ground + 48), (cx - 260, ground + 48)]))
    trunk = polygon(w, h, [(cx - 14, ground + 2), (cx + 14, ground + 2), (cx + 9, ground - 90), (cx - 9, ground - 90)])
    c.over(gold, trunk)
    for side in (-1, 1):
        c.over(gold, polygon(w, h, [(cx, ground - 70), (cx + side * 70, ground - 132), (cx + side * 78, ground - 124),
                                    (cx + side * 6, ground - 54)]))
    def canopy(d, s):
        for k in range(26):
            a = k / 26 * math.pi * 2
            r = 100 + 16 * math.sin(k * 2.3)
            px, py = cx + math.cos(a) * r * 1.25, ground - 170 + math.sin(a) * r * 0.72
            rr = 40 + 10 * math.sin(k * 1.7)
            d.ellipse([(px - rr) * s, (py - rr) * s, (px + rr) * s, (py + rr) * s], fill=255)
        d.ellipse([(cx - 130) * s, (ground - 260) * s, (cx + 130) * s, (ground - 90) * s], fill=255)
    leaves = shapes(w, h, canopy, 2).full(w, h)
    c.over(gold, leaves)
    shade = leaves * np.clip((np.arange(h, dtype=np.float32)[:, None] - (ground - 260)) / 180, 0, 1)
    c.multiply(0.7, shade)
    for _ in range(40):
        px, py = cx + rng.normal(0, 80), ground - 170 + rng.normal(0, 45)
        c.over((120, 70, 20), radial_at(w, h, px, py, rng.uniform(3, 6), power=0.6))
    c.add((255, 210, 140), blur(leaves, 20) * 0.12)
    title = fancy_text(spec["title"], font(ui.SERIF_BOLD, 78), (255, 236, 170), (210, 140, 50), outline=(40, 20, 8),
                       outline_px=2, shadow=0.6, glow_col=(255, 170, 70), glow_radius=12)
    c.paste(title, (w - title.w) // 2, int(ground + 56))
    sub = fancy_text(spec["subtitle"], font(ui.SERIF, 28), (230, 220, 200), (180, 170, 150), outline_px=0,
                     shadow=0.5, pad=10)
    c.paste(sub, (w - sub.w) // 2, int(ground + 56 + title.h - 24))
    return c


def title_logo(spec, scene):
    c = harbour.composite(scene)
    w, h = c.w, c.h
    c.rgb *= (1 - 0.35 * np.clip(1 - np.arange(h, dtype=np.float32) / 300, 0, 1))[:, None, None]
    title = ui.title_text(spec["title"], 110, glow_col=(255, 160, 60))
    c.paste(title, (w - title.w) // 2, 70)
    sub = fancy_text(spec["subtitle"], font(ui.SERIF_BOLD, 38), (255, 240, 210), (236, 190, 120),
                     outline=(40, 20, 10), outline_px=2, shadow=0.6, glow_col=(255, 150, 70), glow_radius=10)
    c.paste(sub, (w - sub.w) // 2, 70 + title.h - 48)
    return c


def logos(spec, out_root, scene):
    names = []
    for logo in spec["logo"]:
        path = os.path.join(out_root, logo["file"])
        os.makedirs(os.path.dirname(path), exist_ok=True)
        c = studio_logo(logo) if logo["painter"] == "studio" else title_logo(logo, scene)
        save_jpg(c.image_rgb(), path, quality=92)
        names.append(logo["file"].replace("/", "\\"))
    with open(os.path.join(out_root, "logo", "logo.ini"), "wb") as f:
        f.write(("[Game]\r\nLogoList=" + ",".join(names) + "\r\n").encode("ascii"))


# --- the images bound by id ---------------------------------------------------

def field_border():
    """A frame for close-up fields: dark wood with a brass inner line, transparent middle."""
    w = h = 96
    rng = np.random.default_rng(21)
    c = Canvas(w, h, alpha=0.0)
    outer = shapes(w, h, lambda d, s: d.rounded_rectangle([2 * s, 2 * s, (w - 2) * s, (h - 2) * s], radius=12 * s,
                                                          fill=255)).full(w, h)
    inner = shapes(w, h, lambda d, s: d.rounded_rectangle([18 * s, 18 * s, (w - 18) * s, (h - 18) * s], radius=6 * s,
                                                          fill=255)).full(w, h)
    ring = np.clip(outer - inner, 0, 1)
    c.over((0, 0, 0), np.clip(blur(ring, 2) - inner * 0.0, 0, 1) * 0.5)
    c.over(ui.wood(w, h, rng, base=(96, 60, 38)), ring)
    brass = np.clip(dilate(inner, 2) - inner, 0, 1)
    c.over((214, 170, 90), brass)
    return c


def hint_picture(charge=1.0, size=72):
    """The hint lantern: a brass lantern whose glass glows with the charge."""
    c = Canvas(size, size, alpha=0.0)
    cx = size / 2
    body = polygon(size, size, [(cx - 14, 22), (cx + 14, 22), (cx + 11, 56), (cx - 11, 56)]).full(size, size)
    cap = polygon(size, size, [(cx - 18, 22), (cx + 18, 22), (cx, 8)]).full(size, size)
    base = polygon(size, size, [(cx - 16, 56), (cx + 16, 56), (cx + 14, 62), (cx - 14, 62)]).full(size, size)
    ring = shapes(size, size, lambda d, s: d.ellipse([(cx - 6) * s, 1 * s, (cx + 6) * s, 11 * s], outline=255,
                                                     width=3 * s)).full(size, size)
    if charge > 0:
        c.over((255, 190, 90), blur(dilate(body, 3), 8) * 0.8 * charge)
    brass = vgradient(size, size, [(0, (250, 214, 130)), (size, (150, 96, 30))])
    c.over((0, 0, 0), np.roll(np.roll(blur(body + cap + base, 1.5), 2, 0), 2, 1) * 0.5)
    c.over(brass, np.clip(cap + base + ring + body, 0, 1))
    glass = polygon(size, size, [(cx - 10, 26), (cx + 10, 26), (cx + 8, 52), (cx - 8, 52)]).full(size, size)
    lit = vgradient(size, size, [(26, (255, 246, 200)), (52, (255, 170, 60))])
    dark = vgradient(size, size, [(26, (80, 90, 110)), (52, (40, 44, 60))])
    c.over(dark, glass)
    if charge > 0:
        c.over(lit, glass * charge)
        c.add((255, 230, 160), radial(size, size, cx, 40, 8, power=1.2) * charge)
    for x in (cx - 3, cx + 3):
        c.over((120, 80, 30), polygon(size, size, [(x - 0.8, 26), (x + 0.8, 26), (x + 0.8, 52), (x - 0.8, 52)]))
    return c


def hint_circle(size=128):
    c = Canvas(size, size, alpha=0.0)
    yy, xx = np.mgrid[0:size, 0:size].astype(np.float32) + 0.5
    d = np.sqrt((xx - size / 2) ** 2 + (yy - size / 2) ** 2) / (size / 2)
    ring = np.exp(-((d - 0.82) / 0.07) ** 2) + np.exp(-((d - 0.82) / 0.2) ** 2) * 0.35
    c.over((255, 226, 140), np.clip(ring, 0, 1))
    return c


def line_picture(w=256, h=12):
    """A hand-drawn ink stroke (struck-through notepad lines)."""
    c = Canvas(w, h, alpha=0.0)
    x = np.arange(w, dtype=np.float32)
    yc = h / 2 + np.sin(x / 37) * 1.2 - (x / w - 0.5) * 1.5
    yy = np.arange(h, dtype=np.float32)[:, None]
    thick = 1.6 + 0.8 * np.sin(x / 19) ** 2
    m = np.clip(thick - np.abs(yy - yc[None, :]) + 0.5, 0, 1) * np.clip(np.minimum(x, w - x) / 10, 0, 1)[None, :]
    c.over((255, 255, 255), m)
    return c


def skip_button(over):
    c, dx, dy = ui.plaque(130, 44, "Skip", np.random.default_rng(9), "ac" if over else "in", size=20)
    return c


def image(painter, w=1024, h=768):
    if painter == "close_button":
        return ui.round_button(40, "\u2715")
    if painter == "skip_button":
        return skip_button(False)
    if painter == "skip_button_over":
        return skip_button(True)
    if painter == "aim":
        return ui.crosshair((250, 246, 230))
    if painter == "aim_hit":
        return ui.crosshair((120, 255, 140))
    if painter == "aim_miss":
        return ui.crosshair((255, 90, 70), cross=True)
    if painter == "arrow":
        return ui.arrow_cursor()
    if painter == "arrow_red":
        return ui.arrow_cursor((255, 110, 90))
    if painter == "door":
        return ui.door_cursor()
    if painter == "hand":
        return ui.hand_cursor()
    if painter == "hand_closed":
        return ui.hand_cursor(closed=True)
    if painter == "hand_item":
        return ui.hand_cursor(sparkle=True)
    if painter == "magnifier":
        return ui.magnifier()
    if painter == "loop":
        return ui.magnifier(96, with_handle=False)
    if painter == "dark_back":
        c = Canvas(w, h, rgb=(4, 4, 10))
        c.a[:] = 1 - 0.25 * radial(w, h, w / 2, h / 2, w * 0.75, h * 0.75, 1.2)
        return c
    if painter == "field_border":
        return field_border()
    if painter == "hint":
        return hint_picture(1.0)
    if painter == "hint_recharge":
        return hint_picture(0.0)
    if painter == "hint_circle":
        return hint_circle()
    if painter == "line":
        return line_picture()
    if painter == "particles":
        return ui.particle_sheet()
    raise ValueError("unknown painter " + painter)
