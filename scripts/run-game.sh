#!/usr/bin/env bash
# Builds the game (optimised, without the tests) and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
# The game runs in its generated data folder (the build writes it there).
if [ -x "$root/build/release/pelleranthe" ]; then
  cd "$root/build/release/data"
  exec "$root/build/release/pelleranthe" "$@"
fi
echo "The framework is built; the game itself is not written yet, so there is nothing to run."
