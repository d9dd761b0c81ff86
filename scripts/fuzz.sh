#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs every one of them for a short
# while, as many at once as there are processors; reports every failure at
# the end and fails when any target failed.
#   scripts/fuzz.sh [seconds per target]   (default 10)
# FUZZ_JOBS sets how many run at once; a crash input lands in build/fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
jobs=${FUZZ_JOBS:-$(nproc)}
out="$root/build/fuzz"

export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
# Undefined behaviour is a failure like any other.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
"$root/scripts/setup.sh" fuzz

# The dictionary of a target's input format, if it has one.
dictionary() {
  case "$1" in
    IniData | ini_document) echo "$root/tests/fuzz/dicts/ini.dict" ;;
    XMLParser) echo "$root/tests/fuzz/dicts/xml.dict" ;;
    bmfont_descriptor) echo "$root/tests/fuzz/dicts/bmfont.dict" ;;
    modval_reload) echo "$root/tests/fuzz/dicts/modval.dict" ;;
    movie_script) echo "$root/tests/fuzz/dicts/movie.dict" ;;
    settings_file) echo "$root/tests/fuzz/dicts/settings.dict" ;;
  esac
}

# Runs one target; its log is build/fuzz/<program>.log, its exit status
# build/fuzz/<program>.status.
run_target() {
  local program=$1 name=${1#fuzz_}
  local corpus="$out/corpus/$program" seeds="$root/tests/fuzz/seeds/$name"
  mkdir -p "$corpus"
  local args=(-max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 -timeout=10
              -print_final_stats=1 -artifact_prefix="$out/$program-")
  local dict
  dict=$(dictionary "$name")
  [ -n "$dict" ] && args+=(-dict="$dict")
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  local status=0
  "$out/tests/fuzz/$program" "${args[@]}" "${dirs[@]}" >"$out/$program.log" 2>&1 || status=$?
  echo "$status" >"$out/$program.status"
}

shopt -s nullglob
programs=()
for target in "$out"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] && programs+=("$(basename "$target")")
done
[ ${#programs[@]} -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }

echo "== ${#programs[@]} targets, ${seconds}s each, $jobs at once"
rm -f "$out"/fuzz_*.status
running=0
for program in "${programs[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$program" &
  running=$((running + 1))
done
wait || true

failed=()
for program in "${programs[@]}"; do
  status=$(cat "$out/$program.status" 2>/dev/null || echo "?")
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$program.log" | grep -o '[0-9]*$' || true)
  if [ "$status" = 0 ]; then
    printf '%-28s ok      %s runs\n' "$program" "${runs:-?}"
  else
    printf '%-28s FAILED  (exit %s)\n' "$program" "$status"
    failed+=("$program")
  fi
done
for program in "${failed[@]}"; do
  echo
  echo "==== $program (log: $out/$program.log)"
  tail -n 60 "$out/$program.log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo >&2
  echo "fuzz targets failed: ${failed[*]}" >&2
fi
echo "fuzz: $((${#programs[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
