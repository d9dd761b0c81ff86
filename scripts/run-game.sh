#!/usr/bin/env bash
# Builds everything and runs the game on the bundled demo data.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
if [ -x "$root/build/release/pelleranthe" ]; then
  exec "$root/build/release/pelleranthe" "$@"
fi
echo "The framework is built; the game itself is not written yet, so there is nothing to run."
