#!/usr/bin/env bash
# Runs a Windows program under wine64 in the given prefix, creating the prefix
# on first use. Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
#
# The program's output goes through a file: Wine services the program starts
# (the desktop process, for one) inherit its output handles and outlive it,
# and a caller reading a pipe (CTest) would wait for them to end.
set -euo pipefail
prefix=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" "$prefix"
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
wine "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit $status
