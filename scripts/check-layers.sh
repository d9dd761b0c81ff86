#!/usr/bin/env bash
# Fails when a library includes a header of a library above it, or when code
# outside platform/sdl/ includes SDL. The order, lowest first:
#   platform, core, files, raster, graphics, (sound, widgets), app, src (game)
# A library includes its own headers and those of the libraries below it;
# sound and widgets stand side by side and do not include each other.
# platform/sdl/ is a backend of the platform layer: it sees only platform/
# and SDL, and only the game includes it.
#   scripts/check-layers.sh [source root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Sets name and rank to the layer of a path (a source file or an included
# header); name "-" for anything else.
layer_of() {
  case "$1" in
    platform/sdl/*) name=platform/sdl rank=0 ;;
    platform/*) name=platform rank=0 ;;
    framework/core/*) name=core rank=1 ;;
    framework/files/*) name=files rank=2 ;;
    framework/raster/*) name=raster rank=3 ;;
    framework/graphics/*) name=graphics rank=4 ;;
    framework/sound/*) name=sound rank=5 ;;
    framework/widgets/*) name=widgets rank=5 ;;
    framework/app/*) name=app rank=6 ;;
    src/*) name=game rank=7 ;;
    *) name=- rank=- ;;
  esac
}

# May a file of layer $1 (rank $2) include a header of layer $3 (rank $4)?
allowed() {
  local from=$1 fromRank=$2 to=$3 toRank=$4
  [ "$to" = "-" ] && return 0 # not a library header
  [ "$from" = "$to" ] && return 0
  if [ "$to" = "platform/sdl" ]; then
    [ "$from" = "game" ]
    return
  fi
  if [ "$from" = "platform/sdl" ]; then
    [ "$to" = "platform" ]
    return
  fi
  [ "$toRank" -lt "$fromRank" ]
}

dirs=()
for d in platform framework src; do
  [ -d "$d" ] && dirs+=("$d")
done
[ ${#dirs[@]} -gt 0 ] || { echo "check-layers: no sources under $root" >&2; exit 2; }

failures=()
pattern='^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([\"<])([^\">]+)[\">]'
while IFS= read -r match; do
  [[ "$match" =~ $pattern ]] || continue
  file=${BASH_REMATCH[1]} lineNo=${BASH_REMATCH[2]} quote=${BASH_REMATCH[3]} header=${BASH_REMATCH[4]}
  layer_of "$file"
  from=$name fromRank=$rank
  [ "$from" = "-" ] && continue
  if [[ "$header" =~ ^(SDL2/)?SDL[_.A-Za-z0-9]*\.h$ ]]; then
    [ "$from" = "platform/sdl" ] ||
      failures+=("$file:$lineNo: includes $header, but only platform/sdl/ may see SDL")
    continue
  fi
  [ "$quote" = '"' ] || continue
  layer_of "$header"
  allowed "$from" "$fromRank" "$name" "$rank" ||
    failures+=("$file:$lineNo: $from includes $header, of $name, which is not below it")
done < <(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' --include='*.inl' \
  '^[[:space:]]*#[[:space:]]*include' "${dirs[@]}" | sort -t: -k1,1 -k2,2n)

if [ ${#failures[@]} -gt 0 ]; then
  echo "Includes that go against the library order" \
    "(platform <- core <- files <- raster <- graphics <- sound, widgets <- app <- game):" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "layers: every include keeps to the library order"
