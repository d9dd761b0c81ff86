#!/usr/bin/env bash
# Makes docs/screenshot.png from the generated data: the game runs in a
# virtual X server (Xvfb) with a fresh home, xdotool plays from the title
# through the main menu's Play and the intro movie into the harbour, the
# game takes a screenshot of its own (developer keys: Ctrl+Alt+D, then
# F11), and the picture is scaled to 512 pixels wide.
#   scripts/screenshot.sh [test|release]   (the build to run; default test)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-test}
out="$root/docs/screenshot.png"

missing=()
for tool in Xvfb:xvfb xdotool:xdotool; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if [ ! -x "$root/build/$kind/pelleranthe" ]; then
  "$root/scripts/setup.sh" "$kind"
else
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  cmake --build "$root/build/$kind" --target pelleranthe game_data
fi
data="$root/build/$kind/data"

home=$(mktemp -d /tmp/pelleranthe-shot.XXXXXX)
xvfb=""
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT

# A display number nobody uses.
number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
  number=$((number + 1))
done
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >"$home/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$number"
for _ in $(seq 50); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run"
export SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
(cd "$data" && exec "$root/build/$kind/pelleranthe" "-changedir=$data") >"$home/game.log" 2>&1 &
game=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name Pelleranthe | head -n 1)
if [ -z "$window" ]; then
  echo "screenshot: the game's window did not appear" >&2
  exit 1
fi
# In the window's own pixels (no window manager: no frame around it).
click() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.3
  xdotool click --window "$window" 1
}
key() { xdotool key --window "$window" "$@"; }

# Escape skips a logo, and does nothing on the main menu or in a scene.
sleep 2
for _ in 1 2 3; do
  key Escape # the logos
  sleep 1
done
sleep 4
click 900 225 # the main menu's Play
sleep 5
for _ in 1 2; do
  key Escape # the intro movie
  sleep 1
done
sleep 7 # the harbour loads and fades in, the tutorial appears
xdotool mousemove --window "$window" 700 120
sleep 1
key ctrl+alt+d
sleep 0.3
key F11
sleep 2

shot=$(ls "$XDG_DATA_HOME"/Pelleranthe/_screenshots/image*.png 2>/dev/null | head -n 1 || true)
if [ -z "$shot" ]; then
  echo "screenshot: the game wrote no screenshot; its log:" >&2
  tail -n 20 "$home/game.log" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
/usr/bin/python3 - "$shot" "$out" <<'EOF'
import sys
from PIL import Image
picture = Image.open(sys.argv[1]).convert("RGB")
width = 512
picture = picture.resize((width, round(picture.height * width / picture.width)), Image.LANCZOS)
# 256 colours keep the file small; the painted scenes lose little.
picture.quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG).save(
    sys.argv[2], optimize=True)
EOF
echo "screenshot: $out ($(stat -c %s "$out") bytes)"
