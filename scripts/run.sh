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
#   check and a whole download of the sample package (the phone writes at a
#   slow pace so the ring can be seen part-way), saves a picture of each page
#   under build/x86_64/run/shots, checks the phone's storage against the
#   package, prints the pictures' paths and the tool's log, and exits 0 only
#   when every step showed what it should.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$src/build/x86_64
run=$build/run

if [ "$(id -u)" = 0 ]; then
  "$src/scripts/setup.sh"
fi
TAVIK_BUILD_TARGETS="tavik_Download tool_driver folder_dialog_helper simphone_driver QX_M_BCB_DL_Dll" "$src/scripts/build.sh" x86_64

source "$src/scripts/wine-env.sh" "$build/wineprefix"
source "$src/scripts/wine-server.sh"
claim_wine_prefix run
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
  if [ -n "$TAVIK_OWN_WINESERVER" ]; then wineserver -k 2>/dev/null || true; fi
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
phone pace 300 >/dev/null
status=0
wine "$build/tests/app/tool_driver.exe" "$(winepath -w "$tool")" "$package" "$(winepath -w "$shots")" </dev/null || status=$?
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  echo "page picture: ${bmp%.bmp}.png"
done
print_log

# The storage holds each image of the partition list the download used (the
# package check wrote it: the user's data is kept by default) at its sector.
# The GPT images are left out: the patch list changes them on the phone.
if [ $status = 0 ]; then
  storage=$(phone show | sed -n 's/^storage_path=//p' | tr -d '\r')
  storage=$(winepath -u "$storage" 2>/dev/null)
  python3 - "$packages/SampleFH8974" "$storage" <<'EOF' || status=1
import os, sys, xml.etree.ElementTree as tree
package, storage = sys.argv[1], sys.argv[2]
listed = os.path.join(package, "rawprogram_unsparse_for_User.xml")
checked = 0
with open(storage, "rb") as disk:
    for program in tree.parse(listed).getroot().iter("program"):
        name = program.get("filename") or ""
        if not name or name.startswith("gpt_"):
            continue
        path = os.path.join(package, name)
        if not os.path.exists(path):
            path = os.path.join(package, "bp_image", name)
        image = open(path, "rb").read()
        disk.seek(int(program.get("start_sector")) * 512)
        if disk.read(len(image)) != image:
            print("storage check: %s differs at sector %s" % (name, program.get("start_sector")))
            sys.exit(1)
        checked += 1
print("storage check: %d images of the package found at their sectors" % checked)
sys.exit(0 if checked else 1)
EOF
fi
exit $status

