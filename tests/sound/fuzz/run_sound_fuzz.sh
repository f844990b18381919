#!/usr/bin/env bash
# Builds the sound-decoder fuzzer with clang, makes seed sounds and runs it for SECONDS
# (default 20).   tests/sound/fuzz/run_sound_fuzz.sh [SECONDS] [BUILD_DIR]
# Longer runs by hand: tests/sound/fuzz/run_sound_fuzz.sh 3600
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:-20}"
build="${2:-$here/../../../build-sound-fuzz}"
compiler="$(command -v clang++ || command -v clang++-14)"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$build" -j 2 > "$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }
corpus="$build/corpus"
mkdir -p "$corpus"
"$build/make_sound_seeds" "$corpus"
"$build/sound_decoder_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/" "$corpus" 2>&1 | tail -n 12
