#!/usr/bin/env bash
# Configures (once) and builds one architecture.
# Usage: build.sh x86_64|i686 [build-dir]   (default build-dir: build/<arch>)
set -euo pipefail
arch=$1
src=$(cd "$(dirname "$0")/.." && pwd)
dir=${2:-$src/build/$arch}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
# Several checkouts side by side share one compiler cache when ccache is there.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$src")}
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$dir" "${gen[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-$arch-mingw.cmake" >/dev/null
fi
# TAVIK_BUILD_TARGETS (blank-separated) builds only those; TAVIK_BUILD_JOBS caps the jobs.
cmake --build "$dir" -j "${TAVIK_BUILD_JOBS:-$(nproc)}" ${TAVIK_BUILD_TARGETS:+--target $TAVIK_BUILD_TARGETS}
