#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root,
# when it is missing. Safe to run again.
set -euo pipefail
packages=(cmake make ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686
  mingw-w64-x86-64-dev mingw-w64-i686-dev binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb xauth fonts-wqy-microhei libz-mingw-w64-dev libstb-dev googletest
  imagemagick zip unzip socat locales python3 clang-format-16)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Never the 32-bit Wine loader: with it present 'wine' picks it and every
# run fails on this 64-bit-only kernel.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "setup: wine32 is installed; remove it (apt-get remove wine32) so wine runs the 64-bit loader" >&2
  exit 1
fi
# Wine takes its ANSI code page from the Unix locale: zh_CN.UTF-8 gives 936,
# the code page of the users' Chinese Windows.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
