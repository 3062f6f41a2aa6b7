#!/usr/bin/env bash
# Runs the flashing tool under Wine against a simulated phone.
#
# On a fresh Debian 12 machine, as root, from anywhere in the checkout:
#   scripts/run.sh
# It installs what is missing, builds the 64-bit tool, lays out its folder as
# an installation does, plugs a simulated phone with storage and starts the
# real tavik_Download.exe.
# - With a display (DISPLAY set) the tool opens for you: choose the sample
#   Qualcomm package the script names, then close the tool.
# - Without one it starts Xvfb and drives the tool itself through a package
#   check of the sample package, saves a picture of each page under
#   build/x86_64/run/shots, prints their paths and the tool's log, and exits 0
#   only when every step showed what it should.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$src/build/x86_64
run=$build/run

if [ "$(id -u)" = 0 ]; then
  "$src/scripts/setup.sh"
fi
TAVIK_BUILD_TARGETS="tavik_Download tool_driver folder_dialog_helper simphone_driver" "$src/scripts/build.sh" x86_64

source "$src/scripts/wine-env.sh" "$build/wineprefix"
tool_folder=$build/tool/app
tool=$tool_folder/tavik_Download.exe

# The package goes where a user keeps one: the check writes its user-data
# partition list into the package folder, so the tool gets a copy.
packages=$WINEPREFIX/drive_c/tavik-packages
rm -rf "$packages/SampleFH8974"
mkdir -p "$packages"
cp -r "$src/tests/fixtures/packages/SampleFH8974" "$packages/"
package='C:\tavik-packages\SampleFH8974'

# One simulated phone in normal mode, with 64 MB of storage and the
# package's version; the stand-in libraries beside the tool find it through
# TAVIK_SIMPHONE_DIR.
rm -rf "$run/phone"
mkdir -p "$run/phone"
export TAVIK_SIMPHONE_DIR
TAVIK_SIMPHONE_DIR=$(winepath -w "$run/phone" 2>/dev/null)
phone() { wine "$build/standins/simphone/simphone_driver.exe" "$@" </dev/null; }
phone create 1 67108864 SampleFH8974 >/dev/null
phone mode normal >/dev/null
cleanup() {
  phone remove >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

print_log() {
  local log=$tool_folder/Log/tavikLog.log
  echo "--- the tool's log ($log):"
  if [ -f "$log" ]; then iconv -f GBK -t UTF-8 "$log" | tr -d '\r'; fi
}

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the tool. In it: 开始刷机, then 浏览... and choose $package"
  status=0
  wine "$tool" </dev/null || status=$?
  print_log
  exit $status
fi

source "$src/scripts/xvfb.sh"
# xvfb.sh ends Xvfb on exit: the phone and Wine go first.
trap 'cleanup; kill ${TAVIK_XVFB_PID:-} 2>/dev/null || true' EXIT
shots=$run/shots
rm -rf "$shots"
mkdir -p "$shots"
status=0
wine "$build/tests/app/tool_driver.exe" "$(winepath -w "$tool")" "$package" "$(winepath -w "$shots")" </dev/null || status=$?
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  echo "page picture: ${bmp%.bmp}.png"
done
print_log
exit $status
