"""The second mini-game demo scene "workshop": data\\scenes\\workshop.xml
(from data-src/minigames/workshop.xml) and its layered picture
data\\scenes\\workshop\\, with a close-up for each of the jigsaw, the burner,
the spy glass, the chain and the mummy. Also adds their sounds to
res\\sounds.ini, the miss message to res\\lang.ini and the scene to the
harbour's cluster in res\\game.ini when those lack them.

The places follow the puzzles' rules: the jigsaw's pieces lie in their
solved places over "puzzle/redy" (the game scatters them), the burner's
stages share one place, the chain's anchors in the scene XML sit at the
hook's foot and the first post's top.
"""
import numpy as np

from .minigame_common import (BACK_H, BACK_W, BACK_X, BACK_Y, add_objects, add_sounds, add_texts, add_tiles,
                              add_to_cluster, closeup_back, exit_sign, write_scene)
from .minigame_common import label as _label, rect as _rect
from .paint import Canvas, polygon, radial, shapes, vgradient

SCENE = "workshop"

# Jigsaw: a 3 x 2 grid of square pieces over the finished picture.
JIG_X, JIG_Y, JIG_TILE = 332, 200, 120
# Burner: the stage pictures' place and the loose parts' places.
STAGE_X, STAGE_Y, STAGE_W, STAGE_H = 412, 180, 200, 200
PART_PLACES = [(300, 450), (477, 450), (654, 450)]
PART_W, PART_H = 70, 50

SOUNDS = {"take_pic": "pick", "right_pic": "chime", "take_item": "pick", "right_item": "chime",
          "wrong_item": "thud"}
TEXTS = {
    "MsgBubble": {
        "MummyMiss": "Missed! The mummy is quicker than it looks.",
        "TorchLit": "The burner roars, the lamps glow, and the old torch on the floor catches fire.",
        "WinchChain": "The winch's chain hangs from its hook. Drag it to one post, then to the other.",
        "TombSealed": "The lid of the sarcophagus is far too heavy to lift by hand. A chain from the winch might do it.",
        "TombLifted": "The chain takes the weight: the lid of the sarcophagus slides open. Something stirs inside.",
        "JigsawDone": "The picture is whole again: the keeper's boat before this very boathouse.",
        "TelescopeDone": "Far out at sea a small light blinks, then waits.",
        "CompassFound": "The mummy crumbles to dust and rags. In its hands: the keeper's compass!",
    },
    "Hint": {
        "workshop.main/sarcophagus": "The lid is too heavy. The winch could lift it.",
        "workshop.mummy/mummy_sleep": "Take the burning torch up from your bag before the mummy wakes.",
        "workshop.mummy/mummy_awake": "The mummy is awake! Strike it with the burning torch.",
    },
    "PoolItems": {
        "workshop:torch_pool": "A burning torch",
        "workshop:compass_pool": "The keeper's compass",
    },
    "Tutor": {
        "spy_glass": "Move the lens over the picture and look closely until you have seen everything.",
        "chain": "Click the hook, then each post in turn to lead the chain round them.",
        "mummy": "Take the torch up from your bag while the mummy sleeps, then strike the mummy three times.",
    },
    "book_new": {
        "head10": "The keeper's picture",
        "rec10": "The jigsaw in the workshop shows the keeper's boat moored before the boathouse, a lamp burning at "
                 "its bow. So that is how it should look when it sails.",
        "head11": "The light at sea",
        "rec11": "Through the keeper's telescope: far out at sea a small light blinks, then waits for an answer. "
                 "The keeper is out there, and he needs someone to sail to him.",
        "head12": "The compass",
        "rec12": "The mummy fell, and in its hands lay the keeper's compass. With the chart and the compass the "
                 "keeper's boat at the pier can sail, once it is moored.",
    },
}


def _ring(size, col, width):
    c = Canvas(size, size, alpha=0.0)
    c.over(col, shapes(size, size, lambda d, s: d.ellipse([1 * s, 1 * s, (size - 1) * s, (size - 1) * s],
                                                          outline=255, width=width * s)))
    return c


def _closeup_back(top=(58, 56, 64), bottom=(26, 24, 30)):
    return closeup_back(top, bottom)


def _room():
    w, h = 1024, 768
    c = Canvas(w, h)
    c.rgb = vgradient(w, h, [(0, (48, 52, 60)), (500, (80, 84, 92)), (501, (64, 56, 44)), (h, (34, 30, 24))])
    for y in range(520, h, 48):
        c.over((50, 44, 34), polygon(w, h, [(0, y), (w, y), (w, y + 2), (0, y + 2)]))
    return c


