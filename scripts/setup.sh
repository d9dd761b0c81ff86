#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing), then
# configures and builds one build tree.
#   scripts/setup.sh [test|debug|release|asan|fuzz|bench]   (default: test)
# test: optimised with debug information, with the tests (scripts/test.sh);
# release: the game alone, no tests (scripts/run-game.sh);
# debug: unoptimised, for stepping through in a debugger.
# CMAKE_BUILD_PARALLEL_LEVEL limits the build jobs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
kind=${1:-test}

install_missing() {
  local missing=()
  for pkg in $(grep -v '^#' "$1"); do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

install_missing "$here/packages.txt"
case "$kind" in fuzz|bench) install_missing "$here/packages-extra.txt" ;; esac

# The number-formatting tests run under a locale with a decimal comma.
case "$kind" in test|asan|debug)
  if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null ||
      echo "Could not make the de_DE.UTF-8 locale; the decimal-comma test will be skipped."
  fi ;;
esac

# Let ccache share results between checkouts in different folders.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

build="$root/build/$kind"
args=(-G Ninja -S "$root" -B "$build")
case "$kind" in
  test)    args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  debug)   args+=(-DCMAKE_BUILD_TYPE=Debug) ;;
  release) args+=(-DCMAKE_BUILD_TYPE=Release -DQUIB_TESTS=OFF) ;;
  asan)    args+=(-DCMAKE_BUILD_TYPE=Debug -DQUIB_SANITIZE=ON) ;;
  bench)   args+=(-DCMAKE_BUILD_TYPE=Release -DQUIB_BENCH=ON -DQUIB_TESTS=OFF) ;;
  fuzz)    args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIB_FUZZ=ON -DQUIB_TESTS=OFF
                  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
cmake "${args[@]}" >/dev/null
cmake --build "$build"
