#!/usr/bin/env bash
# Sets up this machine when needed, builds both architectures and runs every
# test (the 64-bit build, under Wine). Exits non-zero when anything fails.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
cd "$src"
scripts/setup.sh
# Every source in the one style; the tests still run, but the run fails.
format_status=0
scripts/format.sh --check || format_status=1
scripts/build.sh x86_64
scripts/build.sh i686      # the shipped build: compiled and linked only
source scripts/xvfb.sh
build=$src/build/x86_64
source scripts/wine-env.sh "$build/wineprefix"
source scripts/wine-server.sh
# Keep one wineserver and Wine's own services up for the whole run, started
# here with their output going nowhere: a service started by a test would
# inherit that test's output pipe and CTest would wait for it to close.
claim_wine_prefix test
wine wineboot </dev/null >/dev/null 2>&1 || true
trap '[ -n "$TAVIK_OWN_WINESERVER" ] && wineserver -k 2>/dev/null; [ -n "${TAVIK_XVFB_PID:-}" ] && kill $TAVIK_XVFB_PID 2>/dev/null || true' EXIT
status=0
(cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 900) || status=1
# Benchmarks print their figures; they are not timed tests, but must run.
for bench in "$build"/tests/bench/*_bench.exe; do
  [ -e "$bench" ] || continue
  echo "== $(basename "$bench")"
  timeout 300 wine "$bench" || { echo "benchmark failed: $bench"; status=1; }
done
[ $format_status -eq 0 ] || echo "test: sources not formatted (scripts/format.sh)"
[ $format_status -eq 0 ] || status=1
exit $status
