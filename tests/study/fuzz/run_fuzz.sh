#!/bin/bash
# Builds the study-file fuzzer in its own folder and runs it for a bounded
# time on a seed corpus of our own files.
# Usage: run_fuzz.sh <source dir> <build dir> <opencv include dir> <opencv core library> <seconds>
set -euo pipefail
src=$1 build=$2 opencvInclude=$3 opencvCore=$4 seconds=$5
here="$src/tests/study/fuzz"
command -v clang++ >/dev/null || { echo "clang++ is missing (tools/setup.sh installs it)"; exit 1; }
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTABRELO_SOURCE="$src" -DOPENCV_INCLUDE_DIR="$opencvInclude" -DOPENCV_CORE_LIBRARY="$opencvCore" >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$build/corpus"
build=$(cd "$build" && pwd)
# Findings go to the build folder; stdout of the target (agenda building) is closed.
cd "$build"
./fuzz_study_files -max_total_time="$seconds" -timeout=10 -max_len=8192 -rss_limit_mb=2048 \
  -close_fd_mask=1 -print_final_stats=1 -dict="$here/xml.dict" \
  "$build/corpus" "$here/seeds" "$src/data/Tests/demo"
