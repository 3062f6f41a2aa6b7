#!/usr/bin/env bash
# Configures and builds one architecture: build.sh x86_64|i686 [build-root]
set -euo pipefail
arch=$1
root=${2:-$(cd "$(dirname "$0")/.." && pwd)}
src=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/$arch
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$dir" "${gen[@]}" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-$arch-mingw.cmake" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
