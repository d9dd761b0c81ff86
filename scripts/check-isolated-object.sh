#!/usr/bin/env bash
# Fails when an object file built for an instruction set the processor may
# lack (the AVX2 pixel loops) holds code that runs without being asked for:
#  - weak or unique functions, or code in COMDAT groups: the linker keeps one
#    copy of each for the whole program and may keep this file's, which other
#    files then call on any processor;
#  - C++ start-up code (dynamic initialisation), which runs on every processor.
# Weak data (type information, constants) is not code and passes, and so do
# the sanitizers' own module constructors (instrumented builds only).
#   scripts/check-isolated-object.sh object.o...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 object.o..." >&2; exit 2; }
status=0
for obj in "$@"; do
  if [ ! -f "$obj" ]; then
    echo "$obj: no such object" >&2
    status=1
    continue
  fi
  # readelf -sW: Num: Value Size Type Bind Vis Ndx Name
  shared=$(readelf -sW "$obj" |
    awk '($4 == "FUNC" || $4 == "IFUNC") && ($5 == "WEAK" || $5 == "UNIQUE") && $7 != "UND" { print $8 }')
  # readelf -gW lists each group ("... [signature] contains n sections:"),
  # then its sections; keep the groups with code.
  comdat=$(readelf -gW "$obj" |
    awk '/^COMDAT group/ {
           for (i = 2; i <= NF; ++i)
             if ($i == "contains") group = substr($(i - 1), 2, length($(i - 1)) - 2)
           next
         }
         /^$/ { group = "" }
         $NF ~ /^\.text/ && group != "" && group !~ /^(asan|sancov)\./ { print group; group = "" }')
  startup=$(nm "$obj" | awk '$3 ~ /^_GLOBAL__sub_I_/ { print $3 }')
  for what in shared comdat startup; do
    list=${!what}
    [ -n "$list" ] || continue
    case $what in
      shared) echo "$obj: weak or unique functions:" ;;
      comdat) echo "$obj: COMDAT groups with code:" ;;
      startup) echo "$obj: start-up code:" ;;
    esac
    echo "$list" | c++filt | sed 's/^/  /'
    status=1
  done
done
exit $status
