"""The mini-game demo scene "study": data\\scenes\\study.xml (from
data-src/minigames/study.xml) and its layered picture data\\scenes\\study\\,
with a close-up for each of the safe, the bureau, the door lock, the
sliding-tile lock and the music box. Also adds the puzzles' sounds to
res\\sounds.ini and the scene to the harbour's cluster in res\\game.ini when
those lack them.

The pictures' places follow the puzzles' rules: the safe's digits sit on a
circle round its dial, the lock's tiles on a 3 x 3 grid with the four locks
on the inner corners, the music box's pins on a 7 x 5 grid given by
"buttons/button", "buttons/button_right" and "buttons/button_bottom".
"""
import math

import numpy as np

from .minigame_common import (BACK_X, BACK_Y, add_objects, add_sounds, add_texts, add_tiles, add_to_cluster,
                              closeup_back, exit_sign, write_scene)
from .minigame_common import disc as _disc, label as _label, rect as _rect
from .paint import Canvas, polygon, radial, shapes, vgradient

SCENE = "study"
OBJECT_BORDER = (40, 28, 20)

# Safe.
SAFE_DIAL = (512, 360)  # centre
SAFE_RADIUS = 120
SAFE_DIGIT = 44  # hot spot size
# Sliding-tile lock.
LOCK_X, LOCK_Y, LOCK_TILE = 332, 190, 120
# Music box.
PIN_X, PIN_Y, PIN_STEP, PIN_SIZE = 396, 262, 36, 24

SOUNDS = {
    "safe_turn": "tick", "safe_open": "chime", "wrong_turn": "thud",
    "press_02": "press", "press_03": "press", "press_04": "press", "press_05": "press", "wrong_press": "thud",
    "lockturn": "tick", "turn_right": "chime",
    "key_01": "pick", "key_02": "pick", "key_03": "pick", "key_04": "pick", "open_door": "chime",
    "note_01": "bell", "note_02": "bell", "note_03": "bell", "note_04": "bell", "note_05": "bell",
    "wrong_note": "thud",
}

# The story's texts of the study and of its doors in the harbour and on the pier.
TEXTS = {
    "MsgBubble": {
        "StudyLocked": "The harbour master's door is locked. The old key from the sea chest might fit it.",
        "StudyOpen": "The brass key turns. The harbour master's study is open.",
        "StudyDoorOpen": "The little door gives way. A key hangs on a hook behind it.",
        "MusicSlip": "As the tune ends, a slip of paper falls from the box: \"Bureau: 2, 4, 1, 3.\"",
        "BureauLetter": "A letter in the drawer: \"The safe opens to the night I came: 3 - 7 - 1 - 0.\"",
        "ChartFound": "The keeper's sea chart was in the safe!",
        "BoatKeyFound": "Inside the tile box: a heavy key with a tag, \"Boathouse, pier\".",
        "BoathouseLocked": "The keeper's boathouse is locked. The harbour master must keep its key.",
        "BoathouseOpen": "The heavy key fits. The boathouse on the pier is open.",
        "NeedChart": "Sail out into the night without a chart? Not me. The harbour master must keep one.",
        "NeedCompass": "A chart, but no compass. The keeper kept his instruments in the boathouse.",
    },
    "Hint": {
        "harbour.main/study_door": "The harbour master's door. A key could open it.",
        "pier.main/boathouse": "The boathouse is locked. Its key is in the harbour master's study.",
    },
    "Scenes": {
        "scene_study": "Harbour master's study",
        "scene_workshop": "The keeper's workshop",
    },
    "PoolItems": {
        "study:key_pool": "A small iron key",
        "study:chart_pool": "The keeper's sea chart",
        "study:boat_key_pool": "The boathouse key",
    },
    "book_new": {
        "head05": "The harbour master's study",
        "rec05": "The key from the sea chest opened the harbour master's house. His study is full of locks and "
                 "puzzle boxes. The keeper's sea chart must be in there: nobody sails out at night without one.",
        "head06": "The music box",
        "rec06": "When its tune had played through, the music box let a slip of paper fall: \"Bureau: 2, 4, 1, 3.\"",
        "head07": "The keeper's letter",
        "rec07": "In the bureau lay a letter from the keeper: \"The safe opens to the night I came: 3 - 7 - 1 - 0. "
                 "Keep the chart safe until someone comes to answer my light.\"",
        "head08": "The sea chart",
        "rec08": "The keeper's sea chart was in the safe. A chart is half of what a night voyage needs; the "
                 "other half is a compass.",
        "head09": "The boathouse key",
        "rec09": "The tile box held a heavy key tagged \"Boathouse, pier\". The keeper's workshop is in the "
                 "boathouse; his compass may be there.",
    },
}


def _closeup_back():
    return closeup_back((70, 52, 40), (30, 22, 18))


