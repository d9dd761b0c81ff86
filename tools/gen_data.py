#!/usr/bin/env python3
"""Writes the demo game's data tree from the readable sources in data-src/.

    gen_data.py --src data-src --out build/<kind>/data [--stamp FILE] [--jobs N]

The same sources give the same bytes. The tree is written beside the output
folder and then put in its place, so a failed run leaves the old tree.
Needs Python 3.11, Pillow and numpy (python3-pil, python3-numpy), oggenc
(vorbis-tools) and the DejaVu fonts (fonts-dejavu-core).
"""
import argparse
import concurrent.futures
import os
import shutil
import sys
import tomllib

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gendata import audio, board_ui, closeup_trash, fonts, gui, hog, interface, inventory, menus, minigames, scenes, screens  # noqa: E402
from gendata import minigames2  # noqa: E402
from gendata.paint import save_png  # noqa: E402


def load_toml(src, name):
    with open(os.path.join(src, name), "rb") as f:
        return tomllib.load(f)


def crlf(text):
    return text.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n")


def write_bytes(out, rel, data):
    path = os.path.join(out, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def settings(src, out):
    with open(os.path.join(src, "settings", "game.ini"), encoding="utf-8") as f:
        write_bytes(out, "res/game.ini", crlf(f.read()).encode("cp1252"))
    with open(os.path.join(src, "settings", "common.ini"), encoding="utf-8") as f:
        write_bytes(out, "data/common.ini", crlf(f.read()).encode("cp1252"))
    with open(os.path.join(src, "texts", "lang.ini"), encoding="utf-8") as f:
        write_bytes(out, "res/lang.ini", b"\xff\xfe" + crlf(f.read()).encode("utf-16-le"))


def make_fonts(src, out):
    spec = load_toml(src, "fonts.toml")
    entries = []
    os.makedirs(os.path.join(out, "data", "fonts"), exist_ok=True)
    for f in spec["font"]:
        if "system" in f:
            attrs = f'path="!sys:{f["system"]}" size="{f["size"]}"' + (' bold="1"' if f.get("bold") else "")
        else:
            fonts.make(f["face"], f["size"], os.path.join(out, "data", "fonts", f["file"]),
                       f["face"].rsplit(".", 1)[0].replace("-", " "), "Bold" in f["face"])
            attrs = f'path="data\\fonts\\{f["file"]}.fnt"'
        entries.append(f'    <Font id="{f["id"]}" {attrs}/>')
    return entries


def make_image(out, entry):
    canvas = screens.image(entry["painter"])
    path = os.path.join(out, entry["path"])
    os.makedirs(os.path.dirname(path), exist_ok=True)
    save_png(canvas.image(), path)
    extra = "".join(f' {k}="{entry[k]}"' for k in ("rows", "cols") if k in entry)
    return f'    <Image id="{entry["id"]}" path="{entry["path"].replace("/", chr(92))}"{extra}/>'


def make_screens(src, out):
    menu = load_toml(src, "screens/main_menu.toml")
    scene = screens.main_menu(menu, out, np.random.default_rng(2))
    screens.logos(load_toml(src, "screens/logo.toml"), out, scene)


GUI_LAYOUTS = ("loading", "ramka", "ramka_tutorial", "notebook", "ingamemenu", "options")


def make_gui(src, out, name):
    getattr(gui, name)(load_toml(src, f"screens/{name}.toml"), out)


def make_hog(src, out):
    hog.generate(load_toml(src, "hog/levels.toml"), out)


def make_interface(src, out):
    interface.interface(load_toml(src, "screens/interface.toml"), out)


def make_effect(out, name, kind, seed):
    rng = np.random.default_rng(seed)
    audio.write_wav(os.path.join(out, "data", "sound", name + ".wav"), audio.effect(kind, rng), 22050 * 2)


def make_track(out, track, tmp):
    rng = np.random.default_rng(track["serial"])
    samples = audio.render_track(track, rng)
    wav = os.path.join(tmp, track["file"] + ".wav")
    audio.write_wav(wav, samples)
    audio.encode_ogg(wav, os.path.join(out, "data", "music", track["file"]), track["serial"])
    os.remove(wav)


def sound_tables(src, out):
    sounds = load_toml(src, "sounds.toml")
    music = load_toml(src, "music.toml")
    lines = ["[sounds]"]
    for name, files in sounds["sounds"].items():
        lines.append(f"{name}={','.join(files)}")
    lines += ["", "[Music]", "MusicList=" + ",".join(t["file"] for t in music["track"])]
    for name, items in music["playlists"].items():
        lines.append(f"{name}={','.join(items)}")
    write_bytes(out, "res/sounds.ini", ("\r\n".join(lines) + "\r\n").encode("ascii"))
    for set_name, entries in sounds.get("ambient", {}).items():
        text = []
        for sound, keys in entries.items():
            text.append(f"[{sound}]")
            text += [f"{k}={v}" for k, v in keys.items()]
        write_bytes(out, f"data/ambient/{set_name}.ini", ("\r\n".join(text) + "\r\n").encode("ascii"))
    return sounds, music


def particles(src, out):
    folder = os.path.join(src, "particles")
    if not os.path.isdir(folder):
        return
    for name in sorted(os.listdir(folder)):
        source = os.path.join(folder, name)
        if not os.path.isfile(source) or name.startswith("."):
            continue
        # Library emitter files go to res\, the own effects to data\particles\.
        target = os.path.join(out, "res" if name.lower().endswith(".ptc") else "data/particles", name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(source, target)


def manifest(out, font_entries, image_entries):
    text = ['<?xml version="1.0" encoding="utf-8"?>', "<ResourceManifest>", '  <Resources id="Common">']
    text += font_entries + image_entries
    text += ["  </Resources>", '  <Resources id="Game">', "  </Resources>", "</ResourceManifest>"]
    write_bytes(out, "data/properties/resources.xml", ("\r\n".join(text) + "\r\n").encode("utf-8"))


def generate(src, out, jobs):
    os.makedirs(out)
    tmp = out + ".work"
    os.makedirs(tmp, exist_ok=True)
    os.makedirs(os.path.join(out, "data", "sound"))
    os.makedirs(os.path.join(out, "data", "music"))
    images = load_toml(src, "images.toml")["image"]
    sounds, music = sound_tables(src, out)
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        work = [pool.submit(make_track, out, t, tmp) for t in music["track"]]
        work.append(pool.submit(make_screens, src, out))
        work += [pool.submit(make_gui, src, out, name) for name in GUI_LAYOUTS]
        work.append(pool.submit(make_hog, src, out))
        work.append(pool.submit(make_interface, src, out))
        work.append(pool.submit(menus.generate, out))
        work.append(pool.submit(closeup_trash.closeup_trash, load_toml(src, "screens/closeup_trash.toml"), out))
        work.append(pool.submit(scenes.make_scenes, src, out))
        work.append(pool.submit(minigames.make_minigames, src, out))
        work.append(pool.submit(minigames2.make_minigames2, src, out))
        fonts_job = pool.submit(make_fonts, src, out)
        image_jobs = [pool.submit(make_image, out, e) for e in images]
        for i, (name, kind) in enumerate(sounds["effect"].items()):
            work.append(pool.submit(make_effect, out, name, kind, 1000 + i))
        settings(src, out)
        particles(src, out)
        for w in work:
            w.result()
        inventory.inventory(load_toml(src, "screens/inventory.toml"), out)
        minigames.finish(out)
        minigames2.finish(out)
        board_ui.generate(load_toml(src, "movies/board_ui.toml"), src, out)
        manifest(out, fonts_job.result(), [j.result() for j in image_jobs])
    shutil.rmtree(tmp)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--stamp")
    parser.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1))
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    staging = out + ".new"
    for stale in (staging, staging + ".work"):
        shutil.rmtree(stale, ignore_errors=True)
    generate(os.path.abspath(args.src), staging, args.jobs)
    shutil.rmtree(out, ignore_errors=True)
    os.rename(staging, out)
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("generated\n")


if __name__ == "__main__":
    main()
