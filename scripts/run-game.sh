#!/usr/bin/env bash
# Builds the game (optimised, without the tests) and runs it on the
# generated data. Without a display it runs on SDL's offscreen and dummy
# drivers. A second start while one runs brings the first forward.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  echo "No display: the game runs offscreen (stop it with Ctrl+C)."
fi
# The game runs in its generated data folder (the build writes it there).
data="$root/build/release/data"
cd "$data"
exec "$root/build/release/pelleranthe" "-changedir=\"$data\"" "$@"