def _room():
    w, h = 1024, 768
    c = Canvas(w, h)
    c.rgb = vgradient(w, h, [(0, (60, 46, 40)), (520, (92, 70, 56)), (521, (70, 48, 34)), (h, (40, 28, 20))])
    for x in range(0, w, 128):
        c.over((50, 38, 32), polygon(w, h, [(x, 0), (x + 2, 0), (x + 2, 520), (x, 520)]))
    return c


def _digit_centre(d):
    a = math.radians(36 * d)
    return SAFE_DIAL[0] + SAFE_RADIUS * math.sin(a), SAFE_DIAL[1] - SAFE_RADIUS * math.cos(a)


def _safe_layers(pic):
    pic.add("safe/back", _closeup_back(), BACK_X, BACK_Y, 50)
    door = _disc(300, (96, 100, 110), (60, 60, 70))
    # The digits painted round the dial; their "_ac" pictures light them up.
    for d in range(10):
        cx, cy = _digit_centre(d)
        _label(door, str(d), 22, (235, 225, 200), cx - (SAFE_DIAL[0] - 150), cy - (SAFE_DIAL[1] - 150))
    pic.add("safe/door", door, SAFE_DIAL[0] - 150, SAFE_DIAL[1] - 150, 51)
    for d in range(10):
        cx, cy = _digit_centre(d)
        spot = _disc(SAFE_DIGIT, (255, 220, 120), (255, 240, 180), alpha=0.45)
        _label(spot, str(d), 22, (255, 255, 240))
        pic.add(f"safe/{d:02d}_ac", spot, cx - SAFE_DIGIT / 2, cy - SAFE_DIGIT / 2, 52)
    dial = _disc(150, (150, 150, 160), (80, 80, 90))
    dial.over((200, 40, 30), polygon(150, 150, [(71, 4), (79, 4), (79, 40), (71, 40)]))  # the pointer
    pic.add("safe/r", dial, SAFE_DIAL[0] - 75, SAFE_DIAL[1] - 75, 53)


def _buro_layers(pic):
    pic.add("buro/back", _closeup_back(), BACK_X, BACK_Y, 50)
    pic.add("buro/panel", _rect(400, 160, (110, 70, 44), border=(60, 36, 24)), 312, 300, 51)
    for k in range(1, 5):
        x = 322 + (k - 1) * 95
        hover = _disc(80, (255, 220, 140), alpha=0.6)
        put = _disc(80, (70, 44, 30), (40, 24, 16))
        _label(put, str(k), 24, (220, 200, 160))
        pic.add(f"buro/round/{k:02d}_ac", hover, x, 340, 52)
        pic.add(f"buro/round/{k:02d}_put", put, x, 340, 53)
        pic.add(f"buro/knob{k}", _label(_disc(80, (170, 120, 70), (90, 60, 30)), str(k), 24, (60, 36, 20)),
                x, 340, 51)
    disc = _disc(120, (210, 180, 90), (120, 90, 30))
    disc.over((120, 90, 30), polygon(120, 120, [(57, 6), (63, 6), (63, 60), (57, 60)]))
    pic.add("buro/round/round", disc, 452, 180, 54)


def _door_layers(pic):
    pic.add("door/back", _closeup_back(), BACK_X, BACK_Y, 50)
    cyl = _disc(200, (180, 150, 80), (110, 90, 40))
    cyl.over((40, 30, 20), polygon(200, 200, [(92, 40), (108, 40), (108, 160), (92, 160)]))  # the keyhole
    pic.add("door/round", cyl, 412, 280, 51)
    for k in range(1, 5):
        pic.add(f"door/{k:02d}", _rect(24, 60, (220, 200, 120), border=(90, 70, 30)), 420 + (k - 1) * 50, 190, 52)
    arrow = Canvas(12, 100, alpha=0.0)
    arrow.over((200, 40, 30), polygon(12, 100, [(6, 0), (12, 14), (8, 14), (8, 100), (4, 100), (4, 14), (0, 14)]))
    # The arrow stands on the hairpin's centre (512, 380), pointing up.
    pic.add("door/arrow", arrow, 506, 280, 53)
    pin = Canvas(40, 160, alpha=0.0)
    pin.over((90, 90, 100), polygon(40, 160, [(18, 0), (22, 0), (22, 120), (18, 120)]))
    pin.over((90, 90, 100), shapes(40, 160, lambda d, s: d.ellipse([4 * s, 116 * s, 36 * s, 156 * s],
                                                                    outline=255, width=5 * s)))
    pic.add("door/hairpin", pin, 492, 300, 54)


