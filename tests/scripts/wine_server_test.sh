#!/usr/bin/env bash
# The scripts' claim on a Wine prefix, in a scratch prefix of its own: a
# lingering wineserver is used, a program of the prefix stops the claim with
# its name, and a free prefix gets a server of the claim's own.
set -uo pipefail
here=$(cd "$(dirname "$0")/../../scripts" && pwd)
export WINEPREFIX
WINEPREFIX=$(mktemp -d)
source "$here/wine-server.sh"
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
failures=0
expect() {  # expect DESCRIPTION STATUS OUTPUT-PATTERN, after a claim
  local said status
  said=$(claim_wine_prefix check 2>&1); status=$?
  if [ "$status" != "$2" ] || ! grep -q -- "$3" <<<"$said"; then
    echo "FAILED: $1: status $status, said: $said"
    failures=$((failures + 1))
  fi
}

expect "a free prefix" 0 "started a wineserver"
# The first claim's server stays up: a second run finds it lingering.
expect "a lingering server" 0 "using the wineserver already running"
# A program of the prefix, named as Wine names a program started from Unix.
(exec -a /opt/tools/tavik_Download.exe sleep 60) &
program_pid=$!
sleep 0.2
expect "a program of the prefix" 1 "in use by tavik_Download.exe (process $program_pid)"
[ $failures = 0 ] && echo "wine_server_test: 3 passed, 0 failed"
exit $failures