def _main_layers(pic):
    pic.add("main/back", _room(), 0, 0, 0, opaque=True)
    objects = [("jigsaw", (90, 110, 70), "Jigsaw", 80, 380), ("burner", (140, 90, 50), "Burner", 250, 400),
               ("telescope", (70, 90, 130), "Telescope", 440, 260), ("winch", (110, 100, 80), "Winch", 630, 400),
               ("sarcophagus", (150, 130, 70), "Tomb", 810, 420)]
    add_objects(pic, objects, (30, 26, 20))
    torch = Canvas(70, 24, alpha=0.0)
    torch.over((120, 80, 40), polygon(70, 24, [(0, 9), (50, 9), (50, 15), (0, 15)]))
    torch.over((250, 170, 60), shapes(70, 24, lambda d, s: d.ellipse([46 * s, 1 * s, 69 * s, 23 * s], fill=255)))
    pic.add("main/torch", torch, 420, 600, 20)
    icon = Canvas(72, 72, alpha=0.0)
    icon.paste(torch, 1, 24)
    pic.add("pool/torch", icon, 0, 0, 90)
    pic.add("main/exit", exit_sign("Pier"), 24, 200, 10)
    # The dusk over the room until the burner is lit: the visible group "dark".
    dusk = Canvas(1024, 768, (8, 10, 24), 0.55)
    for lx in (300, 720):
        dusk.a *= 1.0 - 0.5 * radial(1024, 768, lx, 120, 160, power=1.6)
    pic.add("main/dark_room", dusk, 0, 0, 5)
    compass = Canvas(72, 72, alpha=0.0)
    compass.over((150, 110, 40), shapes(72, 72, lambda d, s: d.ellipse([6 * s, 6 * s, 66 * s, 66 * s], fill=255)))
    compass.over((236, 226, 196), shapes(72, 72, lambda d, s: d.ellipse([12 * s, 12 * s, 60 * s, 60 * s], fill=255)))
    compass.over((200, 40, 30), polygon(72, 72, [(36, 14), (41, 36), (31, 36)]))
    compass.over((60, 60, 70), polygon(72, 72, [(31, 36), (41, 36), (36, 58)]))
    pic.add("pool/compass", compass, 0, 0, 90)


def _jigsaw_picture():
    w, h = 3 * JIG_TILE, 2 * JIG_TILE
    c = Canvas(w, h)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    c.rgb[..., 0] = 0.5 + 0.4 * np.sin(xx / 40.0)
    c.rgb[..., 1] = 0.45 + 0.35 * np.cos(yy / 30.0 + xx / 90.0)
    c.rgb[..., 2] = 0.4 + 0.3 * np.sin((xx + yy) / 55.0)
    _label(c, "WORKSHOP", 44, (255, 246, 220))
    return c


def _puzzle_layers(pic):
    pic.add("puzzle/back", _closeup_back((56, 64, 52), (24, 28, 22)), BACK_X, BACK_Y, 50)
    w, h = 3 * JIG_TILE, 2 * JIG_TILE
    pic.add("puzzle/board", _rect(w + 20, h + 20, (30, 34, 28), border=(70, 80, 60)), JIG_X - 10, JIG_Y - 10, 51)
    whole = _jigsaw_picture()
    pic.add("puzzle/redy", whole, JIG_X, JIG_Y, 52)
    add_tiles(pic, whole, "puzzle/parts", 3, 6, JIG_TILE, (40, 36, 30), JIG_X, JIG_Y, 53)


def _stage(n):
    """The burner with n - 1 parts mounted."""
    c = Canvas(STAGE_W, STAGE_H, alpha=0.0)
    c.over((90, 90, 100), polygon(STAGE_W, STAGE_H, [(30, 170), (170, 170), (150, 196), (50, 196)]))  # the base
    if n >= 2:
        c.over((150, 110, 60), polygon(STAGE_W, STAGE_H, [(85, 100), (115, 100), (115, 170), (85, 170)]))
    if n >= 3:
        c.over((180, 180, 190), polygon(STAGE_W, STAGE_H, [(60, 70), (140, 70), (130, 100), (70, 100)]))
    if n >= 4:
        c.over((255, 170, 40), shapes(STAGE_W, STAGE_H, lambda d, s: d.ellipse([80 * s, 10 * s, 120 * s, 70 * s],
                                                                               fill=255)))
    return c


def _burner_layers(pic):
    pic.add("burner/back", _closeup_back((64, 52, 44), (28, 22, 18)), BACK_X, BACK_Y, 50)
    for n in range(1, 5):
        shadow = Canvas(STAGE_W, STAGE_H, alpha=0.0)
        shadow.over((0, 0, 0), polygon(STAGE_W, STAGE_H, [(36, 176), (176, 176), (156, 199), (56, 199)]) * 0.5)
        pic.add(f"burner/gorelka/_st_{n:02d}_sh", shadow, STAGE_X + 4, STAGE_Y + 4, 51)
        pic.add(f"burner/gorelka/st_{n:02d}", _stage(n), STAGE_X, STAGE_Y, 52)
    colours = [(150, 110, 60), (180, 180, 190), (255, 170, 40)]
    for k, (x, y) in enumerate(PART_PLACES, start=1):
        part = _label(_rect(PART_W, PART_H, colours[k - 1], border=(40, 30, 20)), str(k), 18, (30, 20, 10))
        shadow = _rect(PART_W, PART_H, (0, 0, 0), alpha=0.4)
        pic.add(f"burner/parts/_part_{k:02d}_sh", shadow, x + 5, y + 5, 53)
        pic.add(f"burner/parts/part_{k:02d}", part, x, y, 54)


