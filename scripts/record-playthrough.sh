#!/usr/bin/env bash
# Records the walkthrough (data-src/walkthrough.txt) again: builds the test
# tree's recorder and data, plays the walkthrough through the game's input,
# checks that a replay agrees, and writes the demo file, its frame
# checksums and its ending into tests/data/playthrough/ (commit them).
#   scripts/record-playthrough.sh [recorder options, e.g. --shots DIR --verbose]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build/test"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
if [ ! -f "$build/build.ninja" ]; then
  "$here/setup.sh" test
fi
cmake "$build" >/dev/null
ninja -C "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-3}" record_playthrough game_data
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software
"$build/tests/playthrough/record_playthrough" "$@"
echo "The playthrough files are in $root/tests/data/playthrough/"
