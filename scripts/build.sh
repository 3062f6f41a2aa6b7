#!/usr/bin/env bash
# Configures (once) and builds one architecture.
# Usage: build.sh x86_64|i686 [build-dir]   (default build-dir: build/<arch>)
set -euo pipefail
arch=$1
src=$(cd "$(dirname "$0")/.." && pwd)
dir=${2:-$src/build/$arch}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$dir" "${gen[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-$arch-mingw.cmake" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
