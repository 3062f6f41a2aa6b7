#!/usr/bin/env bash
# Lays out the installed tree in a stage folder and zips it as the payload:
# folders before their files, every file writable (the zip reader gives a
# file without the owner's write bit the read-only attribute).
# Usage: pack-payload.sh <stage> <archive> SPEC...
#   DEST=SOURCE    copy the file SOURCE to DEST
#   DEST/=SOURCE/  copy what lies below the folder SOURCE into DEST
#   DEST/          an empty folder
#   DEST:TEXT      a small placeholder file holding TEXT
set -euo pipefail
stage=$1 out=$2
shift 2
rm -rf "$stage"
mkdir -p "$stage"
for spec in "$@"; do
  case $spec in
    */=*/) dest=${spec%%=*}; src=${spec#*=}; mkdir -p "$stage/$dest"; cp -R "$src." "$stage/$dest" ;;
    *=*)   dest=${spec%%=*}; src=${spec#*=}; mkdir -p "$stage/$(dirname "$dest")"; cp "$src" "$stage/$dest" ;;
    */)    mkdir -p "$stage/$spec" ;;
    *:*)   dest=${spec%%:*}; mkdir -p "$stage/$(dirname "$dest")"; printf '%s\r\n' "${spec#*:}" > "$stage/$dest" ;;
    *)     echo "pack-payload.sh: bad spec $spec" >&2; exit 2 ;;
  esac
done
chmod -R u+w "$stage"
rm -f "$out"
# Sorted, a folder's name comes before the names below it; a folder named
# on the list is stored as its own entry ("Log/"), without what it holds.
(cd "$stage" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | zip -q -X -@ "$out")