def _spy_layers(pic):
    dark = _closeup_back((30, 34, 44), (12, 14, 20))
    pic.add("spy/back", dark, BACK_X, BACK_Y, 50)
    hidden = _closeup_back((150, 180, 210), (60, 80, 110))
    for k in range(6):
        hidden.over((250, 250, 240), shapes(BACK_W, BACK_H, lambda d, s, k=k: d.ellipse(
            [(40 + 80 * k) * s, (60 + 30 * (k % 2)) * s, (60 + 80 * k) * s, (80 + 30 * (k % 2)) * s], fill=255)))
    _label(hidden, "A SHIP!", 48, (120, 40, 30), BACK_W / 2, BACK_H * 0.65)
    pic.add("spy/_back_01", hidden, BACK_X, BACK_Y, 51)
    r = 110
    pic.add("spy/_ramka", _ring(2 * r + 24, (60, 50, 40), 14), 400, 250, 52)
    glare = Canvas(60, 30, alpha=0.0)
    glare.over((255, 255, 255), shapes(60, 30, lambda d, s: d.ellipse([0, 0, 60 * s, 30 * s], fill=90)))
    pic.add("spy/_blik", glare, 420, 270, 53)
    marks = Canvas(120, 12, alpha=0.0)
    for i in range(0, 120, 12):
        marks.over((230, 220, 180), polygon(120, 12, [(i, 0), (i + 2, 0), (i + 2, 12), (i, 12)]))
    pic.add("spy/_riski", marks, 462, 232, 53)


def _chain_layers(pic):
    pic.add("chain/back", _closeup_back((60, 58, 50), (26, 24, 20)), BACK_X, BACK_Y, 50)
    hook = Canvas(60, 64, alpha=0.0)
    hook.over((170, 170, 180), polygon(60, 64, [(26, 0), (34, 0), (34, 40), (26, 40)]))
    hook.over((170, 170, 180), shapes(60, 64, lambda d, s: d.arc([12 * s, 30 * s, 48 * s, 63 * s], 0, 180,
                                                                  fill=255, width=6 * s)))
    pic.add("chain/hook", hook, 300, 200, 52)
    for name, x, y in (("post1", 480, 390), ("post2", 650, 300)):
        for suffix, col in (("", (110, 90, 60)), ("_ready", (170, 140, 80)), ("_tied", (120, 160, 90))):
            post = _rect(50, 120, col, border=(50, 40, 26))
            pic.add(f"chain/{name}{suffix}", post, x, y, 52)
    link = Canvas(14, 55, alpha=0.0)
    link.over((200, 200, 210), shapes(14, 55, lambda d, s: d.ellipse([1 * s, 1 * s, 13 * s, 54 * s], outline=255,
                                                                      width=3 * s)))
    pic.add("inventory_items/cep_zveno", link, 0, 0, 1)


def _mummy_layers(pic):
    pic.add("mummy/back", _closeup_back((66, 58, 40), (28, 24, 16)), BACK_X, BACK_Y, 50)
    body = [(0, 40), (40, 0), (80, 40), (70, 260), (10, 260)]
    for state, col in (("sleep", (200, 190, 160)), ("awake", (220, 200, 150)), ("down", (150, 140, 120))):
        c = Canvas(80, 260, alpha=0.0)
        c.over(col, polygon(80, 260, body))
        for y in range(50, 250, 22):
            c.over((150, 140, 110), polygon(80, 260, [(8, y), (72, y + 6), (72, y + 9), (8, y + 3)]))
        if state == "awake":
            c.over((255, 60, 30), shapes(80, 260, lambda d, s: d.ellipse([26 * s, 28 * s, 34 * s, 36 * s], fill=255)))
            c.over((255, 60, 30), shapes(80, 260, lambda d, s: d.ellipse([46 * s, 28 * s, 54 * s, 36 * s], fill=255)))
        pic.add(f"mummy/mummy_{state}", c, 472, 200, 52)
    bandage = _rect(60, 18, (230, 220, 190), border=(150, 140, 110))
    pic.add("mummy/bandage", bandage, 560, 330, 53)


def make_minigames2(src, out):
    write_scene(src, out, SCENE, [_main_layers, _puzzle_layers, _burner_layers, _spy_layers, _chain_layers,
                                  _mummy_layers])


def finish(out):
    """After the settings, the texts and the sound table are written."""
    add_sounds(out, SOUNDS)
    add_texts(out, TEXTS)
    add_to_cluster(out, SCENE)
