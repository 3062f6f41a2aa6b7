#!/usr/bin/env bash
# Runs a Windows program under wine64 in the given prefix, creating the prefix
# on first use. Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" "$prefix"
exec wine "$@"
