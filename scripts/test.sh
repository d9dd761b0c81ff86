#!/usr/bin/env bash
# Builds and runs every test.   scripts/test.sh [test|asan|debug]
# The default build is optimised with debug information (build/test); asan
# runs the same tests under the address and undefined-behaviour sanitizers.
# CMAKE_BUILD_PARALLEL_LEVEL and CTEST_PARALLEL_LEVEL limit the jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-test}
"$root/scripts/setup.sh" "$kind"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$root/build/$kind"
# ctest lists skipped and failed tests after its summary; move the summary
# line ("100% tests passed, ...") to the end, where one looks for it.
set +e
ctest --output-on-failure -j "${CTEST_PARALLEL_LEVEL:-$(nproc)}" 2>&1 | awk '
  !summary && /^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+/ { summary = $0; next }
  !summary { print; fflush(); next }
  /^$/ && !tail { next }
  { tail = tail $0 "\n" }
  END { if (summary) { printf "%s", tail; if (tail != "") print ""; print summary } }'
status=${PIPESTATUS[0]}
exit "$status"
