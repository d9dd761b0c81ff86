"""Layered pictures of the menu popups and boards: profiles, name-entry dialog, exit confirmation, credits."""
import numpy as np

from . import gui, ui
from .paint import Canvas, blur, dilate, noise2d, radial_at, vgradient

# Pixel places of the layouts (screen coordinates of a 1024 x 768 board).
PROFILES = dict(frame=(192, 80, 640, 610), slots=(100, 122, 440, 58, 66), head=(80, 30, 300, 50),
                hint=(60, 82, 520, 30), buttons_y=452, buttons=(50, 232, 414), button_w=176, button_h=46,
                back=(220, 514, 200, 44))
DIALOG = dict(back=(252, 250, 520, 270), message=(30, 34, 460, 64), bar=(110, 112, 300, 44),
              field=(122, 120, 276, 28), left=(62, 186, 176, 60), right=(282, 186, 176, 60), button_w=150,
              button_h=44)
EXIT = dict(back=(272, 250, 480, 290), text=(48, 46, 384, 110), yes=(74, 194), no=(256, 194), button_w=150,
            button_h=48)


def dark_board(w, h, rng):
    """A dark wooden board with a brass rim, for light text."""
    c = Canvas(w, h, alpha=0.0)
    body = gui.rounded(w, h, 6, 4, w - 8, h - 10, 14)
    gui.drop_shadow(c, body)
    c.over(ui.wood(w, h, rng, base=(78, 46, 30)), body)
    inner = gui.rounded(w, h, 14, 12, w - 16, h - 18, 10)
    c.multiply(0.7, np.clip(body - inner, 0, 1))
    c.over((200, 150, 70), np.clip(inner - gui.rounded(w, h, 16, 14, w - 18, h - 20, 9), 0, 1) * 0.8)
    gui.brass_corners(c, 6, 4, w - 8, h - 10)
    return c


