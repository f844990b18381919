#!/usr/bin/env bash
# Builds the small game project in embed/ that carries this source tree, once through
# add_subdirectory and once through FetchContent, and runs it. Only the library may be built
# (no tests, game or tools of the layer), and the consumer must link and run.
#   embed_and_build.sh SOURCE_DIR WORK_DIR [COMPILER_LAUNCHER]
set -euo pipefail
source_dir=$1 work=$2 launcher=${3:-}
for mode in subdirectory fetch; do
  dir=$work/$mode
  fetch=OFF; [ $mode = fetch ] && fetch=ON
  # Release without debug information: the two builds compile the same library, so a
  # compiler cache serves the second from the first.
  cmake -S "$source_dir/tests/install/embed" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DROR_SOURCE_DIR="$source_dir" -DROR_EMBED_FETCH=$fetch \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher -DCMAKE_C_COMPILER_LAUNCHER=$launcher} >/dev/null
  targets=$(cmake --build "$dir" --target help)
  for unwanted in vexholm zazpack core_tests rorodiv_bench; do
    if grep -qw "$unwanted" <<<"$targets"; then
      echo "$mode: the embedded tree builds $unwanted" >&2
      exit 1
    fi
  done
  cmake --build "$dir" >/dev/null
  "$dir/embed_consumer"
done
