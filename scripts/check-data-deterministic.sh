#!/usr/bin/env bash
# Generates the game data a second time and fails when any file differs
# from the tree the build made: the same sources must give the same bytes.
#   scripts/check-data-deterministic.sh PYTHON GENERATED_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
python=$1 built=$2
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT
PYTHONDONTWRITEBYTECODE=1 "$python" "$root/tools/gen_data.py" --src "$root/data-src" --out "$again/data" --jobs 2
diff -r "$built" "$again/data"
echo "game data: the same bytes again ($(find "$built" -type f | wc -l) files)"
