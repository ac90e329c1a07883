#!/bin/bash
# Builds the fuzz targets with clang's libFuzzer.
# Usage: build_fuzzers.sh <source dir> <build dir>
set -euo pipefail
src=$1 build=$2
command -v clang++ >/dev/null || { echo "clang++ is missing (tools/setup.sh installs it)"; exit 1; }
launcher=$(command -v ccache || true)
cmake -S "$src/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DTABRELO_SOURCE="$src" >/dev/null
cmake --build "$build" -j2 >/dev/null
