#!/bin/bash
# Runs one fuzz target for a bounded time in the data folder (the readers
# find puzzles and calibrations there, as the program does). The corpus grows
# in the build folder from seeds of our own files; findings are written there.
# Usage: run_fuzzer.sh <source dir> <build dir> <target> <seconds> [seed file or folder | -libFuzzer option]...
set -euo pipefail
src=$1 build=$(cd "$2" && pwd) target=$3 seconds=$4
shift 4
seeds="$build/seeds-$target" corpus="$build/corpus-$target"
export TMPDIR="$build/scratch-$target"
rm -rf "$TMPDIR"
mkdir -p "$seeds" "$corpus" "$TMPDIR"
options=()
for a in "$@"; do
  case "$a" in
    -*) options+=("$a") ;;
    *) if [ -d "$a" ]; then find "$a" -maxdepth 1 -type f -exec cp {} "$seeds/" \;; else cp "$a" "$seeds/"; fi ;;
  esac
done
# A decoded image is capped at 16 M pixels: otherwise a header alone asks
# OpenCV for gigabytes, which stops the fuzzer at its memory limit.
export OPENCV_IO_MAX_IMAGE_PIXELS=16777216
cd "$src/data"
# Standard output (the readers' messages) is closed.
"$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
  -print_final_stats=1 -artifact_prefix="$build/$target-" "${options[@]}" "$corpus" "$seeds"
