#!/usr/bin/env bash
# Builds and runs every test.   scripts/test.sh [debug|asan]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-debug}
"$root/scripts/setup.sh" "$kind"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
cd "$root/build/$kind"
ctest --output-on-failure -j "$(nproc)"