def recess(w, h, strength=0.45):
    """A shallow dark hollow (button backgrounds, the name field)."""
    c = Canvas(w, h, alpha=0.0)
    m = gui.rounded(w, h, 2, 2, w - 2, h - 2, min(12, h // 3))
    c.over((20, 10, 4), m * strength)
    c.over((255, 220, 160), np.clip(np.roll(m, 2, 0) - m, 0, 1) * 0.4)
    return c


def slot(w, h, rng, selected):
    """A profile slot: a dark strip, lit and rimmed in brass when selected."""
    c = Canvas(w, h, alpha=0.0)
    m = gui.rounded(w, h, 2, 2, w - 2, h - 4, 10)
    base = (112, 64, 34) if selected else (74, 46, 30)
    c.over(ui.wood(w, h, rng, base=base), m)
    rim = np.clip(dilate(m, 2) - m, 0, 1)
    c.over((230, 180, 90) if selected else (40, 24, 12), rim)
    if selected:
        c.add((255, 200, 110), radial_at(w, h, 24, h / 2, 14, power=1.2) * 0.9)
    else:
        c.over((160, 120, 70), radial_at(w, h, 24, h / 2, 8, power=0.4) * 0.6)
    return c


def profiles(out_root):
    p = PROFILES
    pic = gui.LayeredPicture(out_root, "data/gui/profiles")
    fx, fy, fw, fh = p["frame"]
    board, _ = gui.wood_board(fw, fh, np.random.default_rng(31), 34)
    pic.add("frame", board, fx, fy, 0)
    gui.placeholder(pic, "placeholders/profile", fx + p["head"][0], fy + p["head"][1], p["head"][2], p["head"][3])
    gui.placeholder(pic, "placeholders/select", fx + p["hint"][0], fy + p["hint"][1], p["hint"][2], p["hint"][3])
    sx, sy, sw, sh, step = p["slots"]
    for i in range(5):
        y = fy + sy + i * step
        for state, selected in (("in", False), ("ac", True)):
            pic.add(f"profiles/profile{i + 1}/profile_{state}", slot(sw, sh, np.random.default_rng(40 + i), selected),
                    fx + sx, y, 20)
        gui.placeholder(pic, f"placeholders/profile{i + 1}", fx + sx + 38, y + 15, sw - 70, sh - 40)
    bw, bh = p["button_w"], p["button_h"]
    for i, name in enumerate(("create", "delete", "rename")):
        gui.add_button(pic, f"buttons/{name}/{name}", fx + p["buttons"][i], fy + p["buttons_y"], bw, bh, 60 + i,
                       light=False)
    x, y, w, h = p["back"]
    gui.add_button(pic, "buttons/close/close", fx + x, fy + y, w, h, 70)
    pic.write()


def dialog(out_root):
    d = DIALOG
    pic = gui.LayeredPicture(out_root, "data/gui/dialog")
    bx, by, bw, bh = d["back"]
    pic.add("back", dark_board(bw, bh, np.random.default_rng(33)), bx, by, 0)
    x, y, w, h = d["message"]
    gui.placeholder(pic, "dialog", bx + x, by + y, w, h)
    x, y, w, h = d["bar"]
    pic.add("profile_bar", recess(w, h, 0.7), bx + x, by + y, 10)
    x, y, w, h = d["field"]
    gui.placeholder(pic, "profile_name", bx + x, by + y, w, h)
    for name in ("left", "right"):
        x, y, w, h = d[name]
        pic.add(f"{name}_button", recess(w, h), bx + x, by + y, 10)
    w, h = d["button_w"], d["button_h"]
    for name, place, seed in (("ok", "left", 80), ("close", "right", 81)):
        x, y, pw, ph = d[place]
        gui.add_button(pic, f"buttons/{name}/{name}", bx + x + (pw - w) // 2, by + y + (ph - h) // 2, w, h, seed)
    pic.write()


def exit_screen(out_root):
    e = EXIT
    pic = gui.LayeredPicture(out_root, "data/gui/exit")
    pic.add("dark", Canvas(1024, 768, rgb=(4, 4, 10), alpha=0.55), 0, 0, 0)
    bx, by, bw, bh = e["back"]
    board, _ = gui.wood_board(bw, bh, np.random.default_rng(35), 30)
    pic.add("back", board, bx, by, 10)
    x, y, w, h = e["text"]
    gui.placeholder(pic, "text", bx + x, by + y, w, h)
    w, h = e["button_w"], e["button_h"]
    for name, seed in (("yes", 90), ("no", 91)):
        x, y = e[name]
        gui.add_button(pic, f"buttons/{name}/{name}", bx + x, by + y, w, h, seed, states=("in", "ac", "dn"))
    pic.write()


def credits(out_root):
    pic = gui.LayeredPicture(out_root, "data/gui/credits")
    rng = np.random.default_rng(37)
    w, h = 1024, 768
    back = Canvas(w, h)
    back.over(vgradient(w, h, [(0, (10, 14, 34)), (h * 0.7, (28, 30, 60)), (h, (60, 40, 44))]), np.ones((h, w)))
    stars = (noise2d(w, h, rng, cell=2, octaves=1) > 0.985).astype(np.float32)
    back.add((255, 250, 230), blur(stars, 1) * 2.0)
    back.multiply((0.85, 0.9, 1.0), np.clip(noise2d(w, h, rng, cell=90, octaves=2), 0, 1) * 0.4)
    pic.add("_back", back, 0, 0, 0, opaque=True)
    logos = ui.title_text("Pelleranthe", 96)
    pic.add("logos", logos, (w - logos.w) // 2, 300, 20)
    fade = Canvas(w, h, rgb=(10, 14, 34), alpha=0.0)
    yy = np.arange(h, dtype=np.float32)[:, None]
    edge = np.clip(1 - yy / 110, 0, 1) ** 1.5 + np.clip((yy - (h - 110)) / 110, 0, 1) ** 1.5
    fade.a[:] = np.broadcast_to(np.clip(edge, 0, 1), (h, w))
    fade.rgb[h // 2:] = np.array((60, 40, 44), np.float32) / 255
    pic.add("fade", fade, 0, 0, 40)
    pic.write()


def generate(out_root):
    profiles(out_root)
    dialog(out_root)
    exit_screen(out_root)
    credits(out_root)
