#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a short while.
#   scripts/fuzz.sh [seconds per target]   (default 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
"$root/scripts/setup.sh" fuzz
shopt -s nullglob
for target in "$root"/build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$root/build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  echo "== $name (${seconds}s)"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  log="$root/build/fuzz/$name.log"
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$root/build/fuzz/$name-" "${dirs[@]}" >"$log" 2>&1; then
    tail -n 2 "$log"
  else
    tail -n 60 "$log"
    echo "$name failed" >&2
    exit 1
  fi
done