def _tile_picture():
    n = 3 * LOCK_TILE
    c = Canvas(n, n)
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    ang = np.arctan2(yy - n / 2, xx - n / 2)
    c.rgb[..., 0] = 0.55 + 0.4 * np.sin(ang * 3)
    c.rgb[..., 1] = 0.45 + 0.3 * np.cos(ang * 2 + xx / 90)
    c.rgb[..., 2] = 0.35 + 0.3 * np.sin(yy / 50)
    c.rgb *= (0.6 + 0.4 * radial(n, n, n / 2, n / 2, n * 0.8, power=0.8))[..., None]
    return c


def _lock_layers(pic):
    n = 3 * LOCK_TILE
    # The lock's own layers are drawn over its tiles: a frame round them.
    back = _closeup_back()
    back.a[LOCK_Y - BACK_Y:LOCK_Y - BACK_Y + n, LOCK_X - BACK_X:LOCK_X - BACK_X + n] = 0.0
    pic.add("lock/back", back, BACK_X, BACK_Y, 50)
    pic.add("lock/back_clear", _rect(n, n, (30, 24, 20)), LOCK_X, LOCK_Y, 51)
    whole = _tile_picture()
    add_tiles(pic, whole, "lock", 3, 9, LOCK_TILE, (30, 24, 20), LOCK_X, LOCK_Y, 52, numbered=True)
    # The veil over the tiles while locked shows the four keyholes the keys go into.
    veil = _rect(n, n, (20, 16, 14), alpha=0.75)
    for k in range(1, 5):
        hx = LOCK_TILE * (1 + (k - 1) % 2)
        hy = LOCK_TILE * (1 + (k - 1) // 2)
        ring = _disc(56, (150, 124, 70), (90, 66, 30))
        ring.over((24, 18, 12), shapes(56, 56, lambda d, s: d.ellipse([22 * s, 12 * s, 34 * s, 24 * s], fill=255)))
        ring.over((24, 18, 12), polygon(56, 56, [(25, 20), (31, 20), (33, 42), (23, 42)]))
        veil.paste(ring, hx - 28, hy - 28)
    pic.add("lock/back_redy", veil, LOCK_X, LOCK_Y, 53)
    for k in range(1, 5):
        cx = LOCK_X + LOCK_TILE * (1 + (k - 1) % 2)
        cy = LOCK_Y + LOCK_TILE * (1 + (k - 1) // 2)
        pic.add(f"lock/zamok_{k:02d}/round_{k:02d}", _disc(56, (200, 170, 90), (110, 80, 30)), cx - 28, cy - 28, 54)
        key = Canvas(44, 12, alpha=0.0)
        key.over((90, 70, 40), polygon(44, 12, [(0, 3), (44, 3), (44, 9), (0, 9)]))
        pic.add(f"lock/zamok_{k:02d}/key_{k:02d}", key, cx - 22, cy - 6, 55)


def _music_layers(pic):
    grid_w, grid_h = 7 * PIN_STEP, 5 * PIN_STEP
    big_x, big_y = PIN_X - 12, PIN_Y - 12
    # The pins' places are numbered: 1 to 7 across under the drum, the tune's
    # notes 1 to 5 up its left side (the first note is the bottom row). The
    # small drum's notes carry the number of the place across.
    back = _closeup_back()
    for v in range(7):
        _label(back, str(v + 1), 14, (230, 210, 160), PIN_X + v * PIN_STEP - BACK_X, big_y + grid_h + 12 - BACK_Y)
    for c in range(5):
        _label(back, str(c + 1), 14, (230, 210, 160), big_x - 26 - BACK_X,
               PIN_Y + (4 - c) * PIN_STEP - BACK_Y)
    pic.add("music/back", back, BACK_X, BACK_Y, 50)
    small_x, small_y, small_h = big_x, 182, 60
    pic.add("music/_mask_big", _rect(grid_w, grid_h, (0, 0, 0), alpha=0.0), big_x, big_y, 51)
    drum = Canvas(grid_w, grid_h)
    drum.rgb = vgradient(grid_w, grid_h, [(0, (120, 100, 70)), (grid_h // 2, (190, 160, 110)),
                                          (grid_h, (120, 100, 70))])
    pic.add("music/baraban/_base", drum, big_x, big_y, 51)
    small = Canvas(grid_w, 2 * small_h)
    small.rgb = vgradient(grid_w, 2 * small_h, [(0, (160, 140, 100)), (small_h, (200, 180, 130)),
                                                (2 * small_h, (160, 140, 100))])
    pic.add("music/baraban_small/_base_small", small, small_x, small_y, 51)
    pic.add("music/_mask_small", _rect(grid_w, small_h, (0, 0, 0), alpha=0.0), small_x, small_y, 51)
    # The notes: note v (1..7) is drawn at row v's x in the small drum, at a
    # height that grows with v; a melody's column c is shown at note c + 1's x.
    for v in range(1, 8):
        note = _label(_disc(22, (40, 30, 60)), str(v), 13, (250, 236, 200))
        pic.add(f"music/notes/{v}", note, PIN_X + (v - 1) * PIN_STEP - 11, small_y + small_h - 24 - (v - 1) * 5, 52)
    pin = _disc(PIN_SIZE, (110, 90, 60), (60, 46, 30))
    pic.add("music/buttons/button", pin, PIN_X - PIN_SIZE // 2, PIN_Y - PIN_SIZE // 2, 52)
    pic.add("music/buttons/button_right", pin, PIN_X + PIN_STEP - PIN_SIZE // 2, PIN_Y - PIN_SIZE // 2, 52)
    pic.add("music/buttons/button_bottom", pin, PIN_X - PIN_SIZE // 2, PIN_Y + PIN_STEP - PIN_SIZE // 2, 52)
    pic.add("music/_button_light", _disc(28, (255, 230, 140)), PIN_X - 14, PIN_Y - 14, 53)
    line = _rect(grid_w, 2, (60, 46, 30))
    pic.add("music/baraban_small/_lines2", line, small_x, small_y + small_h, 54)
    pic.add("music/baraban/_lines", line, big_x, big_y + grid_h, 54)
    pic.add("music/_volume", _rect(8, grid_h, (80, 60, 40)), big_x - 10, big_y, 54)
    pic.add("music/_kolki", _rect(8, grid_h, (80, 60, 40)), big_x + grid_w + 2, big_y, 54)
    pic.add("music/_volume2", _rect(8, small_h, (80, 60, 40)), small_x - 10, small_y, 54)
    play_in = _label(_rect(100, 40, (110, 80, 50), border=(60, 40, 20)), "Play", 18, (250, 236, 200))
    play_ac = _label(_rect(100, 40, (150, 110, 70), border=(60, 40, 20)), "Play", 18, (255, 250, 230))
    pic.add("music/lock_button/lock_in", play_in, 462, 470, 55)
    pic.add("music/lock_button/lock_ac", play_ac, 462, 470, 55)


def _main_layers(pic):
    pic.add("main/back", _room(), 0, 0, 0, opaque=True)
    objects = [("safe", (96, 100, 110), "Safe", 90, 380), ("bureau", (128, 80, 50), "Bureau", 260, 400),
               ("door", (110, 80, 60), "Door", 450, 260), ("tiles", (80, 90, 120), "Tiles", 640, 400),
               ("musicbox", (140, 100, 60), "Music", 820, 420)]
    add_objects(pic, objects, OBJECT_BORDER)
    pic.add("main/exit", exit_sign("Harbour"), 24, 200, 10)
    key = Canvas(64, 26, alpha=0.0)
    key.over((214, 180, 92), shapes(64, 26, lambda d, s: d.ellipse([2 * s, 2 * s, 22 * s, 22 * s], outline=255,
                                                                    width=5 * s)))
    key.over((214, 180, 92), polygon(64, 26, [(20, 10), (62, 10), (62, 15), (20, 15)]))
    pic.add("main/key", key, 480, 600, 20)
    icon = Canvas(72, 72, alpha=0.0)
    icon.paste(key, 4, 23)
    pic.add("pool/key", icon, 0, 0, 90)
    # The safe's sea chart and the tile box's boathouse key, as inventory pictures.
    chart = Canvas(72, 72, alpha=0.0)
    chart.over((226, 208, 160), polygon(72, 72, [(6, 12), (66, 8), (64, 62), (8, 64)]))
    chart.over((90, 130, 160), polygon(72, 72, [(14, 20), (40, 18), (52, 34), (30, 52), (16, 48)]))
    chart.over((150, 40, 30), polygon(72, 72, [(44, 44), (58, 40), (60, 44), (46, 48)]))
    pic.add("pool/chart", chart, 0, 0, 90)
    big = Canvas(72, 72, alpha=0.0)
    big.over((150, 150, 160), shapes(72, 72, lambda d, s: d.ellipse([4 * s, 22 * s, 30 * s, 48 * s], outline=255,
                                                                    width=6 * s)))
    big.over((150, 150, 160), polygon(72, 72, [(28, 32), (68, 32), (68, 39), (28, 39)]))
    big.over((150, 150, 160), polygon(72, 72, [(56, 39), (62, 39), (62, 50), (56, 50)]))
    big.over((200, 60, 40), polygon(72, 72, [(8, 52), (26, 52), (26, 64), (8, 64)]))  # the tag
    pic.add("pool/boat_key", big, 0, 0, 90)


def make_minigames(src, out):
    write_scene(src, out, SCENE, [_main_layers, _safe_layers, _buro_layers, _door_layers, _lock_layers,
                                  _music_layers])


def finish(out):
    """After the settings and the sound table are written."""
    add_sounds(out, SOUNDS)
    add_texts(out, TEXTS)
    add_to_cluster(out, SCENE)
