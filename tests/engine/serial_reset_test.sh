#!/usr/bin/env bash
# Runs the engine tests' serial cases on a real serial line. Wine programs
# cannot create terminals, so this host step joins two ports of the prefix
# with socat (the engine opens one, the simulated phone the other), adds a
# port on which every write fails (/dev/full), and removes all of it again.
# Usage: serial_reset_test.sh WINE_RUN PREFIX ENGINE_TESTS_EXE
set -euo pipefail
wine_run=$1
prefix=$2
tests_exe=$3

# Phone 1's loader port is COM7: the port discovery hands the engine.
tool_port=7
phone_port=8
full_port=44

command -v socat >/dev/null || { echo "socat is not installed" >&2; exit 1; }
source "$(dirname "$wine_run")/wine-env.sh" "$prefix"
devices=$WINEPREFIX/dosdevices
links=("$devices/com$tool_port" "$devices/com$phone_port" "$devices/com$full_port")

socat_pid=
output=$(mktemp)
cleanup() {
  if [ -n "$socat_pid" ]; then
    kill "$socat_pid" 2>/dev/null || true
    wait "$socat_pid" 2>/dev/null || true
  fi
  for link in "${links[@]}"; do
    if [ -L "$link" ]; then rm -f "$link"; fi
  done
  rm -f "$output"
}
trap cleanup EXIT

# Runs share the prefix under a CTest resource lock: a link left here is a
# leftover of an interrupted run.
for link in "${links[@]}"; do
  if [ -L "$link" ]; then rm -f "$link"; fi
  if [ -e "$link" ]; then echo "$link is in the way" >&2; exit 1; fi
done

ln -s /dev/full "$devices/com$full_port"
socat "pty,raw,echo=0,link=$devices/com$tool_port" "pty,raw,echo=0,link=$devices/com$phone_port" &
socat_pid=$!
for _ in $(seq 100); do
  if [ -L "$devices/com$tool_port" ] && [ -L "$devices/com$phone_port" ]; then break; fi
  sleep 0.05
done
if ! [ -L "$devices/com$tool_port" ] || ! [ -L "$devices/com$phone_port" ]; then
  echo "socat did not create the ports" >&2
  exit 1
fi

status=0
TAVIK_SERIAL_TOOL_PORT=$tool_port TAVIK_SERIAL_PHONE_PORT=$phone_port \
TAVIK_SERIAL_FULL_PORT=$full_port \
  "$wine_run" "$prefix" "$tests_exe" --gtest_filter='SerialLineTest.*' >"$output" 2>&1 || status=$?
cat "$output"

if [ "$status" -ne 0 ]; then
  echo "serial tests failed (exit $status)" >&2
  exit 1
fi
# Skipped cases mean the ports never reached the program: not a pass.
if grep -q '\[  SKIPPED \]' "$output" || ! grep -Eq '\[  PASSED  \] [1-9][0-9]* test' "$output"; then
  echo "serial tests did not run" >&2
  exit 1
fi
if ! kill -0 "$socat_pid" 2>/dev/null; then
  echo "socat ended during the tests" >&2
  exit 1
fi
